// The modal loop: DialogBoxParamW and friends run a dialog while its owner is
// disabled, feed it through the thread's message filters and IsDialogMessageW,
// tell the owner when the loop goes idle, and end on EndDialog or WM_QUIT.
#include "compat/win32/dialog_state.h"

namespace compat::dialogs {
namespace {

bool Ended(HWND dialog) {
  DialogRecord record;
  return !GetRecord(dialog, &record) || record.ended;
}

// A press in progress elsewhere (a button held down) ends when a modal dialog
// starts: the window holding the capture is told and loses it.
void CancelCapture() {
  HWND capture = GetCapture();
  // Another thread's press (the interface thread's, under a worker's box) goes on.
  if (!capture || GetWindowThreadProcessId(capture, nullptr) != GetCurrentThreadId()) return;
  SendMessageW(capture, WM_CANCELMODE, 0, 0);
  if (GetCapture() == capture) ReleaseCapture();
}

void EnterIdle(HWND dialog, HWND owner) {
  if (!owner || (GetWindowLongPtrW(dialog, GWL_STYLE) & DS_NOIDLEMSG)) return;
  SendMessageW(owner, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(dialog));
}

// One message of the loop; false when WM_QUIT came (its code in *quitCode).
bool ProcessOne(HWND dialog, const MSG& taken, WPARAM* quitCode) {
  MSG msg = taken;
  if (msg.message == WM_QUIT) {
    *quitCode = msg.wParam;
    return false;
  }
  if (CallMsgFilterW(&msg, MSGF_DIALOGBOX)) return true;
  if (!IsDialogMessageW(dialog, &msg)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

}  // namespace

INT_PTR RunModal(HWND dialog, HWND owner) {
  // A dialog ended inside WM_INITDIALOG never shows and leaves its owner alone.
  const bool disable = owner && IsWindowEnabled(owner) && !Ended(dialog);
  UpdateRecord(dialog, [&](DialogRecord& r) {
    r.modal = true;
    r.owner = owner;
    r.ownerDisabled = disable;
  });
  if (disable) EnableWindow(owner, FALSE);
  CancelCapture();
  if (!Ended(dialog)) {
    ShowWindow(dialog, SW_SHOWNORMAL);
    SetActiveWindow(dialog);
    UpdateWindow(dialog);
  }
  bool quit = false, idleTold = false;
  WPARAM quitCode = 0;
  while (IsWindow(dialog) && !Ended(dialog)) {
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      idleTold = false;
      if (!ProcessOne(dialog, msg, &quitCode)) {
        quit = true;
        break;
      }
      continue;
    }
    if (!idleTold) {
      EnterIdle(dialog, owner);
      idleTold = true;
      continue;  // the owner may have posted something
    }
    if (compat::RunModalStep()) continue;
    WaitMessage();
  }
  DialogRecord record;
  const bool known = GetRecord(dialog, &record);
  if (quit || !known || !record.ended) EndDialog(dialog, known && record.ended ? record.result : 0);
  if (known) GetRecord(dialog, &record);
  const INT_PTR result = known ? record.result : -1;
  if (GetCapture() && IsChild(dialog, GetCapture())) ReleaseCapture();
  DestroyWindow(dialog);
  // WM_QUIT ends every loop on the way out: the one that called us sees it too.
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
  return result;
}

}  // namespace compat::dialogs

using namespace compat::dialogs;

INT_PTR WINAPI DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC proc, LPARAM param) {
  TemplateBytes bytes;
  if (!FindTemplate(instance, templateName, &bytes)) return -1;
  HWND owner = ModalOwner(parent);
  HWND dialog = CreateFromBytes(instance, bytes.data, bytes.size, bytes.id, owner, proc, param, true);
  return dialog ? RunModal(dialog, owner) : -1;
}

INT_PTR WINAPI DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND parent, DLGPROC proc,
                                       LPARAM param) {
  HWND owner = ModalOwner(parent);
  HWND dialog = CreateFromBytes(instance, reinterpret_cast<const BYTE*>(dialogTemplate), kMaxIndirectTemplateBytes, 0,
                                owner, proc, param, true);
  return dialog ? RunModal(dialog, owner) : -1;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
  DialogRecord record;
  if (!GetRecord(dialog, &record)) return FALSE;
  if (record.ended) {
    UpdateRecord(dialog, [&](DialogRecord& r) { r.result = result; });
    return TRUE;
  }
  UpdateRecord(dialog, [&](DialogRecord& r) {
    r.ended = true;
    r.result = result;
  });
  // The owner is enabled and active again before the dialog goes, so the
  // activation does not wander to another program window.
  if (record.ownerDisabled && IsWindow(record.owner)) EnableWindow(record.owner, TRUE);
  const bool wasActive = GetActiveWindow() == dialog;
  if (wasActive && record.owner && IsWindow(record.owner)) SetActiveWindow(record.owner);
  if (IsWindowVisible(dialog)) ShowWindow(dialog, SW_HIDE);
  // Wakes the loop if it waits.
  PostMessageW(dialog, WM_NULL, 0, 0);
  return TRUE;
}
