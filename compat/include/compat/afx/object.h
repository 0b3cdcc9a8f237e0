// CObject, the run-time class records that let the framework create objects by
// name and test their kind, and the framework's diagnostic macros.
#pragma once

#include "compat/win32.h"

class CObject;
class CArchive;

struct CRuntimeClass {
  LPCSTR m_lpszClassName;
  int m_nObjectSize;
  UINT m_wSchema;  // 0xFFFF for classes that are not serializable
  CObject* (*m_pfnCreateObject)();
  CRuntimeClass* m_pBaseClass;
  CRuntimeClass* m_pNextClass;  // registry chain, set at start-up

  CObject* CreateObject();
  BOOL IsDerivedFrom(const CRuntimeClass* base) const;

  static CRuntimeClass* FromName(LPCSTR className);
  static CRuntimeClass* FromName(LPCWSTR className);
  static CObject* CreateObject(LPCSTR className);
  static CObject* CreateObject(LPCWSTR className);
};

// Adds a class record to the registry that FromName searches; one static
// instance per IMPLEMENT_ macro.
struct AFX_CLASSINIT {
  explicit AFX_CLASSINIT(CRuntimeClass* newClass);
};

class CObject {
 public:
  virtual ~CObject() = default;
  virtual CRuntimeClass* GetRuntimeClass() const;
  virtual void Serialize(CArchive& ar);
  virtual void AssertValid() const {}

  BOOL IsKindOf(const CRuntimeClass* runtimeClass) const;
  BOOL IsSerializable() const;

  static CRuntimeClass classCObject;

 protected:
  CObject() = default;

 private:
  // Objects of the framework are not copied by value.
  CObject(const CObject&) = delete;
  CObject& operator=(const CObject&) = delete;
};

// Or-ed into a schema: objects of any stored schema load, and Serialize asks
// the archive's GetObjectSchema which one it reads.
#define VERSIONABLE_SCHEMA (0x80000000)

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)           \
 public:                                      \
  static CRuntimeClass class##class_name;     \
  CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
  DECLARE_DYNAMIC(class_name)         \
  static CObject* CreateObject();

#define DECLARE_SERIAL(class_name) \
  DECLARE_DYNCREATE(class_name)    \
  friend CArchive& operator>>(CArchive& ar, class_name*& object);

#define IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, schema, create)              \
  CRuntimeClass class_name::class##class_name = {#class_name, sizeof(class class_name), \
                                                 schema, create,                        \
                                                 RUNTIME_CLASS(base_class_name), nullptr}; \
  static AFX_CLASSINIT afxInit_##class_name(&class_name::class##class_name);            \
  CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
  IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                       \
  CObject* class_name::CreateObject() { return new class_name; }               \
  IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

#define IMPLEMENT_SERIAL(class_name, base_class_name, schema)                             \
  CObject* class_name::CreateObject() { return new class_name; }                          \
  IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, schema, class_name::CreateObject)   \
  CArchive& operator>>(CArchive& ar, class_name*& object) {                               \
    object = static_cast<class_name*>(ar.ReadObject(RUNTIME_CLASS(class_name)));          \
    return ar;                                                                            \
  }

// Diagnostics cost nothing in this build; the expressions stay compiled so
// that names used only in them do not raise warnings.
template <class... Args>
inline void AfxTrace(Args&&...) {}

#define ASSERT(expr) ((void)sizeof(!(expr)))
#define VERIFY(expr) ((void)(expr))
#define ASSERT_VALID(object) ((void)sizeof(object))
#define ASSERT_KINDOF(class_name, object) ((void)sizeof(object))
#define TRACE(...) AfxTrace(__VA_ARGS__)
#define TRACE0(text) ((void)0)
#define TRACE1(text, a) ((void)sizeof(a))
#define TRACE2(text, a, b) ((void)sizeof(a), (void)sizeof(b))
#define DEBUG_NEW new
#define AFXAPI
#define AFX_CDECL
#define afx_msg

inline BOOL AfxIsValidAddress(const void* p, size_t, BOOL = TRUE) { return p != nullptr; }
inline BOOL AfxIsValidString(LPCWSTR p, int = -1) { return p != nullptr; }
