// Opening documents, links and help: handed to the desktop's opener
// (xdg-open), which runs on its own while the program goes on.
#pragma once

#include "compat/win32/types.h"

#define SE_ERR_FNF 2
#define SE_ERR_NOASSOC 31

// "open" (or NULL) hands `file` (a URL, a "mailto:" link or a backslashed
// path) to the opener without waiting; above 32 when it started, else
// SE_ERR_NOASSOC.
HINSTANCE ShellExecuteW(HWND hwnd, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters, LPCWSTR lpDirectory,
                        INT nShowCmd);
#define ShellExecute ShellExecuteW

#define HH_DISPLAY_TOPIC 0x0000
#define HH_DISPLAY_TOC 0x0001
#define HH_CLOSE_ALL 0x0012
// The program's help is HTML: "<folder>\X.chm" opens "<folder>/X/index.html"
// (the named file itself when there is no such page). NULL on failure.
HWND HtmlHelpW(HWND hwndCaller, LPCWSTR pszFile, UINT uCommand, DWORD_PTR dwData);
#define HtmlHelp HtmlHelpW
