// The settings dialogs of the transition effects and the makers that
// CEffect::CreateSettingsDialog finds by effect id.
//
// Sections: the common dialog · one dialog per effect · the makers
#include "ui/effect_settings_dlg.h"

#include "controls/color_icon_ctrl.h"
#include "controls/custom_notify.h"
#include "controls/edit_ctrl.h"
#include "effects/circle_wave_effect.h"
#include "effects/fly_effect.h"
#include "effects/page_curl_effect.h"
#include "effects/scale_effect.h"
#include "effects/scale_rotate_effect.h"
#include "effects/screw_effect.h"
#include "effects/sphere_form_effect.h"
#include "effects/tile_effect.h"
#include "effects/wave_effect.h"
#include "effects/wipe_effect.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "model/project/no_effect.h"
#include "res/resource.h"

namespace {

using controls::kEditCommitted;

constexpr int kIdStrength = 1106;
constexpr int kIdFrequency = 1109;
constexpr int kIdVelocity = 1112;
constexpr int kIdMaskIcon = 1019;
constexpr int kIdReverse = 1040;
constexpr int kIdEdge = 1041;
constexpr int kIdScaleX = 1045;
constexpr int kIdScaleY = 1046;
constexpr int kIdRotate = 1047;
constexpr int kIdRadius = 1055;
constexpr int kIdDirection = 1056;
constexpr int kIdCurlStyle = 1057;
constexpr int kIdCurl = 1058;
constexpr int kIdBlocks = 1060;
constexpr int kIdStyleList = 1081;
constexpr int kIdStrips = 1087;

}  // namespace

// --- the common dialog ---

CEffectSettingsDlg::CEffectSettingsDlg(UINT nIDTemplate, CEffect* effect)
    : CDialog(nIDTemplate, nullptr), m_pEffect(effect) {}

BOOL CEffectSettingsDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetRanges();
  UpdateData(FALSE);
  return TRUE;
}

void CEffectSettingsDlg::SetFieldRange(int id, double min, double max) {
  if (controls::CEditCtrl* field = controls::EditCtrlFromHandle(::GetDlgItem(m_hWnd, id))) field->SetRange(min, max);
}

void CEffectSettingsDlg::SetFieldFormat(int id, int width, int decimals, double step) {
  controls::CEditCtrl* field = controls::EditCtrlFromHandle(::GetDlgItem(m_hWnd, id));
  if (!field) return;
  field->SetFormat(width, decimals);
  if (step > 0.0) field->SetStep(step);
}

void CEffectSettingsDlg::OnEffectSettingChanged() {
  if (!UpdateData(TRUE)) return;
  CMorphProject* project = GetMorphProject();
  if (!project || project->GetPairCount() == 0) return;
  CMorphPair* pair = project->CurrentPair();
  pair->RecreateTextures();
  RenderPair(pair);
}

// --- one dialog per effect ---

namespace {

// "Wave", "Under Warer" and "Circle Wave": three floats with the effect's
// own ranges.
class CWaveSettingsDlg : public CEffectSettingsDlg {
 public:
  // `applyAtOnce` clear: a change is only taken into the effect, and the
  // picture follows at the pair's next render.
  CWaveSettingsDlg(CWaveParameterEffect* effect, const CWaveParameterRanges& ranges, bool applyAtOnce)
      : CEffectSettingsDlg(IDD_WAVE_SETTINGS, effect), m_ranges(ranges), m_applyAtOnce(applyAtOnce) {}

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    auto* effect = static_cast<CWaveParameterEffect*>(m_pEffect);
    if (!effect) return;
    DDX_EditFloat(pDX, kIdStrength, effect->m_strength);
    DDX_EditFloat(pDX, kIdFrequency, effect->m_frequency);
    DDX_EditFloat(pDX, kIdVelocity, effect->m_velocity);
  }
  void SetRanges() override {
    SetFieldRange(kIdStrength, m_ranges.strength.low, m_ranges.strength.high);
    SetFieldRange(kIdFrequency, m_ranges.frequency.low, m_ranges.frequency.high);
    SetFieldRange(kIdVelocity, m_ranges.velocity.low, m_ranges.velocity.high);
    for (int id : {kIdStrength, kIdFrequency, kIdVelocity}) SetFieldFormat(id, 5, 2);
  }
  afx_msg void OnFieldChanged() {
    if (m_applyAtOnce)
      OnEffectSettingChanged();
    else
      UpdateData(TRUE);
  }
  DECLARE_MESSAGE_MAP()

