// The effects' settings dialogs: one small child dialog per effect class,
// hosted by the transition panel. Each edits its effect's parameters in
// place through data exchange; every change is applied at once (the pair's
// textures rebuilt, the current frame re-rendered).
#pragma once

#include "compat/afx.h"

class CEffect;

class CEffectSettingsDlg : public CDialog {
 public:
  CEffectSettingsDlg(UINT nIDTemplate, CEffect* effect);

  CEffect* GetEffect() const { return m_pEffect; }

 protected:
  BOOL OnInitDialog() override;
  // Ranges and formats of the numeric fields; called before the values are
  // shown, so that no value is clipped to a field's default range.
  virtual void SetRanges() {}
  void SetFieldRange(int id, double min, double max);
  void SetFieldFormat(int id, int width, int decimals, double step = 0.0);

  // Controls to effect, then the current pair's textures and frame.
  afx_msg void OnEffectSettingChanged();

  CEffect* m_pEffect;
};

// Makes the settings dialog of each effect in the registry through the
// effect's CreateSettingsDialog; run once at start-up (and by the tests).
void RegisterEffectSettingsDialogs();
