// The framework's synchronisation objects on the platform's kernel objects:
// an event, a critical section, and a lock that frees what it holds when it
// goes out of scope.
#pragma once

#include "compat/afx/object.h"
#include "compat/win32.h"

class CSyncObject : public CObject {
 public:
  explicit CSyncObject(LPCTSTR pstrName);
  ~CSyncObject() override;
  CSyncObject(const CSyncObject&) = delete;
  CSyncObject& operator=(const CSyncObject&) = delete;

  HANDLE m_hObject = nullptr;
  operator HANDLE() const { return m_hObject; }  // NOLINT

  // TRUE once the object is held (signalled), FALSE when the time ran out.
  virtual BOOL Lock(DWORD dwTimeout = INFINITE);
  virtual BOOL Unlock() = 0;
  virtual BOOL Unlock(LONG, LPLONG = nullptr) { return TRUE; }
};

class CEvent : public CSyncObject {
 public:
  // bInitiallyOwn: created signalled; bManualReset: stays signalled until ResetEvent.
  explicit CEvent(BOOL bInitiallyOwn = FALSE, BOOL bManualReset = FALSE, LPCTSTR lpszName = nullptr,
                  LPSECURITY_ATTRIBUTES lpsaAttribute = nullptr);
  BOOL SetEvent();
  BOOL PulseEvent();
  BOOL ResetEvent();
  BOOL Unlock() override { return TRUE; }
  using CSyncObject::Unlock;
};

// Recursive, as the platform's: the thread holding it may lock it again.
class CCriticalSection : public CSyncObject {
 public:
  CCriticalSection();
  ~CCriticalSection() override;
  operator CRITICAL_SECTION*() { return &m_sect; }  // NOLINT
  CRITICAL_SECTION m_sect;

  BOOL Lock();
  // A critical section waits as long as it takes: the time is ignored.
  BOOL Lock(DWORD dwTimeout) override;
  BOOL Unlock() override;
  using CSyncObject::Unlock;
};

class CSingleLock {
 public:
  explicit CSingleLock(CSyncObject* pObject, BOOL bInitialLock = FALSE);
  ~CSingleLock();
  CSingleLock(const CSingleLock&) = delete;
  CSingleLock& operator=(const CSingleLock&) = delete;

  // Locking what this lock already holds does not lock it a second time.
  BOOL Lock(DWORD dwTimeOut = INFINITE);
  BOOL Unlock();
  BOOL Unlock(LONG lCount, LPLONG lPrevCount = nullptr);
  BOOL IsLocked() const { return m_bAcquired; }

 protected:
  CSyncObject* m_pObject;
  HANDLE m_hObject;
  BOOL m_bAcquired = FALSE;
};
