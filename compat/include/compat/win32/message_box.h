// MessageBoxW: a real box with a display, or when a test switches real boxes
// on; otherwise the box answers as the test (or its default button) says.
#pragma once

#include <string>

#include "compat/win32/types.h"

#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ABORTRETRYIGNORE 0x00000002L
#define MB_YESNOCANCEL 0x00000003L
#define MB_YESNO 0x00000004L
#define MB_RETRYCANCEL 0x00000005L
#define MB_TYPEMASK 0x0000000FL
#define MB_ICONHAND 0x00000010L
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_ICONMASK 0x000000F0L
#define MB_DEFBUTTON1 0x00000000L
#define MB_DEFBUTTON2 0x00000100L
#define MB_DEFBUTTON3 0x00000200L
#define MB_DEFMASK 0x00000F00L
#define MB_APPLMODAL 0x00000000L
#define MB_SYSTEMMODAL 0x00001000L
#define MB_TASKMODAL 0x00002000L
#define MB_SETFOREGROUND 0x00010000L
#define MB_TOPMOST 0x00040000L

#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7

int MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType);
BOOL MessageBeep(UINT uType);
#define MessageBox MessageBoxW

namespace compat {
// Real boxes on or off (ResetMessageBoxLog returns to the host's choice:
// real with a display, none headless).
void SetRealMessageBoxes(bool on);
// The answer the next boxes without a window give; 0 (the start) presses the
// default button of each box.
void SetMessageBoxAnswer(int answer);
int MessageBoxCount();
std::u16string LastMessageBoxText();
std::u16string LastMessageBoxCaption();
UINT LastMessageBoxType();
void ResetMessageBoxLog();
}  // namespace compat
