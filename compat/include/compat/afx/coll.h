// The framework's collections: CArray, CList and CMap templates, the named
// arrays, lists and maps built on them, and the typed pointer wrappers.
//
// Sections: positions and hashing / CArray / CList / CMap / named collections /
// typed pointer collections
#pragma once

#include <algorithm>
#include <new>
#include <type_traits>
#include <utility>

#include "compat/afx/object.h"
#include "compat/afx/string.h"
#include "compat/win32.h"

// --- positions and hashing ---

struct __POSITION {};
typedef __POSITION* POSITION;
#define BEFORE_START_POSITION (reinterpret_cast<POSITION>(-1))

template <class ARG_KEY>
inline UINT HashKey(ARG_KEY key) {
  if constexpr (std::is_pointer_v<ARG_KEY>) {
    return static_cast<UINT>(reinterpret_cast<UINT_PTR>(key) >> 4);
  } else {
    return static_cast<UINT>(static_cast<UINT_PTR>(key) >> 4);
  }
}

inline UINT HashKey(LPCTSTR key) {
  UINT hash = 0;
  if (key != nullptr) {
    while (*key != 0) hash = (hash << 5) + hash + *key++;
  }
  return hash;
}

inline UINT HashKey(const CString& key) { return HashKey(static_cast<LPCTSTR>(key)); }

template <class TYPE, class ARG_TYPE>
inline BOOL CompareElements(const TYPE* element, const ARG_TYPE* key) {
  return *element == *key;
}

// --- CArray ---

