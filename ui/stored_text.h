// Texts the palettes and file dialogs keep between runs (remembered folders
// and paths), as UTF-16 with the terminating zero, in the registry store or
// as named settings.
#pragma once

#include "compat/afx.h"

// The stored text, or empty when the value is missing or holds no whole
// UTF-16 text.
CString ReadRegistryText(LPCTSTR name);
BOOL WriteRegistryText(LPCTSTR name, const CString& text);
CString ReadSettingText(LPCTSTR name);
BOOL WriteSettingText(LPCTSTR name, const CString& text);

// The path up to and including its last backslash; empty without one.
CString FolderOfPath(const CString& path);
