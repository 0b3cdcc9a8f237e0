// The open and save dialogs: our own dialog in the classic style of the
// platform's, on the dialog manager. The user sees '/' paths; the caller gets
// backslashed ones. The process's current folder is never changed.
//
// Sections: filters and names · listing · the dialog's state · layout ·
// navigation · choosing · the dialog's procedure · calls
#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "compat/host_path.h"
#include "compat/win32/dialog_state.h"

namespace compat::dialogs {
namespace {

thread_local DWORD g_extendedError = 0;

// --- filters and names ---

struct Filter {
  std::u16string text;
  std::vector<std::string> patterns;  // lower-case, UTF-8
  std::u16string extension;           // the first pattern's, as written ("JPG" of "*.JPG"), or empty
};

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
  return s;
}

std::vector<std::string> SplitPatterns(const std::u16string& list) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(u';', start);
    if (end == std::u16string::npos) end = list.size();
    std::u16string one = list.substr(start, end - start);
    while (!one.empty() && one.front() == u' ') one.erase(0, 1);
    while (!one.empty() && one.back() == u' ') one.pop_back();
    if (!one.empty()) out.push_back(Lower(Utf16ToUtf8(one)));
    start = end + 1;
  }
  return out;
}

bool HasWildcard(const std::u16string& s) { return s.find_first_of(u"*?") != std::u16string::npos; }

// The extension appended to a typed name without one: a leading "*" and "."
// are skipped, so "*.GIF" gives "GIF" (never a name with a wildcard in it).
std::u16string CleanDefExt(const char16_t* ext) {
  std::u16string e = ext ? ext : u"";
  size_t skip = 0;
  while (skip < e.size() && (e[skip] == u'*' || e[skip] == u'.')) ++skip;
  e.erase(0, skip);
  if (HasWildcard(e)) return u"";
  return e;
}

// "text\0patterns\0text\0patterns\0\0".
std::vector<Filter> ParseFilters(LPCWSTR filter) {
  std::vector<Filter> out;
  if (!filter) return out;
  for (const char16_t* p = filter; *p;) {
    std::u16string text = p;
    p += text.size() + 1;
    std::u16string patterns = p;
    p += patterns.size() + (*p || patterns.empty() ? 1 : 0);
    const std::u16string first = patterns.substr(0, patterns.find(u';'));
    out.push_back({text, SplitPatterns(patterns), CleanDefExt(first.c_str())});
    if (patterns.empty()) break;
  }
  return out;
}

// "*.*" takes every name, as on the platform, with or without a dot.
bool Matches(const std::string& lowerName, const std::vector<std::string>& patterns) {
  if (patterns.empty()) return true;
  for (const std::string& p : patterns) {
    if (p == "*.*" || p == "*") return true;
    if (fnmatch(p.c_str(), lowerName.c_str(), FNM_PERIOD) == 0) return true;
  }
  return false;
}

bool IsFolder(const std::string& path) {
  struct stat st{};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
  struct stat st{};
  return stat(path.c_str(), &st) == 0;
}