 private:
  const CWaveParameterRanges& m_ranges;
  bool m_applyAtOnce;
};

BEGIN_MESSAGE_MAP(CWaveSettingsDlg, CEffectSettingsDlg)
  ON_CONTROL(kEditCommitted, kIdStrength, OnFieldChanged)
  ON_CONTROL(kEditCommitted, kIdFrequency, OnFieldChanged)
  ON_CONTROL(kEditCommitted, kIdVelocity, OnFieldChanged)
END_MESSAGE_MAP()

class CWipeSettingsDlg : public CEffectSettingsDlg {
 public:
  explicit CWipeSettingsDlg(CWipeEffect* effect) : CEffectSettingsDlg(IDD_WIPE_SETTINGS, effect) {}

 protected:
  CWipeEffect* Wipe() const { return static_cast<CWipeEffect*>(m_pEffect); }
  void DoDataExchange(CDataExchange* pDX) override {
    if (!Wipe()) return;
    DDX_EditFloat(pDX, kIdEdge, Wipe()->m_edge);
    DDX_Check(pDX, kIdReverse, Wipe()->m_reverse);
  }
  void SetRanges() override {
    if (Wipe() && !Wipe()->m_maskPath.IsEmpty() && GetFileAttributesW(Wipe()->m_maskPath) != INVALID_FILE_ATTRIBUTES) {
      if (controls::CColorIconCtrl* icon = controls::ColorIconFromHandle(::GetDlgItem(m_hWnd, kIdMaskIcon)))
        icon->SetTextureFile(Wipe()->m_maskPath);
    }
    SetFieldRange(kIdEdge, 0.0, 1.0);
    SetFieldFormat(kIdEdge, 2, 2, 0.01);
  }
  // A mask picture was chosen in the icon: the effect reloads it.
  afx_msg void OnMaskChosen(NMHDR*, LRESULT* result) {
    *result = 0;
    if (!Wipe() || !UpdateData(TRUE)) return;
    if (controls::CColorIconCtrl* icon = controls::ColorIconFromHandle(::GetDlgItem(m_hWnd, kIdMaskIcon)))
      Wipe()->m_maskPath = icon->GetTexturePath();
    CMorphProject* project = GetMorphProject();
    if (!project || project->GetPairCount() == 0) return;
    project->CurrentPair()->RecreateTextures();
    RenderPair(project->CurrentPair());
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CWipeSettingsDlg, CEffectSettingsDlg)
  ON_BN_CLICKED(kIdReverse, OnEffectSettingChanged)
  ON_CONTROL(kEditCommitted, kIdEdge, OnEffectSettingChanged)
  ON_NOTIFY(controls::kNotifyFillChanged, kIdMaskIcon, OnMaskChosen)
END_MESSAGE_MAP()

class CFlySettingsDlg : public CEffectSettingsDlg {
 public:
  explicit CFlySettingsDlg(CFlyEffect* effect) : CEffectSettingsDlg(IDD_FLY_SETTINGS, effect) {}

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    auto* effect = static_cast<CFlyEffect*>(m_pEffect);
    if (!effect) return;
    DDX_CBIndex(pDX, kIdStyleList, effect->m_style);
    DDX_EditInt(pDX, kIdStrips, effect->m_stripCount);
  }
  void SetRanges() override { SetFieldRange(kIdStrips, 2, 2048); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFlySettingsDlg, CEffectSettingsDlg)
  ON_CONTROL(CBN_SELCHANGE, kIdStyleList, OnEffectSettingChanged)
  ON_CONTROL(kEditCommitted, kIdStrips, OnEffectSettingChanged)
END_MESSAGE_MAP()

class CScaleRotateSettingsDlg : public CEffectSettingsDlg {
 public:
  explicit CScaleRotateSettingsDlg(CScaleRotateEffect* effect)
      : CEffectSettingsDlg(IDD_SCALE_ROTATE_SETTINGS, effect) {}

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    auto* effect = static_cast<CScaleRotateEffect*>(m_pEffect);
    if (!effect) return;
    DDX_EditFloat(pDX, kIdScaleX, effect->m_scaleX);
    DDX_EditFloat(pDX, kIdScaleY, effect->m_scaleY);
    DDX_EditInt(pDX, kIdRotate, effect->m_rotate);
  }
  void SetRanges() override {
    for (int id : {kIdScaleX, kIdScaleY}) {
      SetFieldRange(id, 0.0, 10.0);
      SetFieldFormat(id, 2, 2, 0.01);
    }
    SetFieldRange(kIdRotate, 1, 2048);
  }
  DECLARE_MESSAGE_MAP()
};

