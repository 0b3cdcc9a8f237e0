// What the dialog manager keeps about each dialog, apart from the window
// manager's own state: its font and base units, the default button, the focus
// saved while inactive and, for modal dialogs, how the loop ends.
#pragma once

#include "compat/win32.h"
#include <functional>

#include "compat/win32/dialog_template.h"

namespace compat::dialogs {

struct DialogRecord {
  HFONT font = nullptr;
  bool ownsFont = false;
  int baseX = 0, baseY = 0;
  WORD templateId = 0;
  int defaultId = 0;          // 0: none set; Enter then presses IDOK
  HWND savedFocus = nullptr;
  bool modal = false;
  HWND owner = nullptr;       // the window a modal dialog disabled
  bool ownerDisabled = false;
  bool ended = false;
  INT_PTR result = 0;
};

// Copies of the record (the window manager may call back while we look).
bool GetRecord(HWND dialog, DialogRecord* out);
void UpdateRecord(HWND dialog, const std::function<void(DialogRecord&)>& change);
bool IsDialog(HWND hwnd);

// Makes the dialog a template describes; the dialog stays hidden when
// `forceHidden` (the modal loop shows it itself). Null on failure, with the
// reason in the log.
HWND CreateFromTemplate(HINSTANCE instance, const DialogTemplate& dialogTemplate, WORD templateId, HWND parent,
                        DLGPROC proc, LPARAM param, bool forceHidden);
// Reads a template from resource or memory bytes and makes it.
HWND CreateFromBytes(HINSTANCE instance, const BYTE* data, size_t size, WORD templateId, HWND parent,
                     DLGPROC proc, LPARAM param, bool forceHidden);
// A dialog template in the module's resources; false (logged) when there is none.
struct TemplateBytes {
  const BYTE* data = nullptr;
  size_t size = 0;
  WORD id = 0;
};
bool FindTemplate(HINSTANCE instance, LPCWSTR templateName, TemplateBytes* out);
// Runs the modal loop of a made (hidden) dialog and destroys it.
INT_PTR RunModal(HWND dialog, HWND owner);
// The top-level window a modal dialog of `parent` is owned by.
HWND ModalOwner(HWND parent);

// Moves the focus to a control the way the keyboard does: an edit's text is
// selected and a push button becomes the default while it has the focus.
void DialogSetFocus(HWND dialog, HWND control);
// The dialog whose navigation a control's keys follow: nested DS_CONTROL
// dialogs join their parent's.
HWND NavigationRoot(HWND dialog);

// The log line for a dialog that cannot be made.
void LogDialogFailure(const std::string& why);

}  // namespace compat::dialogs
