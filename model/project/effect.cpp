// The effect registry and the registry of the effects' settings dialogs.
#include "model/project/effect.h"

void CEffectRegistry::Register(int id, EffectCreateFunction create, const CString& name) {
  m_factories.push_back(std::make_unique<CEffectFactory>(CEffectFactory{create, name, 0}));
  m_map[id] = m_factories.back().get();
}

const CEffectFactory* CEffectRegistry::Lookup(int id) const {
  auto it = m_map.find(id);
  return it == m_map.end() ? nullptr : it->second;
}

CEffect* CEffectRegistry::Create(int id) const {
  const CEffectFactory* factory = Lookup(id);
  return factory ? factory->create() : nullptr;
}

std::vector<int> CEffectRegistry::GetIds() const {
  std::vector<int> ids;
  for (const auto& entry : m_map) ids.push_back(entry.first);
  return ids;
}

CEffectRegistry& GetEffectRegistry() {
  static CEffectRegistry registry;
  return registry;
}

namespace {

std::map<int, EffectDialogMaker>& DialogMakers() {
  static std::map<int, EffectDialogMaker> makers;
  return makers;
}

}  // namespace

void RegisterEffectDialogMaker(int id, EffectDialogMaker maker) { DialogMakers()[id] = maker; }

EffectDialogMaker FindEffectDialogMaker(int id) {
  auto it = DialogMakers().find(id);
  return it == DialogMakers().end() ? nullptr : it->second;
}

CDialog* CEffect::CreateSettingsDialog(CWnd* parent) {
  EffectDialogMaker maker = FindEffectDialogMaker(GetID());
  return maker ? maker(this, parent) : nullptr;
}