std::string ParentOf(const std::string& folder) {
  const size_t slash = folder.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return folder.substr(0, slash);
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

// "a/./b/../c" -> "a/c", without touching the file system.
std::string Normalize(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string out;
  for (const std::string& p : parts) out += "/" + p;
  return out.empty() ? "/" : out;
}

std::string CurrentFolder() {
  char buffer[4096];
  return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string("/");
}

std::string ProgramFolder() {
  char buffer[4096];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return "";
  return ParentOf(std::string(buffer, static_cast<size_t>(n)));
}

// --- listing ---

struct Entry {
  std::string name;
  bool folder = false;
};

bool NameLess(const std::string& a, const std::string& b) {
  const std::string la = Lower(a), lb = Lower(b);
  return la != lb ? la < lb : a < b;
}

// Folders then matching files, each sorted by name; hidden dot files left out.
// A folder that cannot be read lists nothing.
std::vector<Entry> ListFolder(const std::string& folder, const std::vector<std::string>& patterns) {
  std::vector<Entry> folders, files;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return {};
  while (dirent* d = readdir(dir)) {
    const std::string name = d->d_name;
    if (name.empty() || name[0] == '.') continue;
    bool isFolder = d->d_type == DT_DIR;
    if (d->d_type == DT_UNKNOWN || d->d_type == DT_LNK) isFolder = IsFolder(Join(folder, name));
    if (isFolder) folders.push_back({name, true});
    else if (Matches(Lower(name), patterns)) files.push_back({name, false});
  }
  closedir(dir);
  auto less = [](const Entry& a, const Entry& b) { return NameLess(a.name, b.name); };
  std::sort(folders.begin(), folders.end(), less);
  std::sort(files.begin(), files.end(), less);
  folders.insert(folders.end(), files.begin(), files.end());
  return folders;
}

// --- the dialog's state ---

constexpr int kUpId = 0x04A0;

struct FileDialog {
  OPENFILENAMEW* ofn = nullptr;
  bool save = false;
  std::vector<Filter> filters;
  int filterIndex = 0;          // 0-based
  std::vector<std::string> typedPatterns;  // a pattern the user typed, over the filter
  std::string folder;
  std::vector<Entry> entries;
  std::vector<std::string> places;  // the "Look in" entries, in order
  std::u16string defExt;
  HWND dialog = nullptr;
  HWND child = nullptr;
  WNDPROC listProc = nullptr;
  bool ready = false;           // CDN_INITDONE sent
};

FileDialog* StateOf(HWND dialog) { return reinterpret_cast<FileDialog*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

std::u16string WindowText(HWND hwnd) {
  const int n = GetWindowTextLengthW(hwnd);
  std::u16string text(static_cast<size_t>(n) + 1, u'\0');
  GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(static_cast<size_t>(n));
  return text;
}

std::u16string ItemText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

// Sends a notification to the child dialog (the hook); true when it refuses.
bool Notify(FileDialog* fd, UINT code) {
  if (!fd->child) return false;
  OFNOTIFYW note{};
  note.hdr.hwndFrom = fd->dialog;
  note.hdr.idFrom = 0;
  note.hdr.code = code;
  note.lpOFN = fd->ofn;
  SetWindowLongPtrW(fd->child, DWLP_MSGRESULT, 0);
  const LRESULT answer = SendMessageW(fd->child, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&note));
  return answer != 0 || (IsWindow(fd->child) && GetWindowLongPtrW(fd->child, DWLP_MSGRESULT) != 0);
}

const std::vector<std::string>& ActivePatterns(const FileDialog* fd) {
  static const std::vector<std::string> kAll;
  if (!fd->typedPatterns.empty()) return fd->typedPatterns;
  if (fd->filterIndex >= 0 && fd->filterIndex < static_cast<int>(fd->filters.size()))
    return fd->filters[static_cast<size_t>(fd->filterIndex)].patterns;
  return kAll;
}

// The full path of what the name field says (a typed absolute or relative
// name), or the folder when it is empty; '/' separated.
std::string TypedPath(const FileDialog* fd, std::u16string name) {
  std::replace(name.begin(), name.end(), u'\\', u'/');
  if (name.empty()) return fd->folder;
  const std::string host = Utf16ToUtf8(name);
  return Normalize(host[0] == '/' ? host : Join(fd->folder, host));
}

// The path the name field names now (its first name with multiple selection).
std::string FieldPath(const FileDialog* fd);

// --- layout ---

constexpr int kMargin = 8;
constexpr int kWidth = 440, kHeight = 278;
constexpr int kLabelWidth = 84, kButtonWidth = 80, kRowHeight = 23;

struct Placement {
  int id;
  RECT rect;
};

// The standard controls' places inside a kWidth x kHeight area at (ox, oy).
std::vector<Placement> StandardPlaces(int ox, int oy) {
  const int fieldX = kMargin + kLabelWidth;
  const int buttonX = kWidth - kMargin - kButtonWidth;
  const int fieldWidth = buttonX - 8 - fieldX;
  const int row1 = kHeight - kMargin - 2 * kRowHeight - 6, row2 = kHeight - kMargin - kRowHeight;
  const int listTop = kMargin + kRowHeight + 8;
  auto r = [&](int x, int y, int w, int h) { return RECT{ox + x, oy + y, ox + x + w, oy + y + h}; };
  return {
      {stc4, r(kMargin, kMargin + 4, kLabelWidth - 4, 16)},
      {cmb2, r(fieldX, kMargin, kWidth - kMargin - 40 - fieldX, 200)},
      {kUpId, r(kWidth - kMargin - 32, kMargin, 32, kRowHeight)},
      {lst1, r(kMargin, listTop, kWidth - 2 * kMargin, row1 - 10 - listTop)},
      {stc3, r(kMargin, row1 + 4, kLabelWidth - 4, 16)},
      {edt1, r(fieldX, row1, fieldWidth, kRowHeight)},
      {IDOK, r(buttonX, row1, kButtonWidth, kRowHeight)},
      {stc2, r(kMargin, row2 + 4, kLabelWidth - 4, 16)},
      {cmb1, r(fieldX, row2, fieldWidth, 200)},
      {IDCANCEL, r(buttonX, row2, kButtonWidth, kRowHeight)},
  };
}

LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);

