// Dialog windows: the dialog class "#32770", dialog units from the template
// font, making a dialog and its controls from a template, and DefDlgProcW.
//
// Sections: records · dialog units · creation · DefDlgProcW · calls
#include <cstdio>
#include <map>
#include <mutex>

#include "compat/host_path.h"
#include "compat/win32/dialog_state.h"

namespace compat::dialogs {

// --- records ---
namespace {

struct Records {
  std::mutex lock;
  std::map<HWND, DialogRecord> byWindow;
};

Records& AllRecords() {
  static Records* records = new Records;  // dialogs may outlive static destruction
  return *records;
}

void DropRecord(HWND dialog) {
  DialogRecord gone;
  {
    Records& r = AllRecords();
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.byWindow.find(dialog);
    if (it == r.byWindow.end()) return;
    gone = it->second;
    r.byWindow.erase(it);
  }
  if (gone.ownsFont) DeleteObject(gone.font);
}

}  // namespace

bool GetRecord(HWND dialog, DialogRecord* out) {
  Records& r = AllRecords();
  std::lock_guard<std::mutex> guard(r.lock);
  auto it = r.byWindow.find(dialog);
  if (it == r.byWindow.end()) return false;
  *out = it->second;
  return true;
}

void UpdateRecord(HWND dialog, const std::function<void(DialogRecord&)>& change) {
  Records& r = AllRecords();
  std::lock_guard<std::mutex> guard(r.lock);
  auto it = r.byWindow.find(dialog);
  if (it != r.byWindow.end()) change(it->second);
}

bool IsDialog(HWND hwnd) {
  DialogRecord unused;
  return hwnd && GetRecord(hwnd, &unused);
}

void LogDialogFailure(const std::string& why) { std::fprintf(stderr, "dialog: %s\n", why.c_str()); }

// --- dialog units ---
namespace {

constexpr int kScreenDpi = 96;
constexpr int kPointsPerInch = 72;
// Every program template names this font; its base units on the platform are
// 6 x 13 at 96 dpi whatever face stands in for it here.
constexpr char16_t kClassicFace[] = u"MS Sans Serif";
constexpr WORD kClassicPointSize = 8;
constexpr int kClassicBaseX = 6, kClassicBaseY = 13;
constexpr char16_t kAlphabet[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

struct BaseUnits {
  int x, y;
};

BaseUnits Measure(HFONT font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SIZE size{};
  GetTextExtentPoint32W(dc, kAlphabet, 52, &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return BaseUnits{(size.cx / 26 + 1) / 2, metrics.tmHeight};
}

HFONT MakeFont(int height, const std::u16string& face) {
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face.c_str());
}

bool IsClassicFont(WORD pointSize, const std::u16string& face) {
  return pointSize == kClassicPointSize && _wcsicmp(face.c_str(), kClassicFace) == 0;
}

// The stand-in for the classic font is drawn at the largest height whose
// letters fit its 6 x 13 units, so text fits the controls laid out for it.
int ClassicFontHeight() {
  static std::once_flag once;
  static int height = -MulDiv(kClassicPointSize, kScreenDpi, kPointsPerInch);
  std::call_once(once, [] {
    for (int h = height; h <= -7; ++h) {
      HFONT font = MakeFont(h, kClassicFace);
      const BaseUnits units = Measure(font);
      DeleteObject(font);
      if (units.x <= kClassicBaseX && units.y <= kClassicBaseY) {
        height = h;
        return;
      }
    }
  });
  return height;
}

// The font a template asks for and its base units; the system font otherwise.
void ChooseFont(const DialogTemplate& t, DialogRecord* record) {
  if (!(t.style & DS_SETFONT)) {
    record->font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    const BaseUnits units = Measure(record->font);
    record->baseX = units.x;
    record->baseY = units.y;
    return;
  }
  record->ownsFont = true;
  if (IsClassicFont(t.pointSize, t.face)) {
    record->font = MakeFont(ClassicFontHeight(), t.face);
    record->baseX = kClassicBaseX;
    record->baseY = kClassicBaseY;
    return;
  }
  record->font = MakeFont(-MulDiv(t.pointSize, kScreenDpi, kPointsPerInch), t.face);
  const BaseUnits units = Measure(record->font);
  record->baseX = units.x;
  record->baseY = units.y;
}

RECT ToPixels(const DialogRecord& record, short x, short y, short cx, short cy) {
  const int left = MulDiv(x, record.baseX, 4), top = MulDiv(y, record.baseY, 8);
  return RECT{left, top, left + MulDiv(cx, record.baseX, 4), top + MulDiv(cy, record.baseY, 8)};
}

// --- creation ---

LRESULT CALLBACK DialogClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefDlgProcW(hwnd, message, wParam, lParam);
}

void EnsureDialogClass() {
  WNDCLASSW existing{};
  if (GetClassInfoW(nullptr, WC_DIALOG, &existing)) return;
  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS | CS_SAVEBITS | CS_GLOBALCLASS;
  wc.lpfnWndProc = DialogClassProc;
  wc.cbWndExtra = DLGWINDOWEXTRA;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_3DFACE + 1);
  wc.lpszClassName = WC_DIALOG;
  RegisterClassW(&wc);
}

// A dialog naming a class nobody registered fails before any window is made.
bool ClassesRegistered(const DialogTemplate& t) {
  auto registered = [](const std::u16string& name) {
    WNDCLASSW wc{};
    return GetClassInfoW(nullptr, name.c_str(), &wc) != FALSE;
  };
  if (!t.className.empty() && !registered(t.className)) {
    LogDialogFailure("the dialog class \"" + Utf16ToUtf8(t.className) + "\" is not registered");
    return false;
  }
  for (const DialogItem& item : t.items) {
    if (registered(item.className)) continue;
    LogDialogFailure("the control class \"" + Utf16ToUtf8(item.className) + "\" of control " +
                     std::to_string(item.id) + " is not registered");
    return false;
  }
  return true;
}

DWORD DialogStyle(const DialogTemplate& t, DWORD* exStyle) {
  DWORD style = t.style;
  *exStyle = t.exStyle;
  if (style & DS_MODALFRAME) *exStyle |= WS_EX_DLGMODALFRAME;
  if (style & DS_CONTROL) {
    // A dialog inside another is a plain child whose controls join the parent's tab order.
    style &= ~(WS_CAPTION | WS_SYSMENU | WS_POPUP);
    style |= WS_CHILD;
    *exStyle |= WS_EX_CONTROLPARENT;
  }
  return style;
}

// Where the window goes: child dialogs in the parent's client area, the others
// from the owner's client origin (or the screen with DS_ABSALIGN), DS_CENTER
// centred on the work area, and a top-level dialog kept on the desktop.
RECT DialogWindowRect(const DialogTemplate& t, const DialogRecord& record, DWORD style, DWORD exStyle,
                      HWND parent) {
  RECT client = ToPixels(record, t.x, t.y, t.cx, t.cy);
  RECT frame{0, 0, client.right - client.left, client.bottom - client.top};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  POINT origin{client.left + frame.left, client.top + frame.top};
  if (style & WS_CHILD) return RECT{origin.x, origin.y, origin.x + width, origin.y + height};
  RECT area;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  if (style & DS_CENTER) {
    origin = POINT{area.left + (area.right - area.left - width) / 2, area.top + (area.bottom - area.top - height) / 2};
  } else if (parent && !(style & DS_ABSALIGN)) {
    POINT parentOrigin{0, 0};
    ClientToScreen(parent, &parentOrigin);
    origin.x += parentOrigin.x;
    origin.y += parentOrigin.y;
  }
  origin.x = std::max(area.left, std::min(origin.x, area.right - width));
  origin.y = std::max(area.top, std::min(origin.y, area.bottom - height));
  return RECT{origin.x, origin.y, origin.x + width, origin.y + height};
}

// The template's title for a control: a name, or "#n" for an ordinal (an icon id).
std::u16string ItemTitle(const NameOrOrdinal& title) {
  if (!title.isOrdinal) return title.name;
  std::u16string text = u"#";
  for (char c : std::to_string(title.ordinal)) text.push_back(static_cast<char16_t>(c));
  return text;
}

constexpr DWORD kButtonTypeMask = 0x0F, kDefPushButton = 0x01;

bool MakeControls(HWND dialog, HINSTANCE instance, const DialogTemplate& t, const DialogRecord& record) {
  for (const DialogItem& item : t.items) {
    const RECT r = ToPixels(record, item.x, item.y, item.cx, item.cy);
    const DWORD style = (item.style | WS_CHILD) & ~WS_POPUP;
    const std::u16string title = ItemTitle(item.title);
    void* data = item.creationData.empty() ? nullptr : const_cast<BYTE*>(item.creationData.data());
    HWND control = CreateWindowExW(item.exStyle | WS_EX_NOPARENTNOTIFY, item.className.c_str(), title.c_str(), style,
                                   r.left, r.top, r.right - r.left, r.bottom - r.top, dialog,
                                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(item.id)), instance, data);
    if (!control) {
      if (t.style & DS_NOFAILCREATE) continue;
      LogDialogFailure("control " + std::to_string(item.id) + " of class \"" + Utf16ToUtf8(item.className) +
                       "\" could not be made");
      return false;
    }
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(record.font), FALSE);
  }
  return true;
}