// Scale X is applied like the other two fields.
BEGIN_MESSAGE_MAP(CScaleRotateSettingsDlg, CEffectSettingsDlg)
  ON_CONTROL(kEditCommitted, kIdScaleX, OnEffectSettingChanged)
  ON_CONTROL(kEditCommitted, kIdScaleY, OnEffectSettingChanged)
  ON_CONTROL(kEditCommitted, kIdRotate, OnEffectSettingChanged)
END_MESSAGE_MAP()

// "No Effect", "Screw", "Sphere Form" and "Special Wave": nothing to set.
class CEmptySettingsDlg : public CEffectSettingsDlg {
 public:
  explicit CEmptySettingsDlg(CEffect* effect) : CEffectSettingsDlg(IDD_EMPTY_SETTINGS, effect) {}
};

class CPageCurlSettingsDlg : public CEffectSettingsDlg {
 public:
  explicit CPageCurlSettingsDlg(CPageCurlEffect* effect) : CEffectSettingsDlg(IDD_PAGE_CURL_SETTINGS, effect) {}

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    auto* effect = static_cast<CPageCurlEffect*>(m_pEffect);
    if (!effect) return;
    DDX_EditFloat(pDX, kIdRadius, effect->m_radius);
    DDX_EditFloat(pDX, kIdDirection, effect->m_direction);
    DDX_CBIndex(pDX, kIdCurlStyle, effect->m_style);
    DDX_Check(pDX, kIdCurl, effect->m_curl);
  }
  void SetRanges() override {
    SetFieldRange(kIdRadius, 0.0, 5000.0);
    SetFieldRange(kIdDirection, 0.0, 360.0);
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPageCurlSettingsDlg, CEffectSettingsDlg)
  ON_CONTROL(kEditCommitted, kIdRadius, OnEffectSettingChanged)
  ON_CONTROL(kEditCommitted, kIdDirection, OnEffectSettingChanged)
  ON_CONTROL(CBN_SELCHANGE, kIdCurlStyle, OnEffectSettingChanged)
  ON_BN_CLICKED(kIdCurl, OnEffectSettingChanged)
END_MESSAGE_MAP()

class CTileSettingsDlg : public CEffectSettingsDlg {
 public:
  explicit CTileSettingsDlg(CTileEffect* effect) : CEffectSettingsDlg(IDD_TILE_SETTINGS, effect) {}

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    auto* effect = static_cast<CTileEffect*>(m_pEffect);
    if (!effect) return;
    DDX_CBIndex(pDX, kIdStyleList, effect->m_tileType);
    DDX_EditInt(pDX, kIdBlocks, effect->m_blockCount);
  }
  void SetRanges() override { SetFieldRange(kIdBlocks, 1, 100); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTileSettingsDlg, CEffectSettingsDlg)
  ON_CONTROL(CBN_SELCHANGE, kIdStyleList, OnEffectSettingChanged)
  ON_CONTROL(kEditCommitted, kIdBlocks, OnEffectSettingChanged)
END_MESSAGE_MAP()

