// Registers the standard controls as system classes when the window manager
// starts. The library is linked as objects, so this initializer always runs.
#include "compat/controls/control_classes.h"

#include "compat/controls/control_common.h"

namespace compat::controls {
namespace {

struct SystemClass {
  const WCHAR* name;
  WNDPROC proc;
  UINT style;
  const WCHAR* cursor;
};

// The platform's class styles; every one is global, so it outlives ResetDesktop.
const SystemClass kClasses[] = {
    {u"Button", ButtonProc, CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW, IDC_ARROW},
    {u"Static", StaticProc, CS_DBLCLKS | CS_PARENTDC, IDC_ARROW},
    {u"Edit", EditProc, CS_DBLCLKS | CS_PARENTDC, IDC_IBEAM},
    {u"ListBox", ListBoxProc, CS_DBLCLKS | CS_PARENTDC, IDC_ARROW},
    {u"ComboBox", ComboBoxProc, CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW, IDC_ARROW},
    {kComboListClass, ListBoxProc, CS_DBLCLKS | CS_SAVEBITS, IDC_ARROW},
    {u"ScrollBar", ScrollBarProc, CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW, IDC_ARROW},
    {TOOLBARCLASSNAMEW, ToolbarProc, CS_DBLCLKS, IDC_ARROW},
    {TOOLTIPS_CLASSW, TooltipProc, CS_DBLCLKS | CS_SAVEBITS, IDC_ARROW},
    {STATUSCLASSNAMEW, StatusBarProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, IDC_ARROW},
    {PROGRESS_CLASSW, ProgressProc, CS_HREDRAW | CS_VREDRAW, IDC_ARROW},
    {WC_TABCONTROLW, TabControlProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, IDC_ARROW},
    {u"MDIClient", MdiClientProc, 0, IDC_ARROW},
};

void RegisterControlClasses() {
  for (const SystemClass& c : kClasses) {
    WNDCLASSW wc{};
    wc.style = c.style | CS_GLOBALCLASS;
    wc.lpfnWndProc = c.proc;
    wc.cbWndExtra = kStateExtraBytes;
    wc.hCursor = LoadCursorW(nullptr, c.cursor);
    wc.lpszClassName = c.name;
    if (c.proc == MdiClientProc) wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_APPWORKSPACE + 1));
    RegisterClassW(&wc);
  }
}

[[maybe_unused]] const bool g_registered = (AddSystemClassRegistrar(&RegisterControlClasses), true);

}  // namespace
}  // namespace compat::controls
