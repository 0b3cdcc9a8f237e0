// Profile (INI) files: the platform's private-profile calls on real files.
#pragma once

#include "compat/win32/types.h"

// Section and key names are case-insensitive; files are read as UTF-8 (or
// UTF-16 with its byte-order mark) and written as UTF-8, atomically. A file
// name without a folder is looked for in the current folder.
DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                               LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName);
UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName);
// A NULL key deletes the section; a NULL string deletes the key.
BOOL WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString, LPCWSTR lpFileName);
DWORD GetPrivateProfileSectionNamesW(LPWSTR lpszReturnBuffer, DWORD nSize, LPCWSTR lpFileName);

#define GetPrivateProfileString GetPrivateProfileStringW
#define GetPrivateProfileInt GetPrivateProfileIntW
#define WritePrivateProfileString WritePrivateProfileStringW
#define GetPrivateProfileSectionNames GetPrivateProfileSectionNamesW
