// Dialog data exchange with numeric fields: members to fields with SetValue,
// fields to members with GetValue. A value outside the field's range (its
// range was narrowed after the value was written) is refused with the
// framework's range message.
#include "compat/afx/resource_ids.h"
#include "controls/edit_ctrl.h"

namespace {

using controls::CEditCtrl;

CEditCtrl* PrepareField(CDataExchange* pDX, int nIDC) {
  return controls::EditCtrlFromHandle(pDX->PrepareEditCtrl(nIDC));
}

CString Number(double value, int decimals) { return controls::FormatNumber(value, decimals); }

// The value to store; fails the exchange when it is outside the range.
double SavedValue(CDataExchange* pDX, CEditCtrl* field, UINT prompt, int decimals) {
  double min = 0;
  double max = 0;
  field->GetRange(min, max);
  const double value = field->GetValue();
  if (value < min || value > max) {
    CString message;
    AfxFormatString2(message, prompt, Number(min, decimals), Number(max, decimals));
    AfxMessageBox(message, MB_ICONEXCLAMATION);
    pDX->Fail();
  }
  return value;
}

}  // namespace

void DDX_EditFloat(CDataExchange* pDX, int nIDC, float& value) {
  CEditCtrl* field = PrepareField(pDX, nIDC);
  if (!field) return;
  if (!pDX->m_bSaveAndValidate) {
    field->SetValue(static_cast<double>(value));
    return;
  }
  value = static_cast<float>(SavedValue(pDX, field, AFX_IDP_PARSE_REAL_RANGE, field->m_edit.m_nDecimals));
}

void DDX_EditInt(CDataExchange* pDX, int nIDC, int& value) {
  CEditCtrl* field = PrepareField(pDX, nIDC);
  if (!field) return;
  if (!pDX->m_bSaveAndValidate) {
    field->SetValue(static_cast<double>(value));
    return;
  }
  value = static_cast<int>(SavedValue(pDX, field, AFX_IDP_PARSE_INT_RANGE, 0));
}

void DDX_EditByte(CDataExchange* pDX, int nIDC, BYTE& value) {
  CEditCtrl* field = PrepareField(pDX, nIDC);
  if (!field) return;
  if (!pDX->m_bSaveAndValidate) {
    field->SetValue(static_cast<double>(value));
    return;
  }
  value = static_cast<BYTE>(static_cast<int>(SavedValue(pDX, field, AFX_IDP_PARSE_INT_RANGE, 0)));
}
