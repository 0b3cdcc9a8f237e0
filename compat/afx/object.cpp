// CObject and the registry of run-time class records.
#include "compat/afx/object.h"

#include <cstring>
#include <string>

#include "compat/host_path.h"

namespace {

// Zero-initialised before any constructor runs, so registration from other
// files' static objects is safe in any order.
CRuntimeClass* g_firstClass = nullptr;

}  // namespace

CRuntimeClass CObject::classCObject = {"CObject", sizeof(CObject), 0xFFFF, nullptr, nullptr, nullptr};
static AFX_CLASSINIT afxInit_CObject(&CObject::classCObject);

AFX_CLASSINIT::AFX_CLASSINIT(CRuntimeClass* newClass) {
  newClass->m_pNextClass = g_firstClass;
  g_firstClass = newClass;
}

CObject* CRuntimeClass::CreateObject() {
  return m_pfnCreateObject != nullptr ? m_pfnCreateObject() : nullptr;
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
  for (const CRuntimeClass* c = this; c != nullptr; c = c->m_pBaseClass) {
    if (c == base) return TRUE;
  }
  return FALSE;
}

CRuntimeClass* CRuntimeClass::FromName(LPCSTR className) {
  if (className == nullptr) return nullptr;
  for (CRuntimeClass* c = g_firstClass; c != nullptr; c = c->m_pNextClass) {
    if (std::strcmp(c->m_lpszClassName, className) == 0) return c;
  }
  return nullptr;
}

CRuntimeClass* CRuntimeClass::FromName(LPCWSTR className) {
  if (className == nullptr) return nullptr;
  return FromName(compat::Utf16ToUtf8(className).c_str());
}

CObject* CRuntimeClass::CreateObject(LPCSTR className) {
  CRuntimeClass* c = FromName(className);
  return c != nullptr ? c->CreateObject() : nullptr;
}

CObject* CRuntimeClass::CreateObject(LPCWSTR className) {
  CRuntimeClass* c = FromName(className);
  return c != nullptr ? c->CreateObject() : nullptr;
}

CRuntimeClass* CObject::GetRuntimeClass() const { return RUNTIME_CLASS(CObject); }

void CObject::Serialize(CArchive& ar) { (void)ar; }

BOOL CObject::IsKindOf(const CRuntimeClass* runtimeClass) const {
  return GetRuntimeClass()->IsDerivedFrom(runtimeClass);
}

BOOL CObject::IsSerializable() const {
  return (GetRuntimeClass()->m_wSchema & ~VERSIONABLE_SCHEMA) != 0xFFFF;
}