void MakeStandardControls(FileDialog* fd) {
  struct Spec {
    int id;
    const char16_t* cls;
    const char16_t* text;
    DWORD style;
  };
  const Spec specs[] = {
      {stc4, u"Static", u"Look &in:", SS_LEFT},
      {cmb2, u"ComboBox", u"", CBS_DROPDOWNLIST | WS_TABSTOP | WS_GROUP},
      {kUpId, u"Button", u"Up", BS_PUSHBUTTON | WS_TABSTOP},
      {lst1, u"ListBox", u"", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP | WS_GROUP},
      {stc3, u"Static", u"File &name:", SS_LEFT | WS_GROUP},
      {edt1, u"Edit", u"", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
      {IDOK, u"Button", fd->save ? u"&Save" : u"&Open", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP},
      {stc2, u"Static", u"Files of &type:", SS_LEFT | WS_GROUP},
      {cmb1, u"ComboBox", u"", CBS_DROPDOWNLIST | WS_TABSTOP},
      {IDCANCEL, u"Button", u"Cancel", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP},
  };
  const auto font = static_cast<WPARAM>(SendMessageW(fd->dialog, WM_GETFONT, 0, 0));
  // Made in their places without a template: a combo box takes its drop height from its creation.
  const std::vector<Placement> places = StandardPlaces(0, 0);
  for (const Spec& s : specs) {
    const RECT r = std::find_if(places.begin(), places.end(), [&](const Placement& p) { return p.id == s.id; })->rect;
    // Several files at once: Shift and Ctrl extend the list's selection.
    const DWORD multi = s.id == lst1 && (fd->ofn->Flags & OFN_ALLOWMULTISELECT) ? LBS_EXTENDEDSEL : 0;
    HWND hwnd = CreateWindowExW(s.id == lst1 || s.id == edt1 ? WS_EX_CLIENTEDGE : 0, s.cls, s.text,
                                WS_CHILD | WS_VISIBLE | s.style | multi, r.left, r.top, r.right - r.left, r.bottom - r.top, fd->dialog,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(s.id)), nullptr, nullptr);
    SendMessageW(hwnd, WM_SETFONT, font, FALSE);
  }
  HWND list = GetDlgItem(fd->dialog, lst1);
  fd->listProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListProc)));
  UpdateRecord(fd->dialog, [](DialogRecord& r) { r.defaultId = IDOK; });
}

void MoveStandardControls(FileDialog* fd, int ox, int oy) {
  for (const Placement& p : StandardPlaces(ox, oy)) {
    const bool combo = p.id == cmb1 || p.id == cmb2;
    SetWindowPos(GetDlgItem(fd->dialog, p.id), nullptr, p.rect.left, p.rect.top, p.rect.right - p.rect.left,
                 p.rect.bottom - p.rect.top, SWP_NOZORDER | SWP_NOACTIVATE | (combo ? SWP_NOSIZE : 0));
  }
}