int FirstDefaultButton(const DialogTemplate& t) {
  for (const DialogItem& item : t.items) {
    if (_wcsicmp(item.className.c_str(), u"Button") == 0 && (item.style & kButtonTypeMask) == kDefPushButton)
      return item.id;
  }
  return 0;
}

// WM_INITDIALOG, then the focus to the first tab stop unless the procedure said FALSE.
void Initialise(HWND dialog, LPARAM param) {
  HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
  const LRESULT setFocus = SendMessageW(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param);
  if (!IsWindow(dialog)) return;
  first = GetNextDlgTabItem(dialog, nullptr, FALSE);  // the procedure may have changed the controls
  if (!setFocus || !first) return;
  UpdateRecord(dialog, [&](DialogRecord& r) { r.savedFocus = first; });
  const HWND top = GetAncestor(dialog, GA_ROOT);
  if (GetActiveWindow() == top) DialogSetFocus(dialog, first);
}

}  // namespace

HWND CreateFromTemplate(HINSTANCE instance, const DialogTemplate& t, WORD templateId, HWND parent, DLGPROC proc,
                        LPARAM param, bool forceHidden) {
  EnsureDialogClass();
  if (!ClassesRegistered(t)) return nullptr;
  DialogRecord record;
  record.templateId = templateId;
  record.defaultId = FirstDefaultButton(t);
  ChooseFont(t, &record);
  DWORD exStyle = 0;
  const DWORD style = DialogStyle(t, &exStyle);
  if (!(style & WS_CHILD)) parent = ModalOwner(parent);
  const RECT r = DialogWindowRect(t, record, style, exStyle, parent);
  HWND dialog = CreateWindowExW(exStyle, t.className.empty() ? WC_DIALOG : t.className.c_str(), t.caption.c_str(),
                                style & ~WS_VISIBLE, r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
                                nullptr, instance, nullptr);
  if (!dialog) {
    if (record.ownsFont) DeleteObject(record.font);
    LogDialogFailure("the dialog window \"" + Utf16ToUtf8(t.caption) + "\" could not be made");
    return nullptr;
  }
  {
    Records& all = AllRecords();
    std::lock_guard<std::mutex> guard(all.lock);
    all.byWindow[dialog] = record;
  }
  SetWindowLongPtrW(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
  if (t.style & DS_SETFONT) SendMessageW(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(record.font), FALSE);
  if (!MakeControls(dialog, instance, t, record)) {
    DestroyWindow(dialog);
    return nullptr;
  }
  Initialise(dialog, param);
  if (!IsWindow(dialog)) return nullptr;
  if ((style & WS_VISIBLE) && !forceHidden) {
    DialogRecord now;
    if (GetRecord(dialog, &now) && !now.ended) ShowWindow(dialog, SW_SHOWNORMAL);
  }
  return dialog;
}

HWND CreateFromBytes(HINSTANCE instance, const BYTE* data, size_t size, WORD templateId, HWND parent, DLGPROC proc,
                     LPARAM param, bool forceHidden) {
  DialogTemplate t;
  std::string error;
  if (!ParseDialogTemplate(data, size, &t, &error)) {
    LogDialogFailure("template " + std::to_string(templateId) + ": " + error);
    return nullptr;
  }
  return CreateFromTemplate(instance, t, templateId, parent, proc, param, forceHidden);
}

bool FindTemplate(HINSTANCE instance, LPCWSTR templateName, TemplateBytes* out) {
  HRSRC resource = FindResourceW(instance, templateName, RT_DIALOG);
  HGLOBAL data = resource ? LoadResource(instance, resource) : nullptr;
  out->id = IS_INTRESOURCE(templateName) ? static_cast<WORD>(reinterpret_cast<ULONG_PTR>(templateName)) : 0;
  if (!data) {
    LogDialogFailure("no dialog template " + std::to_string(out->id));
    return false;
  }
  out->data = static_cast<const BYTE*>(LockResource(data));
  out->size = SizeofResource(instance, resource);
  return true;
}

HWND ModalOwner(HWND parent) {
  if (!parent || !IsWindow(parent)) return nullptr;
  return GetAncestor(parent, GA_ROOT);
}

HWND NavigationRoot(HWND dialog) {
  HWND root = dialog;
  for (;;) {
    const LONG_PTR style = GetWindowLongPtrW(root, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrW(root, GWL_EXSTYLE);
    HWND parent = GetParent(root);
    if (!(style & WS_CHILD) || !(exStyle & WS_EX_CONTROLPARENT) || !parent || !IsDialog(parent)) return root;
    root = parent;
  }
}

}  // namespace compat::dialogs

using namespace compat::dialogs;

// --- DefDlgProcW ---
namespace {

// Messages whose answer is the dialog procedure's own return value rather than DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) {
  return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) || message == WM_COMPAREITEM ||
         message == WM_VKEYTOITEM || message == WM_CHARTOITEM || message == WM_QUERYDRAGICON ||
         message == WM_INITDIALOG;
}

