// CEffect, the transition effect a pair runs at its start and end, and the
// registry that makes effects by their stored id. The renderer's effects
// register themselves here; the pair record reads and writes their blocks.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "compat/afx/string.h"

class CArchive;
class CD3DRenderer;
class CDialog;
class CWnd;
class CTextureHolder;
struct IDirect3DDevice9;
struct IDirect3DTexture9;

class CEffect {
 public:
  virtual ~CEffect() = default;
  virtual int GetID() const = 0;
  virtual CString GetName() const = 0;
  virtual void Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source,
                      CTextureHolder* target, float progress) {
    (void)renderer, (void)device, (void)source, (void)target, (void)progress;
  }
  virtual void Prepare(IDirect3DDevice9* device) = 0;
  // The mask texture of a wipe: frame rendering applies it as the wipe pass
  // instead of handing the effect to the effect pass. Null for the others.
  virtual IDirect3DTexture9* GetWipeTexture() { return nullptr; }
  // The effect's parameter block, both directions; it carries no length,
  // so a reader must check every value it takes.
  virtual void Serialize(CArchive& ar) = 0;
  // The effect's modeless settings dialog, a child of parent; the caller
  // destroys and deletes it. The editor registers the dialog makers, since
  // the dialogs live above the effects; null when none is registered.
  virtual CDialog* CreateSettingsDialog(CWnd* parent);
};

typedef CDialog* (*EffectDialogMaker)(CEffect* effect, CWnd* parent);
// One maker per effect id, beside the effect registry; a later
// registration of an id replaces the earlier one.
void RegisterEffectDialogMaker(int id, EffectDialogMaker maker);
EffectDialogMaker FindEffectDialogMaker(int id);

typedef CEffect* (*EffectCreateFunction)();

struct CEffectFactory {
  EffectCreateFunction create;
  CString name;
  int reserved;
};

class CEffectRegistry {
 public:
  // A later registration of an id replaces the earlier one.
  void Register(int id, EffectCreateFunction create, const CString& name);
  const CEffectFactory* Lookup(int id) const;
  // A new effect of that id with its defaults, or null when none is known.
  CEffect* Create(int id) const;
  // Ids in ascending order.
  std::vector<int> GetIds() const;

 private:
  std::map<int, const CEffectFactory*> m_map;
  std::vector<std::unique_ptr<CEffectFactory>> m_factories;
};

CEffectRegistry& GetEffectRegistry();

// Registers T at static initialisation: one object per effect class.
template <class T>
struct CEffectRegistration {
  CEffectRegistration() {
    T probe;
    GetEffectRegistry().Register(probe.GetID(), [] { return static_cast<CEffect*>(new (std::nothrow) T); },
                                 probe.GetName());
  }
};
