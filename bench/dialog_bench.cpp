// Opening a dialog: a 40-control settings dialog made from its template and
// shown (controls created, fonts set, initialised and painted), then closed.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "compat/win32.h"

namespace {

// Writes a DLGTEMPLATE with its items as the resource compiler lays it out.
class TemplateWriter {
 public:
  void Word(WORD w) { Bytes(&w, 2); }
  void Dword(DWORD d) { Bytes(&d, 4); }
  void Text(const std::u16string& text) {
    for (char16_t c : text) Word(static_cast<WORD>(c));
    Word(0);
  }
  void Align() {
    while (bytes_.size() % 4) bytes_.push_back(0);
  }
  void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom, const std::u16string& title) {
    Align();
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    for (short v : {x, y, cx, cy}) Word(static_cast<WORD>(v));
    Word(id);
    Word(0xFFFF);
    Word(classAtom);
    Text(title);
    Word(0);
  }
  const DLGTEMPLATE* Get() {
    storage_.assign(bytes_.size() / 4 + 1, 0);
    std::memcpy(storage_.data(), bytes_.data(), bytes_.size());
    return reinterpret_cast<const DLGTEMPLATE*>(storage_.data());
  }

 private:
  void Bytes(const void* p, size_t n) {
    const auto* b = static_cast<const BYTE*>(p);
    bytes_.insert(bytes_.end(), b, b + n);
  }
  std::vector<BYTE> bytes_;
  std::vector<DWORD> storage_;  // DWORD-aligned, as a resource is
};

constexpr WORD kButton = 0x80, kEdit = 0x81, kStatic = 0x82, kListBox = 0x83, kComboBox = 0x85;
constexpr int kRows = 10;

// Ten rows of a label, an edit, a check box and a combo box; OK and Cancel make 42.
const DLGTEMPLATE* FortyControlTemplate(TemplateWriter& w) {
  w.Dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT);
  w.Dword(0);
  w.Word(kRows * 4 + 2);
  for (short v : {10, 10, 300, 200}) w.Word(static_cast<WORD>(v));
  w.Word(0);
  w.Word(0);
  w.Text(u"Effect Settings");
  w.Word(8);
  w.Text(u"MS Sans Serif");
  for (int row = 0; row < kRows; ++row) {
    const short y = static_cast<short>(7 + row * 16);
    const WORD id = static_cast<WORD>(1000 + row * 4);
    w.Item(0, 7, static_cast<short>(y + 2), 50, 8, id, kStatic, u"&Parameter:");
    w.Item(WS_BORDER | WS_TABSTOP, 60, y, 60, 12, static_cast<WORD>(id + 1), kEdit, u"12");
    w.Item(0x3 | WS_TABSTOP, 126, y, 60, 10, static_cast<WORD>(id + 2), kButton, u"Enabled");
    w.Item(0x3 | WS_TABSTOP | WS_VSCROLL, 190, y, 50, 60, static_cast<WORD>(id + 3), row % 2 ? kListBox : kComboBox, u"");
  }
  w.Item(0x1 | WS_TABSTOP, 246, 7, 50, 14, IDOK, kButton, u"OK");
  w.Item(WS_TABSTOP, 246, 24, 50, 14, IDCANCEL, kButton, u"Cancel");
  return w.Get();
}

INT_PTR CALLBACK SettingsProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

void OpenFortyControlDialog(benchmark::State& state) {
  compat::ResetDesktop(800, 600);
  TemplateWriter writer;
  const DLGTEMPLATE* dialogTemplate = FortyControlTemplate(writer);
  for (auto _ : state) {
    HWND dialog = CreateDialogIndirectParamW(nullptr, dialogTemplate, nullptr, SettingsProc, 0);
    if (!dialog) {
      state.SkipWithError("the dialog could not be made");
      break;
    }
    UpdateWindow(dialog);
    compat::PumpMessages();
    state.PauseTiming();
    int controls = 0;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++controls;
    state.counters["controls"] = controls;
    DestroyWindow(dialog);
    compat::PumpMessages();
    state.ResumeTiming();
  }
}
BENCHMARK(OpenFortyControlDialog)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