// A growable array. Growing without a set grow-by adds a count/8 elements,
// at least 4 and at most 1024.
template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject {
 public:
  CArray() = default;
  ~CArray() override { RemoveAll(); }

  int GetSize() const { return m_nSize; }
  int GetCount() const { return m_nSize; }
  int GetUpperBound() const { return m_nSize - 1; }
  BOOL IsEmpty() const { return m_nSize == 0; }
  void SetSize(int newSize, int growBy = -1);
  void FreeExtra();
  void RemoveAll() { SetSize(0); }

  // Element access; the index must lie in [0, GetSize()).
  TYPE GetAt(int index) const { ASSERT(index >= 0 && index < m_nSize); return m_pData[index]; }
  void SetAt(int index, ARG_TYPE element) { if (InRange(index)) m_pData[index] = element; }
  TYPE& ElementAt(int index) { ASSERT(index >= 0 && index < m_nSize); return m_pData[index]; }
  const TYPE& ElementAt(int index) const { return m_pData[index]; }
  TYPE operator[](int index) const { return GetAt(index); }
  TYPE& operator[](int index) { return ElementAt(index); }
  const TYPE* GetData() const { return m_pData; }
  TYPE* GetData() { return m_pData; }

  void SetAtGrow(int index, ARG_TYPE element);
  int Add(ARG_TYPE element) {
    int index = m_nSize;
    SetAtGrow(index, element);
    return index;
  }
  int Append(const CArray& source);
  void Copy(const CArray& source);
  void InsertAt(int index, ARG_TYPE element, int count = 1);
  void InsertAt(int startIndex, CArray* source);
  void RemoveAt(int index, int count = 1);

 protected:
  bool InRange(int index) const { return index >= 0 && index < m_nSize; }
  void Reserve(int capacity);

  TYPE* m_pData = nullptr;
  int m_nSize = 0;
  int m_nMaxSize = 0;
  int m_nGrowBy = 0;
};

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::Reserve(int capacity) {
  TYPE* grown = static_cast<TYPE*>(::operator new(sizeof(TYPE) * static_cast<size_t>(capacity),
                                                   std::align_val_t(alignof(TYPE))));
  for (int i = 0; i < m_nSize; ++i) {
    new (grown + i) TYPE(std::move(m_pData[i]));
    m_pData[i].~TYPE();
  }
  if (m_pData != nullptr) ::operator delete(m_pData, std::align_val_t(alignof(TYPE)));
  m_pData = grown;
  m_nMaxSize = capacity;
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::SetSize(int newSize, int growBy) {
  if (growBy >= 0) m_nGrowBy = growBy;
  if (newSize < 0) newSize = 0;
  if (newSize == 0) {
    for (int i = 0; i < m_nSize; ++i) m_pData[i].~TYPE();
    if (m_pData != nullptr) ::operator delete(m_pData, std::align_val_t(alignof(TYPE)));
    m_pData = nullptr;
    m_nSize = m_nMaxSize = 0;
    return;
  }
  if (newSize > m_nMaxSize) {
    int step = m_nGrowBy;
    if (step == 0) step = std::clamp(m_nSize / 8, 4, 1024);
    Reserve(m_pData == nullptr ? newSize : std::max(newSize, m_nMaxSize + step));
  }
  for (int i = m_nSize; i < newSize; ++i) new (m_pData + i) TYPE();
  for (int i = newSize; i < m_nSize; ++i) m_pData[i].~TYPE();
  m_nSize = newSize;
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::FreeExtra() {
  if (m_nSize > 0 && m_nSize != m_nMaxSize) Reserve(m_nSize);
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::SetAtGrow(int index, ARG_TYPE element) {
  if (index < 0) return;
  TYPE copy(element);  // the argument may live in this array's storage
  if (index >= m_nSize) SetSize(index + 1);
  m_pData[index] = std::move(copy);
}

template <class TYPE, class ARG_TYPE>
int CArray<TYPE, ARG_TYPE>::Append(const CArray& source) {
  int oldSize = m_nSize;
  if (&source == this) {
    // Appending an array to itself doubles it.
    SetSize(m_nSize * 2);
    for (int i = 0; i < oldSize; ++i) m_pData[oldSize + i] = m_pData[i];
    return oldSize;
  }
  SetSize(m_nSize + source.m_nSize);
  for (int i = 0; i < source.m_nSize; ++i) m_pData[oldSize + i] = source.m_pData[i];
  return oldSize;
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::Copy(const CArray& source) {
  if (&source == this) return;
  SetSize(source.m_nSize);
  for (int i = 0; i < m_nSize; ++i) m_pData[i] = source.m_pData[i];
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::InsertAt(int index, ARG_TYPE element, int count) {
  if (index < 0 || count <= 0) return;
  TYPE copy(element);
  if (index >= m_nSize) {
    SetSize(index + count);  // inserting past the end grows the array first
  } else {
    int oldSize = m_nSize;
    SetSize(m_nSize + count);
    std::move_backward(m_pData + index, m_pData + oldSize, m_pData + oldSize + count);
  }
  for (int i = 0; i < count; ++i) m_pData[index + i] = copy;
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::InsertAt(int startIndex, CArray* source) {
  if (source == nullptr || source->m_nSize == 0 || startIndex < 0) return;
  CArray copy;
  copy.Copy(*source);
  InsertAt(startIndex, copy.m_pData[0], copy.m_nSize);
  for (int i = 0; i < copy.m_nSize; ++i) m_pData[startIndex + i] = copy.m_pData[i];
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::RemoveAt(int index, int count) {
  if (!InRange(index) || count <= 0) return;
  count = std::min(count, m_nSize - index);
  std::move(m_pData + index + count, m_pData + m_nSize, m_pData + index);
  for (int i = m_nSize - count; i < m_nSize; ++i) m_pData[i].~TYPE();
  m_nSize -= count;
}

// --- CList ---

template <class TYPE, class ARG_TYPE = const TYPE&>
class CList : public CObject {
  struct CNode {
    CNode* pNext;
    CNode* pPrev;
    TYPE data;
  };

 public:
  explicit CList(int blockSize = 10) { (void)blockSize; }
  ~CList() override { RemoveAll(); }

  int GetCount() const { return m_nCount; }
  int GetSize() const { return m_nCount; }
  BOOL IsEmpty() const { return m_nCount == 0; }

  TYPE& GetHead() { return m_pNodeHead->data; }
  const TYPE& GetHead() const { return m_pNodeHead->data; }
  TYPE& GetTail() { return m_pNodeTail->data; }
  const TYPE& GetTail() const { return m_pNodeTail->data; }
  TYPE RemoveHead();
  TYPE RemoveTail();
  POSITION AddHead(ARG_TYPE element) { return InsertBefore(GetHeadPosition(), element); }
  POSITION AddTail(ARG_TYPE element) { return InsertAfter(GetTailPosition(), element); }
  void AddHead(CList* other);
  void AddTail(CList* other);
  void RemoveAll();

  POSITION GetHeadPosition() const { return Pos(m_pNodeHead); }
  POSITION GetTailPosition() const { return Pos(m_pNodeTail); }
  TYPE& GetNext(POSITION& position) { CNode* n = Node(position); position = Pos(n->pNext); return n->data; }
  const TYPE& GetNext(POSITION& position) const { CNode* n = Node(position); position = Pos(n->pNext); return n->data; }
  TYPE& GetPrev(POSITION& position) { CNode* n = Node(position); position = Pos(n->pPrev); return n->data; }
  const TYPE& GetPrev(POSITION& position) const { CNode* n = Node(position); position = Pos(n->pPrev); return n->data; }
  TYPE& GetAt(POSITION position) { return Node(position)->data; }
  const TYPE& GetAt(POSITION position) const { return Node(position)->data; }
  void SetAt(POSITION position, ARG_TYPE element) { Node(position)->data = element; }
  void RemoveAt(POSITION position);
  // A null position inserts at the head (before) or the tail (after).
  POSITION InsertBefore(POSITION position, ARG_TYPE element);
  POSITION InsertAfter(POSITION position, ARG_TYPE element);
  POSITION Find(ARG_TYPE value, POSITION startAfter = nullptr) const;
  POSITION FindIndex(int index) const;

 private:
  static POSITION Pos(CNode* node) { return reinterpret_cast<POSITION>(node); }
  static CNode* Node(POSITION position) { return reinterpret_cast<CNode*>(position); }

  CNode* m_pNodeHead = nullptr;
  CNode* m_pNodeTail = nullptr;
  int m_nCount = 0;
};

template <class TYPE, class ARG_TYPE>
TYPE CList<TYPE, ARG_TYPE>::RemoveHead() {
  TYPE value = m_pNodeHead->data;
  RemoveAt(GetHeadPosition());
  return value;
}

template <class TYPE, class ARG_TYPE>
TYPE CList<TYPE, ARG_TYPE>::RemoveTail() {
  TYPE value = m_pNodeTail->data;
  RemoveAt(GetTailPosition());
  return value;
}

template <class TYPE, class ARG_TYPE>
void CList<TYPE, ARG_TYPE>::AddHead(CList* other) {
  if (other == nullptr) return;
  // Walking backwards keeps the other list's order in front of ours.
  POSITION p = other->GetTailPosition();
  for (int n = other->GetCount(); n > 0; --n) AddHead(other->GetPrev(p));
}

template <class TYPE, class ARG_TYPE>
void CList<TYPE, ARG_TYPE>::AddTail(CList* other) {
  if (other == nullptr) return;
  POSITION p = other->GetHeadPosition();
  for (int n = other->GetCount(); n > 0; --n) AddTail(other->GetNext(p));
}

template <class TYPE, class ARG_TYPE>
void CList<TYPE, ARG_TYPE>::RemoveAll() {
  for (CNode* node = m_pNodeHead; node != nullptr;) {
    CNode* next = node->pNext;
    delete node;
    node = next;
  }
  m_pNodeHead = m_pNodeTail = nullptr;
  m_nCount = 0;
}

template <class TYPE, class ARG_TYPE>
void CList<TYPE, ARG_TYPE>::RemoveAt(POSITION position) {
  CNode* node = Node(position);
  if (node == nullptr) return;
  (node->pPrev != nullptr ? node->pPrev->pNext : m_pNodeHead) = node->pNext;
  (node->pNext != nullptr ? node->pNext->pPrev : m_pNodeTail) = node->pPrev;
  delete node;
  --m_nCount;
}

template <class TYPE, class ARG_TYPE>
POSITION CList<TYPE, ARG_TYPE>::InsertBefore(POSITION position, ARG_TYPE element) {
  CNode* next = position != nullptr ? Node(position) : m_pNodeHead;
  CNode* prev = next != nullptr ? next->pPrev : nullptr;
  CNode* node = new CNode{next, prev, TYPE(element)};
  (prev != nullptr ? prev->pNext : m_pNodeHead) = node;
  (next != nullptr ? next->pPrev : m_pNodeTail) = node;
  ++m_nCount;
  return Pos(node);
}

template <class TYPE, class ARG_TYPE>
POSITION CList<TYPE, ARG_TYPE>::InsertAfter(POSITION position, ARG_TYPE element) {
  CNode* prev = position != nullptr ? Node(position) : m_pNodeTail;
  CNode* next = prev != nullptr ? prev->pNext : nullptr;
  CNode* node = new CNode{next, prev, TYPE(element)};
  (prev != nullptr ? prev->pNext : m_pNodeHead) = node;
  (next != nullptr ? next->pPrev : m_pNodeTail) = node;
  ++m_nCount;
  return Pos(node);
}

template <class TYPE, class ARG_TYPE>
POSITION CList<TYPE, ARG_TYPE>::Find(ARG_TYPE value, POSITION startAfter) const {
  CNode* node = startAfter != nullptr ? Node(startAfter)->pNext : m_pNodeHead;
  for (; node != nullptr; node = node->pNext) {
    if (node->data == value) return Pos(node);
  }
  return nullptr;
}

template <class TYPE, class ARG_TYPE>
POSITION CList<TYPE, ARG_TYPE>::FindIndex(int index) const {
  if (index < 0 || index >= m_nCount) return nullptr;
  CNode* node = m_pNodeHead;
  while (index-- > 0) node = node->pNext;
  return Pos(node);
}

// --- CMap ---

// A hash map; iteration visits the buckets in order, each chain newest first.
template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap : public CObject {
  struct CAssoc {
    CAssoc* pNext;
    UINT nHashValue;  // bucket index
    KEY key;
    VALUE value;
  };

 public:
  typedef KEY BASE_KEY;
  typedef ARG_KEY BASE_ARG_KEY;
  typedef VALUE BASE_VALUE;
  typedef ARG_VALUE BASE_ARG_VALUE;
  static constexpr UINT kDefaultHashTableSize = 17;

  explicit CMap(int blockSize = 10) { (void)blockSize; }
  ~CMap() override { RemoveAll(); }

  int GetCount() const { return m_nCount; }
  int GetSize() const { return m_nCount; }
  BOOL IsEmpty() const { return m_nCount == 0; }

  BOOL Lookup(ARG_KEY key, VALUE& value) const;
  VALUE& operator[](ARG_KEY key);
  void SetAt(ARG_KEY key, ARG_VALUE value) { (*this)[key] = value; }
  BOOL RemoveKey(ARG_KEY key);
  void RemoveAll();

  POSITION GetStartPosition() const { return Pos(FirstFrom(0)); }
  void GetNextAssoc(POSITION& position, KEY& key, VALUE& value) const;
  UINT GetHashTableSize() const { return m_nHashTableSize; }
  void InitHashTable(UINT size, BOOL allocateNow = TRUE);

 private:
  static POSITION Pos(CAssoc* assoc) { return reinterpret_cast<POSITION>(assoc); }
  UINT Bucket(ARG_KEY key) const { return HashKey(key) % m_nHashTableSize; }
  CAssoc* Find(ARG_KEY key) const;
  CAssoc* FirstFrom(UINT bucket) const;

  CAssoc** m_pHashTable = nullptr;
  UINT m_nHashTableSize = kDefaultHashTableSize;
  int m_nCount = 0;
};

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
void CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::InitHashTable(UINT size, BOOL allocateNow) {
  RemoveAll();
  m_nHashTableSize = std::max<UINT>(size, 1);
  if (allocateNow) m_pHashTable = new CAssoc*[m_nHashTableSize]();
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
typename CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::CAssoc* CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::Find(
    ARG_KEY key) const {
  if (m_pHashTable == nullptr) return nullptr;
  for (CAssoc* a = m_pHashTable[Bucket(key)]; a != nullptr; a = a->pNext) {
    if (a->key == key) return a;
  }
  return nullptr;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
typename CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::CAssoc* CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::FirstFrom(
    UINT bucket) const {
  if (m_pHashTable == nullptr) return nullptr;
  for (; bucket < m_nHashTableSize; ++bucket) {
    if (m_pHashTable[bucket] != nullptr) return m_pHashTable[bucket];
  }
  return nullptr;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
BOOL CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::Lookup(ARG_KEY key, VALUE& value) const {
  CAssoc* a = Find(key);
  if (a == nullptr) return FALSE;
  value = a->value;
  return TRUE;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
VALUE& CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::operator[](ARG_KEY key) {
  if (CAssoc* a = Find(key)) return a->value;
  if (m_pHashTable == nullptr) InitHashTable(m_nHashTableSize);
  UINT bucket = Bucket(key);
  CAssoc* a = new CAssoc{m_pHashTable[bucket], bucket, KEY(key), VALUE()};
  m_pHashTable[bucket] = a;
  ++m_nCount;
  return a->value;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
BOOL CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::RemoveKey(ARG_KEY key) {
  if (m_pHashTable == nullptr) return FALSE;
  for (CAssoc** link = &m_pHashTable[Bucket(key)]; *link != nullptr; link = &(*link)->pNext) {
    if ((*link)->key == key) {
      CAssoc* gone = *link;
      *link = gone->pNext;
      delete gone;
      --m_nCount;
      return TRUE;
    }
  }
  return FALSE;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
void CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::RemoveAll() {
  if (m_pHashTable != nullptr) {
    for (UINT i = 0; i < m_nHashTableSize; ++i) {
      for (CAssoc* a = m_pHashTable[i]; a != nullptr;) {
        CAssoc* next = a->pNext;
        delete a;
        a = next;
      }
    }
    delete[] m_pHashTable;
  }
  m_pHashTable = nullptr;
  m_nCount = 0;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
void CMap<KEY, ARG_KEY, VALUE, ARG_VALUE>::GetNextAssoc(POSITION& position, KEY& key, VALUE& value) const {
  CAssoc* a = position == BEFORE_START_POSITION ? FirstFrom(0) : reinterpret_cast<CAssoc*>(position);
  if (a == nullptr) {
    position = nullptr;
    return;
  }
  key = a->key;
  value = a->value;
  position = Pos(a->pNext != nullptr ? a->pNext : FirstFrom(a->nHashValue + 1));
}

// --- named collections ---

class CPtrArray : public CArray<void*, void*> {};
class CObArray : public CArray<CObject*, CObject*> {};
class CDWordArray : public CArray<DWORD, DWORD> {};
class CWordArray : public CArray<WORD, WORD> {};
class CByteArray : public CArray<BYTE, BYTE> {};
class CUIntArray : public CArray<UINT, UINT> {};
class CStringArray : public CArray<CString, const CString&> {};

class CPtrList : public CList<void*, void*> {
 public:
  explicit CPtrList(int blockSize = 10) : CList(blockSize) {}
};
class CObList : public CList<CObject*, CObject*> {
 public:
  explicit CObList(int blockSize = 10) : CList(blockSize) {}
};
class CStringList : public CList<CString, const CString&> {
 public:
  explicit CStringList(int blockSize = 10) : CList(blockSize) {}
};

class CMapStringToPtr : public CMap<CString, LPCTSTR, void*, void*> {};
class CMapStringToOb : public CMap<CString, LPCTSTR, CObject*, CObject*> {};
class CMapStringToString : public CMap<CString, LPCTSTR, CString, LPCTSTR> {};
class CMapPtrToPtr : public CMap<void*, void*, void*, void*> {};
class CMapPtrToWord : public CMap<void*, void*, WORD, WORD> {};
class CMapWordToPtr : public CMap<WORD, WORD, void*, void*> {};
class CMapWordToOb : public CMap<WORD, WORD, CObject*, CObject*> {};

// --- typed pointer collections ---

template <class BASE_CLASS, class TYPE>
class CTypedPtrArray : public BASE_CLASS {
 public:
  TYPE GetAt(int index) const { return static_cast<TYPE>(BASE_CLASS::GetAt(index)); }
  TYPE& ElementAt(int index) { return reinterpret_cast<TYPE&>(BASE_CLASS::ElementAt(index)); }
  void SetAt(int index, TYPE element) { BASE_CLASS::SetAt(index, element); }
  void SetAtGrow(int index, TYPE element) { BASE_CLASS::SetAtGrow(index, element); }
  int Add(TYPE element) { return BASE_CLASS::Add(element); }
  int Append(const CTypedPtrArray& source) { return BASE_CLASS::Append(source); }
  void Copy(const CTypedPtrArray& source) { BASE_CLASS::Copy(source); }
  void InsertAt(int index, TYPE element, int count = 1) { BASE_CLASS::InsertAt(index, element, count); }
  TYPE operator[](int index) const { return GetAt(index); }
  TYPE& operator[](int index) { return ElementAt(index); }
  TYPE* GetData() { return reinterpret_cast<TYPE*>(BASE_CLASS::GetData()); }
};

template <class BASE_CLASS, class TYPE>
class CTypedPtrList : public BASE_CLASS {
 public:
  explicit CTypedPtrList(int blockSize = 10) : BASE_CLASS(blockSize) {}
  TYPE& GetHead() { return reinterpret_cast<TYPE&>(BASE_CLASS::GetHead()); }
  TYPE GetHead() const { return static_cast<TYPE>(BASE_CLASS::GetHead()); }
  TYPE& GetTail() { return reinterpret_cast<TYPE&>(BASE_CLASS::GetTail()); }
  TYPE GetTail() const { return static_cast<TYPE>(BASE_CLASS::GetTail()); }
  TYPE RemoveHead() { return static_cast<TYPE>(BASE_CLASS::RemoveHead()); }
  TYPE RemoveTail() { return static_cast<TYPE>(BASE_CLASS::RemoveTail()); }
  POSITION AddHead(TYPE element) { return BASE_CLASS::AddHead(element); }
  POSITION AddTail(TYPE element) { return BASE_CLASS::AddTail(element); }
  TYPE& GetNext(POSITION& position) { return reinterpret_cast<TYPE&>(BASE_CLASS::GetNext(position)); }
  TYPE GetNext(POSITION& position) const { return static_cast<TYPE>(BASE_CLASS::GetNext(position)); }
  TYPE& GetPrev(POSITION& position) { return reinterpret_cast<TYPE&>(BASE_CLASS::GetPrev(position)); }
  TYPE GetPrev(POSITION& position) const { return static_cast<TYPE>(BASE_CLASS::GetPrev(position)); }
  TYPE& GetAt(POSITION position) { return reinterpret_cast<TYPE&>(BASE_CLASS::GetAt(position)); }
  TYPE GetAt(POSITION position) const { return static_cast<TYPE>(BASE_CLASS::GetAt(position)); }
  void SetAt(POSITION position, TYPE element) { BASE_CLASS::SetAt(position, element); }
  POSITION InsertBefore(POSITION position, TYPE element) { return BASE_CLASS::InsertBefore(position, element); }
  POSITION InsertAfter(POSITION position, TYPE element) { return BASE_CLASS::InsertAfter(position, element); }
  POSITION Find(TYPE value, POSITION startAfter = nullptr) const { return BASE_CLASS::Find(value, startAfter); }
};

template <class BASE_CLASS, class KEY, class VALUE>
class CTypedPtrMap : public BASE_CLASS {
 public:
  BOOL Lookup(typename BASE_CLASS::BASE_ARG_KEY key, VALUE& value) const {
    typename BASE_CLASS::BASE_VALUE stored;
    if (!BASE_CLASS::Lookup(key, stored)) return FALSE;
    value = static_cast<VALUE>(stored);
    return TRUE;
  }
  VALUE& operator[](typename BASE_CLASS::BASE_ARG_KEY key) {
    return reinterpret_cast<VALUE&>(BASE_CLASS::operator[](key));
  }
  void SetAt(KEY key, VALUE value) { BASE_CLASS::SetAt(key, value); }
  BOOL RemoveKey(KEY key) { return BASE_CLASS::RemoveKey(key); }
  void GetNextAssoc(POSITION& position, KEY& key, VALUE& value) const {
    typename BASE_CLASS::BASE_KEY storedKey;
    typename BASE_CLASS::BASE_VALUE stored = nullptr;
    BASE_CLASS::GetNextAssoc(position, storedKey, stored);
    key = static_cast<KEY>(storedKey);
    value = static_cast<VALUE>(stored);
  }
};
