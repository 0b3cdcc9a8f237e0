// The "Video Compression" dialog of AVISaveOptions: the compressor, its
// quality and the key-frame spacing, run modally on the calling thread (the
// export's render thread) as message boxes are.
//
// Sections: the template · the dialog's procedure · running it
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "compat/vfw.h"
#include "compat/win32.h"
#include "compat/vfw/compressor_dialog.h"

namespace compat::vfw {
namespace {

// --- the template ---

constexpr int kCompressorId = 1000, kQualityId = 1001, kQualityLabelId = 1002, kKeyFrameId = 1003;
constexpr int kKeyFrameLabelId = 1004, kFramesLabelId = 1005;

// An empty dialog with a caption and a font; the controls are made in WM_INITDIALOG.
std::vector<WORD> EmptyTemplate(const std::u16string& caption) {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  DLGTEMPLATE header{};
  header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
  header.cx = 240;
  header.cy = 96;
  std::memcpy(words.data(), &header, sizeof header);
  words.push_back(0);  // no menu
  words.push_back(0);  // the dialog class
  for (char16_t c : caption) words.push_back(c);
  words.push_back(0);
  words.push_back(8);  // point size
  for (char16_t c : std::u16string(u"MS Sans Serif")) words.push_back(c);
  words.push_back(0);
  return words;
}

// --- the dialog's procedure ---

struct Choice {
  UINT flags = 0;
  DWORD handler = comptypeDIB;
  DWORD quality = 7500;
  DWORD keyFrameEvery = 1;
};

void Make(HWND dialog, const char16_t* cls, const char16_t* text, DWORD style, int id, RECT r) {
  MapDialogRect(dialog, &r);
  HWND hwnd = CreateWindowExW((style & ES_NUMBER) ? WS_EX_CLIENTEDGE : 0, cls, text, WS_CHILD | WS_VISIBLE | style,
                              r.left, r.top, r.right - r.left, r.bottom - r.top, dialog,
                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr);
  SendMessageW(hwnd, WM_SETFONT, static_cast<WPARAM>(SendMessageW(dialog, WM_GETFONT, 0, 0)), FALSE);
}

// The quality means something only for Motion JPEG.
void ShowQuality(HWND dialog) {
  const bool mjpeg = SendDlgItemMessageW(dialog, kCompressorId, CB_GETCURSEL, 0, 0) == 1;
  EnableWindow(GetDlgItem(dialog, kQualityId), mjpeg);
  EnableWindow(GetDlgItem(dialog, kQualityLabelId), mjpeg);
}

void Init(HWND dialog, const Choice& choice) {
  Make(dialog, u"Static", u"&Compressor:", SS_LEFT, -1, RECT{7, 9, 60, 19});
  Make(dialog, u"ComboBox", u"", CBS_DROPDOWNLIST | WS_TABSTOP | WS_GROUP, kCompressorId, RECT{62, 7, 233, 80});
  SendDlgItemMessageW(dialog, kCompressorId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Full Frames (Uncompressed)"));
  SendDlgItemMessageW(dialog, kCompressorId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Motion JPEG"));
  SendDlgItemMessageW(dialog, kCompressorId, CB_SETCURSEL, choice.handler == comptypeMJPG ? 1 : 0, 0);
  Make(dialog, u"Static", u"Compression &Quality:", SS_LEFT, kQualityLabelId, RECT{7, 28, 80, 38});
  Make(dialog, u"Edit", u"", ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_GROUP, kQualityId,
       RECT{82, 26, 112, 38});
  SetDlgItemInt(dialog, kQualityId, choice.quality / 100, FALSE);
  if (choice.flags & ICMF_CHOOSE_KEYFRAME) {
    Make(dialog, u"Static", u"&Key frame every", SS_LEFT, kKeyFrameLabelId, RECT{7, 46, 80, 56});
    Make(dialog, u"Edit", u"", ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_GROUP, kKeyFrameId,
         RECT{82, 44, 112, 56});
    Make(dialog, u"Static", u"frames", SS_LEFT, kFramesLabelId, RECT{116, 46, 150, 56});
    SetDlgItemInt(dialog, kKeyFrameId, choice.keyFrameEvery, FALSE);
  }
  Make(dialog, u"Button", u"OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, IDOK, RECT{128, 74, 178, 88});
  Make(dialog, u"Button", u"Cancel", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, RECT{183, 74, 233, 88});
  ShowQuality(dialog);
}

INT_PTR CALLBACK CompressorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* choice = reinterpret_cast<Choice*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      Init(dialog, *reinterpret_cast<Choice*>(lParam));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == kCompressorId && HIWORD(wParam) == CBN_SELCHANGE) ShowQuality(dialog);
      if (LOWORD(wParam) == IDOK && choice) {
        const bool mjpeg = SendDlgItemMessageW(dialog, kCompressorId, CB_GETCURSEL, 0, 0) == 1;
        choice->handler = mjpeg ? comptypeMJPG : comptypeDIB;
        BOOL read = FALSE;
        const UINT quality = GetDlgItemInt(dialog, kQualityId, &read, FALSE);
        if (read) choice->quality = std::min<UINT>(quality, 100) * 100;
        if (choice->flags & ICMF_CHOOSE_KEYFRAME) {
          const UINT every = GetDlgItemInt(dialog, kKeyFrameId, &read, FALSE);
          if (read) choice->keyFrameEvery = std::max<UINT>(every, 1);
        }
        EndDialog(dialog, IDOK);
      }
      if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

// --- running it ---

bool RunCompressorDialog(HWND owner, UINT flags, DWORD* handler, DWORD* quality, DWORD* keyFrameEvery) {
  Choice choice;
  choice.flags = flags;
  choice.handler = *handler;
  choice.quality = *quality;
  const std::vector<WORD> words = EmptyTemplate(u"Video Compression");
  const INT_PTR answer =
      DialogBoxIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(words.data()), owner, CompressorProc,
                              reinterpret_cast<LPARAM>(&choice));
  if (answer != IDOK) return false;
  *handler = choice.handler;
  *quality = choice.quality;
  *keyFrameEvery = choice.keyFrameEvery;
  return true;
}

}  // namespace compat::vfw
