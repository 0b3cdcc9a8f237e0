// The framework's resource helpers over the platform's resource calls.
#include "compat/afx/resource.h"

#include "compat/afx.h"

#include <string>

namespace {

constexpr int kMaxInserts = 2;

// The text with "%1".."%n" replaced by the inserts; other '%' sequences are kept.
CString FormatInserts(const CString& format, const LPCTSTR* inserts, int count) {
  std::u16string out;
  LPCTSTR p = format.GetString();
  for (int i = 0; p[i]; ++i) {
    const int n = p[i] == u'%' ? p[i + 1] - u'0' : 0;
    if (n >= 1 && n <= count) {
      if (inserts[n - 1]) out += inserts[n - 1];
      ++i;
    } else {
      out += p[i];
    }
  }
  return CString(out.c_str());
}

void FormatString(CString& result, UINT id, const LPCTSTR* inserts, int count) {
  CString format;
  if (!format.LoadString(id)) {
    result.Empty();
    return;
  }
  result = FormatInserts(format, inserts, count);
}

}  // namespace

HINSTANCE AfxGetInstanceHandle() {
  CWinApp* app = AfxGetApp();
  return app && app->m_hInstance ? app->m_hInstance : ::GetModuleHandleW(nullptr);
}

HINSTANCE AfxGetResourceHandle() { return compat::ResourceModuleHandle(compat::ResourceModule::Program); }

HINSTANCE AfxFindResourceHandle(LPCTSTR name, LPCTSTR type) {
  HINSTANCE program = AfxGetResourceHandle();
  if (FindResourceW(program, name, type)) return program;
  HINSTANCE framework = compat::ResourceModuleHandle(compat::ResourceModule::Framework);
  if (FindResourceW(framework, name, type)) return framework;
  return program;  // absent everywhere: the caller's own lookup reports it
}

void AfxFormatString1(CString& result, UINT id, LPCTSTR text1) {
  LPCTSTR inserts[kMaxInserts] = {text1, nullptr};
  FormatString(result, id, inserts, 1);
}

void AfxFormatString2(CString& result, UINT id, LPCTSTR text1, LPCTSTR text2) {
  LPCTSTR inserts[kMaxInserts] = {text1, text2};
  FormatString(result, id, inserts, 2);
}

HBITMAP AfxLoadSysColorBitmap(HINSTANCE instance, HRSRC resource, BOOL) {
  HGLOBAL data = LoadResource(instance, resource);
  if (!data) return nullptr;
  const compat::ColorMapping map[] = {{RGB(0x00, 0x00, 0x00), GetSysColor(COLOR_BTNTEXT)},
                                      {RGB(0x80, 0x80, 0x80), GetSysColor(COLOR_BTNSHADOW)},
                                      {RGB(0xC0, 0xC0, 0xC0), GetSysColor(COLOR_BTNFACE)},
                                      {RGB(0xFF, 0xFF, 0xFF), GetSysColor(COLOR_BTNHIGHLIGHT)}};
  return compat::BitmapWithMappedColors(static_cast<const BYTE*>(LockResource(data)),
                                        SizeofResource(instance, resource), map, 4);
}