HWND FocusInside(HWND dialog) {
  HWND focus = GetFocus();
  return focus && IsChild(dialog, focus) ? focus : nullptr;
}

void SaveFocus(HWND dialog) {
  if (HWND focus = FocusInside(dialog)) UpdateRecord(dialog, [&](DialogRecord& r) { r.savedFocus = focus; });
}

void RestoreFocus(HWND dialog) {
  DialogRecord record;
  if (!GetRecord(dialog, &record)) return;
  if (FocusInside(dialog)) return;
  HWND target = record.savedFocus;
  if (!IsWindow(target) || !IsChild(dialog, target) || !IsWindowEnabled(target) || !IsWindowVisible(target))
    target = GetNextDlgTabItem(dialog, nullptr, FALSE);
  if (target) DialogSetFocus(dialog, target);
}

LRESULT EraseWithDialogBrush(HWND dialog, HDC dc) {
  auto brush = reinterpret_cast<HBRUSH>(SendMessageW(dialog, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(dialog)));
  if (!brush) return DefWindowProcW(dialog, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT r;
  GetClientRect(dialog, &r);
  FillRect(dc, &r, brush);
  return TRUE;
}

// WM_NEXTDLGCTL: wParam a control when lParam is TRUE, else next (0) or previous.
void NextControl(HWND dialog, WPARAM wParam, LPARAM lParam) {
  HWND root = NavigationRoot(dialog);
  HWND target = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                               : GetNextDlgTabItem(root, GetFocus(), wParam != 0);
  if (target) DialogSetFocus(root, target);
}

LRESULT SetDefaultId(HWND dialog, int id) {
  DialogRecord record;
  if (!GetRecord(dialog, &record)) return FALSE;
  constexpr UINT kSetStyle = 0x00F4;  // BM_SETSTYLE
  auto restyle = [&](int controlId, DWORD buttonType) {
    HWND button = GetDlgItem(dialog, controlId);
    if (!button) return;
    const LRESULT code = SendMessageW(button, WM_GETDLGCODE, 0, 0);
    if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) SendMessageW(button, kSetStyle, buttonType, TRUE);
  };
  if (record.defaultId && record.defaultId != id) restyle(record.defaultId, 0);
  if (id) restyle(id, 1);
  UpdateRecord(dialog, [&](DialogRecord& r) { r.defaultId = id; });
  return TRUE;
}