class CScaleSettingsDlg : public CEffectSettingsDlg {
 public:
  explicit CScaleSettingsDlg(CScaleEffect* effect) : CEffectSettingsDlg(IDD_SCALE_SETTINGS, effect) {}

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    auto* effect = static_cast<CScaleEffect*>(m_pEffect);
    if (effect) DDX_CBIndex(pDX, kIdStyleList, effect->m_scaleType);
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CScaleSettingsDlg, CEffectSettingsDlg)
  ON_CONTROL(CBN_SELCHANGE, kIdStyleList, OnEffectSettingChanged)
END_MESSAGE_MAP()

// --- the makers ---

// Creates the window of a dialog made for an effect; null when it fails.
CDialog* Open(CEffectSettingsDlg* dialog, UINT nIDTemplate, CWnd* parent) {
  if (dialog && dialog->Create(nIDTemplate, parent)) return dialog;
  delete dialog;
  return nullptr;
}

template <class Dialog, class Effect>
CDialog* Make(CEffect* effect, CWnd* parent, UINT nIDTemplate) {
  return Open(new Dialog(static_cast<Effect*>(effect)), nIDTemplate, parent);
}

template <class Effect, bool applyAtOnce = true>
CDialog* MakeWave(CEffect* effect, CWnd* parent) {
  return Open(new CWaveSettingsDlg(static_cast<Effect*>(effect), Effect::kRanges, applyAtOnce), IDD_WAVE_SETTINGS,
              parent);
}

const bool g_registered = (RegisterEffectSettingsDialogs(), true);

}  // namespace

void RegisterEffectSettingsDialogs() {
  RegisterEffectDialogMaker(CNoEffect::kId, [](CEffect* e, CWnd* p) {
    return Open(new CEmptySettingsDlg(e), IDD_EMPTY_SETTINGS, p);
  });
  RegisterEffectDialogMaker(CScrewEffect::kId, FindEffectDialogMaker(CNoEffect::kId));
  RegisterEffectDialogMaker(CSphereFormEffect::kId, FindEffectDialogMaker(CNoEffect::kId));
  RegisterEffectDialogMaker(CSpecialWaveEffect::kId, FindEffectDialogMaker(CNoEffect::kId));
  RegisterEffectDialogMaker(CCircleWaveEffect::kId, MakeWave<CCircleWaveEffect>);
  RegisterEffectDialogMaker(CWaveEffect::kId, MakeWave<CWaveEffect>);
  RegisterEffectDialogMaker(CUnderWaterEffect::kId, MakeWave<CUnderWaterEffect, false>);
  RegisterEffectDialogMaker(CWipeEffect::kId, [](CEffect* e, CWnd* p) {
    return Make<CWipeSettingsDlg, CWipeEffect>(e, p, IDD_WIPE_SETTINGS);
  });
  RegisterEffectDialogMaker(CFlyEffect::kId, [](CEffect* e, CWnd* p) {
    return Make<CFlySettingsDlg, CFlyEffect>(e, p, IDD_FLY_SETTINGS);
  });
  RegisterEffectDialogMaker(CScaleRotateEffect::kId, [](CEffect* e, CWnd* p) {
    return Make<CScaleRotateSettingsDlg, CScaleRotateEffect>(e, p, IDD_SCALE_ROTATE_SETTINGS);
  });
  RegisterEffectDialogMaker(CPageCurlEffect::kId, [](CEffect* e, CWnd* p) {
    return Make<CPageCurlSettingsDlg, CPageCurlEffect>(e, p, IDD_PAGE_CURL_SETTINGS);
  });
  RegisterEffectDialogMaker(CTileEffect::kId, [](CEffect* e, CWnd* p) {
    return Make<CTileSettingsDlg, CTileEffect>(e, p, IDD_TILE_SETTINGS);
  });
  RegisterEffectDialogMaker(CScaleEffect::kId, [](CEffect* e, CWnd* p) {
    return Make<CScaleSettingsDlg, CScaleEffect>(e, p, IDD_SCALE_SETTINGS);
  });
}