// The child dialog's controls and the standard ones: inside the child's stc32
// control when it has one (controls right of or below it move out by as much
// as it grows), else the child goes below the standard controls. The dialog
// grows to hold both.
SIZE LayOut(FileDialog* fd) {
  SIZE client{kWidth, kHeight};
  if (!fd->child) {
    MoveStandardControls(fd, 0, 0);
    return client;
  }
  RECT childRect;
  GetClientRect(fd->child, &childRect);
  int childW = childRect.right, childH = childRect.bottom;
  HWND frame = GetDlgItem(fd->child, stc32);
  if (frame) {
    RECT f;
    GetWindowRect(frame, &f);
    MapWindowPoints(nullptr, fd->child, reinterpret_cast<POINT*>(&f), 2);
    const int dx = std::max(0, kWidth - static_cast<int>(f.right - f.left));
    const int dy = std::max(0, kHeight - static_cast<int>(f.bottom - f.top));
    for (HWND c = GetWindow(fd->child, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      if (c == frame) continue;
      RECT r;
      GetWindowRect(c, &r);
      MapWindowPoints(nullptr, fd->child, reinterpret_cast<POINT*>(&r), 2);
      const int mx = r.left >= f.right ? dx : 0, my = r.top >= f.bottom ? dy : 0;
      if (mx || my) SetWindowPos(c, nullptr, r.left + mx, r.top + my, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    MoveWindow(frame, f.left, f.top, (f.right - f.left) + dx, (f.bottom - f.top) + dy, FALSE);
    childW += dx;
    childH += dy;
    MoveStandardControls(fd, f.left, f.top);
    client = SIZE{std::max<LONG>(childW, kWidth), std::max<LONG>(childH, kHeight)};
    SetWindowPos(fd->child, HWND_BOTTOM, 0, 0, client.cx, client.cy, SWP_NOACTIVATE);
  } else {
    MoveStandardControls(fd, 0, 0);
    client = SIZE{std::max<LONG>(childW, kWidth), kHeight + childH};
    SetWindowPos(fd->child, HWND_BOTTOM, 0, kHeight, client.cx, childH, SWP_NOACTIVATE);
  }
  return client;
}

void Center(HWND dialog, SIZE client) {
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE));
  RECT frame{0, 0, client.cx, client.cy};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int w = frame.right - frame.left, h = frame.bottom - frame.top;
  RECT area;
  GetClientRect(GetDesktopWindow(), &area);
  // Over the window that opened it, else the screen's middle; always whole on the screen.
  RECT over = area;
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &over);
  const int x = static_cast<int>(over.left + over.right - w) / 2, y = static_cast<int>(over.top + over.bottom - h) / 2;
  SetWindowPos(dialog, nullptr, std::clamp(x, 0, std::max(0, static_cast<int>(area.right) - w)),
               std::clamp(y, 0, std::max(0, static_cast<int>(area.bottom) - h)), w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- navigation ---

void FillList(FileDialog* fd) {
  fd->entries = ListFolder(fd->folder, ActivePatterns(fd));
  HWND list = GetDlgItem(fd->dialog, lst1);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const Entry& e : fd->entries) {
    const std::u16string text = Utf8ToUtf16(e.folder ? e.name + "/" : e.name);
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

// The folders of the current path from the root down, then home and the program's folder.
void FillLookIn(FileDialog* fd) {
  fd->places.clear();
  for (std::string f = fd->folder;; f = ParentOf(f)) {
    fd->places.insert(fd->places.begin(), f);
    if (f == "/") break;
  }
  const int current = static_cast<int>(fd->places.size()) - 1;
  if (const char* home = std::getenv("HOME"); home && *home) fd->places.push_back(Normalize(home));
  if (const std::string program = ProgramFolder(); !program.empty()) fd->places.push_back(program);
  HWND combo = GetDlgItem(fd->dialog, cmb2);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const std::string& p : fd->places) {
    const std::u16string text = Utf8ToUtf16(p);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(current), 0);
}

void Navigate(FileDialog* fd, const std::string& folder) {
  fd->folder = folder;
  FillLookIn(fd);
  FillList(fd);
  if (fd->ready) Notify(fd, CDN_FOLDERCHANGE);
}

// --- choosing ---

int Warn(FileDialog* fd, const std::u16string& text, UINT type) {
  const std::u16string caption = WindowText(fd->dialog);
  return MessageBoxW(fd->dialog, text.c_str(), caption.c_str(), type);
}

// Names in the field: one, or with multiple selection several in quotes.
std::vector<std::u16string> TypedNames(const FileDialog* fd, const std::u16string& text) {
  std::vector<std::u16string> names;
  if ((fd->ofn->Flags & OFN_ALLOWMULTISELECT) && text.find(u'"') != std::u16string::npos) {
    size_t i = 0;
    while ((i = text.find(u'"', i)) != std::u16string::npos) {
      const size_t end = text.find(u'"', i + 1);
      if (end == std::u16string::npos) break;
      if (end > i + 1) names.push_back(text.substr(i + 1, end - i - 1));
      i = end + 1;
    }
    return names;
  }
  std::u16string one = text;
  while (!one.empty() && one.back() == u' ') one.pop_back();
  while (!one.empty() && one.front() == u' ') one.erase(0, 1);
  if (!one.empty()) names.push_back(one);
  return names;
}

std::string FieldPath(const FileDialog* fd) {
  const std::vector<std::u16string> names = TypedNames(fd, ItemText(fd->dialog, edt1));
  return TypedPath(fd, names.empty() ? std::u16string() : names.front());
}

// A name typed without its extension takes the listed file it names, as "c"
// takes "c.jpg" while JPG files are listed.
std::string ListedWithExtension(const FileDialog* fd, const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const std::string name = Lower(path.substr(slash + 1));
  if (path.substr(0, slash == 0 ? 1 : slash) != fd->folder || name.find('.') != std::string::npos) return path;
  for (const Entry& e : fd->entries) {
    const size_t dot = e.name.find_last_of('.');
    if (!e.folder && dot != std::string::npos && Lower(e.name.substr(0, dot)) == name) return Join(fd->folder, e.name);
  }
  return path;
}

// A dialog that appends an extension at all appends the chosen type's, as
// the platform's does: "a" saved as JPG is a.JPG; the default extension is
// for types that name none ("*.*").
std::string WithDefExt(const FileDialog* fd, const std::string& path) {
  if (fd->defExt.empty()) return path;
  const size_t slash = path.find_last_of('/');
  const std::string name = path.substr(slash + 1);
  if (name.find('.') != std::string::npos) return path;
  std::u16string ext = fd->defExt;
  const size_t type = static_cast<size_t>(fd->filterIndex);
  if (fd->typedPatterns.empty() && type < fd->filters.size() && !fd->filters[type].extension.empty())
    ext = fd->filters[type].extension;
  return path + "." + Utf16ToUtf8(ext);
}

// Checks one chosen path as the flags ask; false (the user told) when refused.
bool Acceptable(FileDialog* fd, const std::string& path) {
  const std::u16string shown = Utf8ToUtf16(path);
  if ((fd->ofn->Flags & OFN_PATHMUSTEXIST) || fd->save) {
    if (!IsFolder(ParentOf(path))) {
      Warn(fd, shown + u"\nPath does not exist.\nCheck the path and try again.", MB_OK | MB_ICONWARNING);
      return false;
    }
  }
  if (!fd->save && (fd->ofn->Flags & OFN_FILEMUSTEXIST) && !Exists(path)) {
    Warn(fd, shown + u"\nFile not found.\nPlease verify the correct file name was given.", MB_OK | MB_ICONWARNING);
    return false;
  }
  if (fd->save && (fd->ofn->Flags & OFN_OVERWRITEPROMPT) && Exists(path)) {
    const std::u16string name = Utf8ToUtf16(path.substr(path.find_last_of('/') + 1));
    if (Warn(fd, name + u" already exists.\nDo you want to replace it?", MB_YESNO | MB_ICONWARNING) != IDYES)
      return false;
  }
  return true;
}

void SetResultField(LPWSTR field, DWORD size, const std::u16string& text) {
  if (!field || size == 0) return;
  const size_t n = std::min<size_t>(text.size(), size - 1);
  std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), field);
  field[n] = 0;
}