LRESULT DefaultDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return FALSE;
    case WM_ERASEBKGND:
      return EraseWithDialogBrush(dialog, reinterpret_cast<HDC>(wParam));
    case WM_CTLCOLORDLG:
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_3DFACE));
    case WM_CLOSE: {
      // The caption's close button cancels, unless Cancel is there but disabled.
      HWND cancel = GetDlgItem(dialog, IDCANCEL);
      if (cancel && !IsWindowEnabled(cancel)) {
        MessageBeep(0);
        return 0;
      }
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), reinterpret_cast<LPARAM>(cancel));
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) SaveFocus(dialog);
      else RestoreFocus(dialog);
      return 0;
    case WM_SETFOCUS:
      RestoreFocus(dialog);
      return 0;
    case WM_SHOWWINDOW:
      if (!wParam) SaveFocus(dialog);
      return DefWindowProcW(dialog, message, wParam, lParam);
    case WM_NEXTDLGCTL:
      NextControl(dialog, wParam, lParam);
      return 0;
    case DM_GETDEFID: {
      DialogRecord record;
      if (!GetRecord(dialog, &record) || !record.defaultId) return 0;
      return MAKELONG(record.defaultId, DC_HASDEFID);
    }
    case DM_SETDEFID:
      return SetDefaultId(dialog, static_cast<int>(wParam));
    case WM_SETFONT:
      UpdateRecord(dialog, [&](DialogRecord& r) {
        if (r.font == reinterpret_cast<HFONT>(wParam)) return;
        if (r.ownsFont) DeleteObject(r.font);
        r.font = reinterpret_cast<HFONT>(wParam);
        r.ownsFont = false;
      });
      return 0;
    case WM_GETFONT: {
      DialogRecord record;
      return GetRecord(dialog, &record) ? reinterpret_cast<LRESULT>(record.font) : 0;
    }
    case WM_NCDESTROY:
      DropRecord(dialog);
      return DefWindowProcW(dialog, message, wParam, lParam);
    default:
      return DefWindowProcW(dialog, message, wParam, lParam);
  }
}

}  // namespace

