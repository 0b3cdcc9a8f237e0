// Dialog data exchange with numeric fields: members to fields with SetValue,
// fields to members with GetValue. A value outside the field's range (its
// range was narrowed after the value was written) is refused with the
// framework's range message.
#include <algorithm>
#include <climits>

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

namespace {

// Loads the member into the field, or saves the field's value (checked
// against its range) through `store`.
template <class T, class Store>
void ExchangeField(CDataExchange* pDX, int nIDC, T& value, UINT prompt, Store store) {
  CEditCtrl* field = PrepareField(pDX, nIDC);
  if (!field) return;
  if (!pDX->m_bSaveAndValidate) {
    field->SetValue(static_cast<double>(value));
    return;
  }
  const int decimals = prompt == AFX_IDP_PARSE_REAL_RANGE ? field->m_edit.m_nDecimals : 0;
  value = store(SavedValue(pDX, field, prompt, decimals));
}

}  // namespace

void DDX_EditFloat(CDataExchange* pDX, int nIDC, float& value) {
  ExchangeField(pDX, nIDC, value, AFX_IDP_PARSE_REAL_RANGE, [](double v) { return static_cast<float>(v); });
}

// Integers are truncated toward zero; a field ranged wider than an int
// saturates rather than overflowing the conversion.
namespace {
int TruncatedInt(double v) {
  return static_cast<int>(std::clamp(v, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}
}  // namespace

void DDX_EditInt(CDataExchange* pDX, int nIDC, int& value) {
  ExchangeField(pDX, nIDC, value, AFX_IDP_PARSE_INT_RANGE, TruncatedInt);
}

void DDX_EditByte(CDataExchange* pDX, int nIDC, BYTE& value) {
  ExchangeField(pDX, nIDC, value, AFX_IDP_PARSE_INT_RANGE, [](double v) { return static_cast<BYTE>(TruncatedInt(v)); });
}
