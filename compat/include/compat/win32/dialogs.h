// The dialog manager: dialogs from binary templates, the modal loop, keyboard
// navigation (IsDialogMessage) and the dialog-item calls; and the test support
// that acts inside modal loops.
//
// Sections: templates and styles · messages and answers · calls · test support
#pragma once

#include <functional>
#include <string>

#include "compat/win32/types.h"

// --- templates and styles ---
typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

#pragma pack(push, 2)
// Followed by the menu, class and caption (each a UTF-16 string, or 0xFFFF and
// an ordinal), the font when DS_SETFONT, then the items on DWORD boundaries.
struct DLGTEMPLATE {
  DWORD style;
  DWORD dwExtendedStyle;
  WORD cdit;
  short x;
  short y;
  short cx;
  short cy;
};
// Followed by the class and title (string or ordinal) and the creation data size.
struct DLGITEMTEMPLATE {
  DWORD style;
  DWORD dwExtendedStyle;
  short x;
  short y;
  short cx;
  short cy;
  WORD id;
};
#pragma pack(pop)
typedef DLGTEMPLATE* LPDLGTEMPLATEW;
typedef const DLGTEMPLATE* LPCDLGTEMPLATEW;
typedef LPCDLGTEMPLATEW LPCDLGTEMPLATE;

#define DS_ABSALIGN 0x0001L
#define DS_SYSMODAL 0x0002L
#define DS_3DLOOK 0x0004L
#define DS_FIXEDSYS 0x0008L
#define DS_NOFAILCREATE 0x0010L
#define DS_LOCALEDIT 0x0020L
#define DS_SETFONT 0x0040L
#define DS_MODALFRAME 0x0080L
#define DS_NOIDLEMSG 0x0100L
#define DS_SETFOREGROUND 0x0200L
#define DS_CONTROL 0x0400L
#define DS_CENTER 0x0800L
#define DS_CENTERMOUSE 0x1000L
#define DS_CONTEXTHELP 0x2000L

// The dialog class's window bytes: the message result, the dialog procedure
// and the user's value, at pointer-sized offsets.
#define DWLP_DLGPROC ((LONG_PTR)(DWLP_MSGRESULT + sizeof(LRESULT)))
#define DWLP_USER ((LONG_PTR)(DWLP_DLGPROC + sizeof(DLGPROC)))
#define DLGWINDOWEXTRA 30
#define WC_DIALOG u"#32770"

// --- messages and answers ---
#define WM_NEXTDLGCTL 0x0028
#define DM_GETDEFID (WM_USER + 0)
#define DM_SETDEFID (WM_USER + 1)
#define DM_REPOSITION (WM_USER + 2)
#define DC_HASDEFID 0x534B


// --- calls ---
HWND WINAPI CreateDialogParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC proc,
                               LPARAM param);
HWND WINAPI CreateDialogIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND parent,
                                       DLGPROC proc, LPARAM param);
INT_PTR WINAPI DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC proc,
                               LPARAM param);
INT_PTR WINAPI DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND parent,
                                       DLGPROC proc, LPARAM param);
BOOL WINAPI EndDialog(HWND dialog, INT_PTR result);
LRESULT WINAPI DefDlgProcW(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI IsDialogMessageW(HWND dialog, LPMSG msg);
BOOL WINAPI MapDialogRect(HWND dialog, LPRECT rect);
LONG WINAPI GetDialogBaseUnits();
HWND WINAPI GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
HWND WINAPI GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous);

UINT WINAPI GetDlgItemTextW(HWND dialog, int id, LPWSTR text, int maxCount);
BOOL WINAPI SetDlgItemTextW(HWND dialog, int id, LPCWSTR text);
BOOL WINAPI SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
UINT WINAPI GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check);
UINT WINAPI IsDlgButtonChecked(HWND dialog, int id);
BOOL WINAPI CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId);
LRESULT WINAPI SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);

inline HWND CreateDialogW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC proc) {
  return CreateDialogParamW(instance, templateName, parent, proc, 0);
}
inline HWND CreateDialogIndirectW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND parent, DLGPROC proc) {
  return CreateDialogIndirectParamW(instance, dialogTemplate, parent, proc, 0);
}
inline INT_PTR DialogBoxW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC proc) {
  return DialogBoxParamW(instance, templateName, parent, proc, 0);
}
inline INT_PTR DialogBoxIndirectW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND parent, DLGPROC proc) {
  return DialogBoxIndirectParamW(instance, dialogTemplate, parent, proc, 0);
}
#define CreateDialogParam CreateDialogParamW
#define CreateDialogIndirectParam CreateDialogIndirectParamW
#define CreateDialog CreateDialogW
#define CreateDialogIndirect CreateDialogIndirectW
#define DialogBoxParam DialogBoxParamW
#define DialogBoxIndirectParam DialogBoxIndirectParamW
#define DialogBox DialogBoxW
#define DialogBoxIndirect DialogBoxIndirectW
#define DefDlgProc DefDlgProcW
#define IsDialogMessage IsDialogMessageW
#define GetDlgItemText GetDlgItemTextW
#define SetDlgItemText SetDlgItemTextW
#define SendDlgItemMessage SendDlgItemMessageW

// --- test support (not platform calls) ---
namespace compat {

// The template id a dialog was made from (0 for one made from memory).
WORD DialogTemplateId(HWND dialog);

// A scripted test acts inside modal loops through steps. Steps run in the
// order they were added, each once, when a modal loop (a dialog's, a message
// box's or the framework's) has nothing left to do and the step's window is
// there: input queued this way plays as the loop waits.
// A step that runs when a modal loop is idle.
void AddModalStep(std::function<void()> step);
// A step that runs once a visible window with this caption is up; it gets the window.
void AddModalStepOnCaption(const std::u16string& caption, std::function<void(HWND)> step);
// A step that runs once a visible dialog made from this template id is up.
void AddModalStepOnTemplate(WORD templateId, std::function<void(HWND)> step);
void ClearModalSteps();
int PendingModalSteps();
// A modal loop calls this when its queue is empty; true when a step ran.
bool RunModalStep();

}  // namespace compat
