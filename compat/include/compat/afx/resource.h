// The framework's resource helpers: which module holds a resource (the program's table
// first, then the framework's own), message texts with inserts, and toolbar bitmaps in
// the system's button colours.
#pragma once

#include "compat/afx/string.h"
#include "compat/win32.h"

// The application's module (the program's when no application object exists).
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
HINSTANCE AfxFindResourceHandle(LPCTSTR name, LPCTSTR type);

// The string resource `id` with each "%1" (and "%2") replaced by the given text.
void AfxFormatString1(CString& result, UINT id, LPCTSTR text1);
void AfxFormatString2(CString& result, UINT id, LPCTSTR text1, LPCTSTR text2);

// A 16-colour bitmap resource whose black, dark grey, light grey and white become the
// button text, shadow, face and highlight colours in force.
HBITMAP AfxLoadSysColorBitmap(HINSTANCE instance, HRSRC resource, BOOL mono = FALSE);