// Writes the choice into the caller's record; false (FNERR_BUFFERTOOSMALL,
// the needed size in the buffer's first WORD) when it does not fit.
bool StoreResult(FileDialog* fd, const std::vector<std::string>& paths) {
  OPENFILENAMEW* ofn = fd->ofn;
  std::u16string out;
  const std::u16string first = FromHostPath(paths.front());
  if (paths.size() == 1) {
    out = first;
    out.push_back(0);
    if (ofn->Flags & OFN_ALLOWMULTISELECT) out.push_back(0);
  } else {
    out = FromHostPath(ParentOf(paths.front()));
    out.push_back(0);
    for (const std::string& p : paths) {
      out += Utf8ToUtf16(p.substr(p.find_last_of('/') + 1));
      out.push_back(0);
    }
    out.push_back(0);
  }
  if (!ofn->lpstrFile || out.size() > ofn->nMaxFile) {
    g_extendedError = FNERR_BUFFERTOOSMALL;
    if (ofn->lpstrFile && ofn->nMaxFile >= 1) ofn->lpstrFile[0] = static_cast<char16_t>(std::min<size_t>(out.size(), 0xFFFF));
    return false;
  }
  std::copy(out.begin(), out.end(), ofn->lpstrFile);
  const size_t slash = first.find_last_of(u'\\');
  const size_t offset = paths.size() == 1 ? slash + 1 : FromHostPath(ParentOf(paths.front())).size() + 1;
  ofn->nFileOffset = static_cast<WORD>(offset);
  const size_t dot = first.find_last_of(u'.');
  ofn->nFileExtension = static_cast<WORD>(paths.size() == 1 && dot != std::u16string::npos && dot > slash ? dot + 1 : 0);
  SetResultField(ofn->lpstrFileTitle, ofn->nMaxFileTitle, first.substr(slash + 1));
  return true;
}

