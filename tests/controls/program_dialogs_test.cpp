// The program's dialogs that hold custom controls open with the real
// controls, each with its object, and are pictured for a person to look at.
#include "controls/curver_ctrl.h"
#include "controls/edit_ctrl.h"
#include "custom_controls_test_support.h"
#include "res/resource.h"

namespace {

using customtest::CustomControlTest;

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

class ProgramDialogsTest : public CustomControlTest {
 protected:
  HWND Open(UINT id) {
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), parent_, QuietDialogProc, 0);
    if (dialog) {
      SetWindowPos(dialog, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      ShowWindow(dialog, SW_SHOW);
      Pump();
    }
    return dialog;
  }
};

TEST_F(ProgramDialogsTest, ColourPickerPageHasItsChannelSlidersAndNumericFields) {
  HWND page = Open(IDD_COLOR_PICKER_PAGE);
  ASSERT_NE(page, nullptr);
  for (int id : {1015, 1016, 1017, 1018}) {
    controls::CEditCtrl* field = controls::EditCtrlFromHandle(GetDlgItem(page, id));
    ASSERT_NE(field, nullptr) << id;
    EXPECT_EQ(Text(GetDlgItem(GetDlgItem(page, id), 1)), u"0");
  }
  for (int id : {1009, 1013, 1014, 1012}) EXPECT_NE(CWnd::FromHandlePermanent(GetDlgItem(page, id)), nullptr) << id;
  WritePng(page, "program_color_picker_page");
  DestroyWindow(page);
}

TEST_F(ProgramDialogsTest, BrushEditHoldsTheCurveEditor) {
  HWND dialog = Open(IDD_BRUSH_EDIT);
  ASSERT_NE(dialog, nullptr);
  auto* curve = dynamic_cast<controls::CCurverCtrl*>(CWnd::FromHandlePermanent(GetDlgItem(dialog, 1000)));
  ASSERT_NE(curve, nullptr);
  CCurveKeys keys;
  const CVector2 points[] = {CVector2(0, 0), CVector2(30, 200), CVector2(100, 256)};
  keys.SetPoints(points, 3);
  keys.SetRangeValues(0, 100, 0, 256);
  curve->SetCurve(keys);
  WritePng(dialog, "program_brush_edit");
  DestroyWindow(dialog);
}

}  // namespace

namespace {

// A modal dialog holding one numeric field made with Create, recording the
// field's notification codes.
class FieldDialog : public CDialog {
 public:
  FieldDialog() : CDialog(IDD_BRUSH_EDIT) {}
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    m_field.Create(ECS_SPIN_FIELD, CRect(10, 10, 100, 34), this, 700);
    m_field.SendMessage(ECM_FOCUSFIELD);
    return FALSE;  // the focus is set
  }
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    if (LOWORD(wParam) == 700) m_codes.push_back(HIWORD(wParam));
    return CDialog::OnCommand(wParam, lParam);
  }
  controls::CEditCtrl m_field;
  std::vector<WORD> m_codes;
};

TEST_F(ProgramDialogsTest, EnterInADialogCommitsTheTypedValueBeforeTheDefaultButton) {
  FieldDialog dialog;
  compat::AddModalStepOnTemplate(IDD_BRUSH_EDIT, [](HWND) {
    SendMessageW(GetFocus(), EM_SETSEL, 0, -1);  // typing replaces the shown 0
    compat::host::InjectKeyPress('4');
    compat::host::InjectKeyPress('2');
  });
  compat::AddModalStep([] { compat::host::InjectKeyPress(VK_RETURN); });
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_field.GetValue(), 42.0);
  const std::vector<WORD> expected{2185, 2185, 2185, 2186};  // two keys, the rewrite, the commit
  EXPECT_EQ(dialog.m_codes, expected);
}

}  // namespace