LRESULT WINAPI DefDlgProcW(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrW(dialog, DWLP_DLGPROC));
  if (proc) {
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
    const INT_PTR handled = proc(dialog, message, wParam, lParam);
    const bool noBrush = !handled && message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
    if (!noBrush && (handled || AnswersDirectly(message))) {
      if (AnswersDirectly(message)) return handled;
      return IsWindow(dialog) ? GetWindowLongPtrW(dialog, DWLP_MSGRESULT) : 0;
    }
    if (!IsWindow(dialog)) return 0;
  }
  // A procedure that gave no brush leaves the colours to the default.
  return DefaultDialogMessage(dialog, message, wParam, lParam);
}

// --- calls ---

HWND WINAPI CreateDialogParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC proc, LPARAM param) {
  TemplateBytes bytes;
  if (!FindTemplate(instance, templateName, &bytes)) return nullptr;
  return CreateFromBytes(instance, bytes.data, bytes.size, bytes.id, parent, proc, param, false);
}

HWND WINAPI CreateDialogIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND parent, DLGPROC proc,
                                       LPARAM param) {
  return CreateFromBytes(instance, reinterpret_cast<const BYTE*>(dialogTemplate), kMaxIndirectTemplateBytes, 0, parent,
                         proc, param, false);
}

BOOL WINAPI MapDialogRect(HWND dialog, LPRECT rect) {
  DialogRecord record;
  if (!rect || !GetRecord(dialog, &record)) return FALSE;
  rect->left = MulDiv(rect->left, record.baseX, 4);
  rect->right = MulDiv(rect->right, record.baseX, 4);
  rect->top = MulDiv(rect->top, record.baseY, 8);
  rect->bottom = MulDiv(rect->bottom, record.baseY, 8);
  return TRUE;
}

LONG WINAPI GetDialogBaseUnits() {
  static std::once_flag once;
  static BaseUnits units{8, 16};
  std::call_once(once, [] { units = Measure(static_cast<HFONT>(GetStockObject(SYSTEM_FONT))); });
  return MAKELONG(units.x, units.y);
}

namespace compat {

WORD DialogTemplateId(HWND dialog) {
  DialogRecord record;
  return GetRecord(dialog, &record) ? record.templateId : 0;
}

}  // namespace compat