// Open or Save: the list's folder opens; a typed folder or pattern navigates
// or filters; names are checked, the hook asked, and the dialog ends.
void Choose(FileDialog* fd) {
  HWND list = GetDlgItem(fd->dialog, lst1);
  const int sel = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
  const std::u16string text = ItemText(fd->dialog, edt1);
  if (sel >= 0 && sel < static_cast<int>(fd->entries.size()) && fd->entries[static_cast<size_t>(sel)].folder &&
      (GetFocus() == list || text.empty())) {
    Navigate(fd, Join(fd->folder, fd->entries[static_cast<size_t>(sel)].name));
    return;
  }
  const std::vector<std::u16string> names = TypedNames(fd, text);
  if (names.empty()) return;
  if (names.size() == 1) {
    const std::string path = TypedPath(fd, names[0]);
    if (IsFolder(path)) {
      SetDlgItemTextW(fd->dialog, edt1, u"");
      Navigate(fd, path);
      return;
    }
    if (HasWildcard(names[0])) {
      const size_t slash = path.find_last_of('/');
      fd->typedPatterns = SplitPatterns(Utf8ToUtf16(path.substr(slash + 1)));
      Navigate(fd, IsFolder(ParentOf(path)) ? ParentOf(path) : fd->folder);
      return;
    }
  }
  std::vector<std::string> paths;
  for (const std::u16string& name : names) {
    std::string path = TypedPath(fd, name);
    if (!Exists(path)) path = ListedWithExtension(fd, path);
    if (!Exists(path)) path = WithDefExt(fd, path);
    if (!Acceptable(fd, path)) {
      SetFocus(GetDlgItem(fd->dialog, edt1));
      return;
    }
    paths.push_back(path);
  }
  // The hook sees the chosen path while it decides.
  if (!StoreResult(fd, paths)) {
    EndDialog(fd->dialog, IDCANCEL);
    return;
  }
  if (Notify(fd, CDN_FILEOK)) return;
  if (!fd->filters.empty()) fd->ofn->nFilterIndex = static_cast<DWORD>(fd->filterIndex + 1);
  EndDialog(fd->dialog, IDOK);
}

// The selected files' names go into the name field: one as it is, several
// each in quotes, as the field takes them back.
void OnSelection(FileDialog* fd) {
  HWND list = GetDlgItem(fd->dialog, lst1);
  std::vector<int> chosen;
  if (fd->ofn->Flags & OFN_ALLOWMULTISELECT) {
    const int count = static_cast<int>(SendMessageW(list, LB_GETSELCOUNT, 0, 0));
    chosen.resize(static_cast<size_t>(std::max(count, 0)));
    if (count > 0) SendMessageW(list, LB_GETSELITEMS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(chosen.data()));
  } else {
    chosen.push_back(static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)));
  }
  std::vector<std::u16string> names;
  for (int sel : chosen) {
    if (sel < 0 || sel >= static_cast<int>(fd->entries.size())) continue;
    const Entry& e = fd->entries[static_cast<size_t>(sel)];
    if (!e.folder) names.push_back(Utf8ToUtf16(e.name));
  }
  if (names.empty()) return;
  std::u16string text = names.size() == 1 ? names[0] : std::u16string();
  for (size_t i = 0; names.size() > 1 && i < names.size(); ++i) text += (i ? u" \"" : u"\"") + names[i] + u"\"";
  SetDlgItemTextW(fd->dialog, edt1, text.c_str());
  Notify(fd, CDN_SELCHANGE);
}

void OnTypeChange(FileDialog* fd) {
  const int sel = static_cast<int>(SendDlgItemMessageW(fd->dialog, cmb1, CB_GETCURSEL, 0, 0));
  if (sel < 0 || sel == fd->filterIndex) return;
  fd->filterIndex = sel;
  fd->typedPatterns.clear();
  // The record holds the new index before the hook hears of the change.
  fd->ofn->nFilterIndex = static_cast<DWORD>(sel + 1);
  FillList(fd);
  Notify(fd, CDN_TYPECHANGE);
}

LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND dialog = GetParent(list);
  FileDialog* fd = StateOf(dialog);
  if (!fd) return DefWindowProcW(list, message, wParam, lParam);
  if (message == WM_KEYDOWN && wParam == VK_BACK) {
    if (fd->folder != "/") Navigate(fd, ParentOf(fd->folder));
    return 0;
  }
  return CallWindowProcW(fd->listProc, list, message, wParam, lParam);
}

// --- the dialog's procedure ---

UINT_PTR CALLBACK QuietHook(HWND, UINT, WPARAM, LPARAM) { return 0; }

