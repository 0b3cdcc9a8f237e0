// Wide text: the platform's wide C-runtime functions as char16_t overloads,
// code-page conversion (the ANSI code page is UTF-8 here), lstr* and Char*.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cwchar>
#include <cwctype>

#include "compat/win32/errors.h"
#include "compat/win32/types.h"

// --- C runtime: lengths, comparison, copying, searching ---
size_t wcslen(const char16_t* s);
size_t wcsnlen(const char16_t* s, size_t max_count);
int wcscmp(const char16_t* a, const char16_t* b);
int wcsncmp(const char16_t* a, const char16_t* b, size_t count);
int _wcsicmp(const char16_t* a, const char16_t* b);
int _wcsnicmp(const char16_t* a, const char16_t* b, size_t count);
char16_t* wcscpy(char16_t* dst, const char16_t* src);
char16_t* wcsncpy(char16_t* dst, const char16_t* src, size_t count);
char16_t* wcscat(char16_t* dst, const char16_t* src);
char16_t* wcsncat(char16_t* dst, const char16_t* src, size_t count);
const char16_t* wcschr(const char16_t* s, char16_t c);
char16_t* wcschr(char16_t* s, char16_t c);
const char16_t* wcsrchr(const char16_t* s, char16_t c);
char16_t* wcsrchr(char16_t* s, char16_t c);
const char16_t* wcsstr(const char16_t* s, const char16_t* find);
char16_t* wcsstr(char16_t* s, const char16_t* find);
char16_t* _wcsdup(const char16_t* s);  // free() the result

// --- C runtime: numbers. `long` keeps the platform's 32-bit range. ---
int _wtoi(const char16_t* s);
long _wtol(const char16_t* s);
double _wtof(const char16_t* s);
long wcstol(const char16_t* s, char16_t** end, int base);
unsigned long wcstoul(const char16_t* s, char16_t** end, int base);
double wcstod(const char16_t* s, char16_t** end);
char16_t* _itow(int value, char16_t* buffer, int radix);
char16_t* _ltow(long value, char16_t* buffer, int radix);

// --- C runtime: case ---
char16_t towlower(char16_t c);
char16_t towupper(char16_t c);
char16_t* _wcslwr(char16_t* s);
char16_t* _wcsupr(char16_t* s);

// --- C runtime: formatting with the platform's wide printf ---
// swprintf without a count is the platform's old form; the counted forms
// return -1 when the text does not fit (the buffer still ends in 0).
int swprintf(char16_t* buffer, const char16_t* format, ...);
int swprintf(char16_t* buffer, size_t count, const char16_t* format, ...);
int vswprintf(char16_t* buffer, const char16_t* format, va_list args);
int vswprintf(char16_t* buffer, size_t count, const char16_t* format, va_list args);
// Writes at most `count` characters; returns -1 without a terminator when
// the text is longer, as the platform does.
int _snwprintf(char16_t* buffer, size_t count, const char16_t* format, ...);
int _vsnwprintf(char16_t* buffer, size_t count, const char16_t* format, va_list args);

// --- generic-text names ---
#define _tcslen wcslen
#define _tcscmp wcscmp
#define _tcsncmp wcsncmp
#define _tcsicmp _wcsicmp
#define _tcsnicmp _wcsnicmp
#define _tcscpy wcscpy
#define _tcsncpy wcsncpy
#define _tcscat wcscat
#define _tcschr wcschr
#define _tcsrchr wcsrchr
#define _tcsstr wcsstr
#define _tcsdup _wcsdup
#define _ttoi _wtoi
#define _ttol _wtol
#define _ttof _wtof
#define _tcstol wcstol
#define _tcstoul wcstoul
#define _tcstod wcstod
#define _itot _itow
#define _ltot _ltow
#define _tcslwr _wcslwr
#define _tcsupr _wcsupr
#define _totlower towlower
#define _totupper towupper
#define _stprintf swprintf
#define _sntprintf _snwprintf
#define _vstprintf vswprintf
#define _vsntprintf _vsnwprintf

// --- code pages ---
#define CP_ACP 0
#define CP_OEMCP 1
#define CP_MACCP 2
#define CP_THREAD_ACP 3
#define CP_UTF7 65000
#define CP_UTF8 65001
#define MB_PRECOMPOSED 0x00000001
#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_COMPOSITECHECK 0x00000200
#define WC_NO_BEST_FIT_CHARS 0x00000400
#define WC_ERR_INVALID_CHARS 0x00000080

// Lengths of -1 mean "up to and including the terminator"; an output size of
// 0 asks for the size needed. Code pages 1252 and 28591 are also known.
int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar);
int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                        LPBOOL lpUsedDefaultChar);

// --- lstr* and Char* ---
int lstrlenW(LPCWSTR lpString);
LPWSTR lstrcpyW(LPWSTR lpString1, LPCWSTR lpString2);
LPWSTR lstrcpynW(LPWSTR lpString1, LPCWSTR lpString2, int iMaxLength);
LPWSTR lstrcatW(LPWSTR lpString1, LPCWSTR lpString2);
int lstrcmpW(LPCWSTR lpString1, LPCWSTR lpString2);
int lstrcmpiW(LPCWSTR lpString1, LPCWSTR lpString2);
// A pointer whose high word is zero is one character, converted and returned
// in the low word, as on the platform.
LPWSTR CharUpperW(LPWSTR lpsz);
LPWSTR CharLowerW(LPWSTR lpsz);
DWORD CharUpperBuffW(LPWSTR lpsz, DWORD cchLength);
DWORD CharLowerBuffW(LPWSTR lpsz, DWORD cchLength);
LPWSTR CharNextW(LPCWSTR lpsz);
BOOL IsCharAlphaW(WCHAR ch);
BOOL IsCharAlphaNumericW(WCHAR ch);
// Output is limited to 1024 characters including the terminator.
int wsprintfW(LPWSTR buffer, LPCWSTR format, ...);
int wvsprintfW(LPWSTR buffer, LPCWSTR format, va_list args);

#define lstrlen lstrlenW
#define lstrcpy lstrcpyW
#define lstrcpyn lstrcpynW
#define lstrcat lstrcatW
#define lstrcmp lstrcmpW
#define lstrcmpi lstrcmpiW
#define CharUpper CharUpperW
#define CharLower CharLowerW
#define CharNext CharNextW
#define IsCharAlpha IsCharAlphaW
#define IsCharAlphaNumeric IsCharAlphaNumericW
#define wsprintf wsprintfW
#define wvsprintf wvsprintfW