// The template's controls as a DS_CONTROL child of the file dialog; with a
// hook and no template, an empty child for the hook.
HWND MakeChild(FileDialog* fd) {
  OPENFILENAMEW* ofn = fd->ofn;
  const bool hook = (ofn->Flags & OFN_ENABLEHOOK) && ofn->lpfnHook;
  const bool withTemplate = (ofn->Flags & OFN_ENABLETEMPLATE) && ofn->lpTemplateName;
  if (!hook && !withTemplate) return nullptr;
  DialogTemplate t;
  WORD id = 0;
  HINSTANCE instance = ofn->hInstance;
  if (withTemplate) {
    TemplateBytes bytes;
    std::string error;
    if (!FindTemplate(instance, ofn->lpTemplateName, &bytes) || !ParseDialogTemplate(bytes.data, bytes.size, &t, &error)) {
      g_extendedError = CDERR_FINDRESFAILURE;
      return nullptr;
    }
    id = bytes.id;
  }
  t.style = (t.style & ~(WS_POPUP | WS_CAPTION | WS_THICKFRAME | DS_MODALFRAME)) | WS_CHILD | DS_CONTROL |
            WS_CLIPSIBLINGS | WS_VISIBLE;
  const auto proc = reinterpret_cast<DLGPROC>(hook ? ofn->lpfnHook : QuietHook);
  HWND child = CreateFromTemplate(instance, t, id, fd->dialog, proc, reinterpret_cast<LPARAM>(ofn), false);
  if (!child) g_extendedError = CDERR_DIALOGFAILURE;
  return child;
}

void InitFilters(FileDialog* fd) {
  HWND combo = GetDlgItem(fd->dialog, cmb1);
  for (const Filter& f : fd->filters) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f.text.c_str()));
  const int count = static_cast<int>(fd->filters.size());
  fd->filterIndex = fd->ofn->nFilterIndex >= 1 && static_cast<int>(fd->ofn->nFilterIndex) <= count
                        ? static_cast<int>(fd->ofn->nFilterIndex) - 1
                        : 0;
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(fd->filterIndex), 0);
}

// The initial folder: the one given, else the initial name's, else the current one.
void InitFolderAndName(FileDialog* fd) {
  OPENFILENAMEW* ofn = fd->ofn;
  const std::string cwd = CurrentFolder();
  std::string folder = cwd;
  if (ofn->lpstrInitialDir && *ofn->lpstrInitialDir) {
    std::string given = ToHostPath(ofn->lpstrInitialDir);
    given = Normalize(!given.empty() && given[0] == '/' ? given : Join(cwd, given));
    if (IsFolder(given)) folder = given;
  }
  std::u16string name = ofn->lpstrFile ? std::u16string(ofn->lpstrFile) : std::u16string();
  if (!name.empty() && !HasWildcard(name)) {
    std::string path = ToHostPath(name);
    path = Normalize(path[0] == '/' ? path : Join(folder, path));
    if (IsFolder(ParentOf(path)) && (name.find(u'\\') != std::u16string::npos || name.find(u'/') != std::u16string::npos))
      folder = ParentOf(path);
    name = Utf8ToUtf16(path.substr(path.find_last_of('/') + 1));
  } else if (HasWildcard(name)) {
    fd->typedPatterns = SplitPatterns(name);
    name.clear();
  }
  SetDlgItemTextW(fd->dialog, edt1, name.c_str());
  fd->folder = folder;
}


// Copies text into a caller's buffer of `size` characters; the size it needs.
LRESULT CopyOut(const std::u16string& text, WPARAM size, LPARAM buffer) {
  auto* out = reinterpret_cast<char16_t*>(buffer);
  if (out && size > text.size()) {
    std::copy(text.begin(), text.end(), out);
    out[text.size()] = 0;
  }
  return static_cast<LRESULT>(text.size() + 1);
}

bool Answer(HWND dialog, LRESULT value) {
  SetWindowLongPtrW(dialog, DWLP_MSGRESULT, value);
  return true;
}

INT_PTR CALLBACK FileDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  FileDialog* fd = StateOf(dialog);
  switch (message) {
    case WM_INITDIALOG: {
      fd = reinterpret_cast<FileDialog*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      fd->dialog = dialog;
      MakeStandardControls(fd);
      InitFilters(fd);
      InitFolderAndName(fd);
      FillLookIn(fd);
      FillList(fd);
      fd->child = MakeChild(fd);
      if (g_extendedError) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      Center(dialog, LayOut(fd));
      fd->ready = true;
      Notify(fd, CDN_INITDONE);
      Notify(fd, CDN_FOLDERCHANGE);
      HWND edit = GetDlgItem(dialog, edt1);
      DialogSetFocus(dialog, edit);
      return FALSE;
    }
    case WM_COMMAND: {
      if (!fd) return FALSE;
      const int id = LOWORD(wParam), code = HIWORD(wParam);
      if (id == IDOK) Choose(fd);
      else if (id == IDCANCEL) EndDialog(dialog, IDCANCEL);
      else if (id == kUpId && fd->folder != "/") Navigate(fd, ParentOf(fd->folder));
      else if (id == lst1 && code == LBN_SELCHANGE) OnSelection(fd);
      else if (id == lst1 && code == LBN_DBLCLK) {
        SetFocus(GetDlgItem(dialog, lst1));
        Choose(fd);
      } else if (id == cmb1 && code == CBN_SELCHANGE) OnTypeChange(fd);
      else if (id == cmb2 && code == CBN_SELCHANGE) {
        const int sel = static_cast<int>(SendDlgItemMessageW(dialog, cmb2, CB_GETCURSEL, 0, 0));
        if (sel >= 0 && sel < static_cast<int>(fd->places.size()) && IsFolder(fd->places[static_cast<size_t>(sel)]))
          Navigate(fd, fd->places[static_cast<size_t>(sel)]);
      }
      return TRUE;
    }
    case WM_CLOSE:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    case CDM_GETFILEPATH:
      if (!fd) return FALSE;
      return Answer(dialog, CopyOut(FromHostPath(FieldPath(fd)), wParam, lParam));
    case CDM_GETFOLDERPATH:
      if (!fd) return FALSE;
      return Answer(dialog, CopyOut(FromHostPath(fd->folder), wParam, lParam));
    case CDM_GETSPEC:
      return Answer(dialog, CopyOut(ItemText(dialog, edt1), wParam, lParam));
    case CDM_SETCONTROLTEXT:
      SetDlgItemTextW(dialog, static_cast<int>(wParam), reinterpret_cast<LPCWSTR>(lParam));
      return Answer(dialog, 0);
    case CDM_HIDECONTROL:
      ShowWindow(GetDlgItem(dialog, static_cast<int>(wParam)), SW_HIDE);
      return Answer(dialog, 0);
    case CDM_SETDEFEXT:
      if (fd) fd->defExt = CleanDefExt(reinterpret_cast<LPCWSTR>(lParam));
      return Answer(dialog, 0);
    default:
      return FALSE;
  }
}

DialogTemplate FrameTemplate(const std::u16string& caption) {
  DialogTemplate t;
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_3DLOOK | WS_CLIPCHILDREN | WS_VISIBLE;
  t.caption = caption;
  t.pointSize = 8;
  t.face = u"MS Sans Serif";
  t.cx = 100;
  t.cy = 40;
  return t;
}

BOOL Run(OPENFILENAMEW* ofn, bool save) {
  g_extendedError = 0;
  if (!ofn || (ofn->lStructSize != sizeof(OPENFILENAMEW) && ofn->lStructSize != OPENFILENAME_SIZE_VERSION_400W)) {
    g_extendedError = CDERR_STRUCTSIZE;
    return FALSE;
  }
  WNDCLASSW probe{};
  if (!GetClassInfoW(nullptr, u"ListBox", &probe) || !GetClassInfoW(nullptr, u"ComboBox", &probe)) {
    LogDialogFailure("a file dialog needs the standard control classes, which are not registered");
    g_extendedError = CDERR_INITIALIZATION;
    return FALSE;
  }
  FileDialog fd;
  fd.ofn = ofn;
  fd.save = save;
  fd.filters = ParseFilters(ofn->lpstrFilter);
  fd.defExt = CleanDefExt(ofn->lpstrDefExt);
  const std::u16string caption = ofn->lpstrTitle ? std::u16string(ofn->lpstrTitle) : (save ? u"Save As" : u"Open");
  HWND owner = ModalOwner(ofn->hwndOwner);
  HWND dialog = CreateFromTemplate(nullptr, FrameTemplate(caption), 0, owner, FileDialogProc,
                                   reinterpret_cast<LPARAM>(&fd), true);
  if (!dialog) {
    if (!g_extendedError) g_extendedError = CDERR_DIALOGFAILURE;
    return FALSE;
  }
  const INT_PTR answer = RunModal(dialog, owner);
  return answer == IDOK && !g_extendedError;
}

}  // namespace
}  // namespace compat::dialogs

BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW ofn) { return compat::dialogs::Run(ofn, false); }
BOOL WINAPI GetSaveFileNameW(LPOPENFILENAMEW ofn) { return compat::dialogs::Run(ofn, true); }
DWORD WINAPI CommDlgExtendedError() { return compat::dialogs::g_extendedError; }
