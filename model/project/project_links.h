// What the model asks of the renderer and of the editor. Each registers its
// side once it exists; until then (and in tests) the model keeps its data and
// neither draws nor refreshes anything.
#pragma once

#include "compat/win32/types.h"

class CD3DRenderer;
class CMeshReceiver;
class CMorphPair;
class CTextureHolder;
struct CFillStyle;
struct IDirect3DDevice9;

class CRendererLink {
 public:
  virtual ~CRendererLink() = default;
  // The pair's current frame on screen (under the render lock).
  virtual void RenderFrame(CMorphPair* pair) = 0;
  virtual void RecreateTextures(CMorphPair* pair) = 0;
  // Background to the first fill, foreground to the second.
  virtual void SetFills(const CFillStyle& background, const CFillStyle& foreground) = 0;
  virtual void ResizeSurfaces(int width, int height) = 0;
  virtual void SetBusy(int busy) = 0;
  // A texture for the picture rectangle: render target when renderTarget is 1.
  virtual CTextureHolder* CreateTexture(const RECT& picture, int renderTarget) = 0;
  virtual void DeleteTexture(CTextureHolder* texture) = 0;
  virtual void UploadTexture(CTextureHolder* texture, const DWORD* pixels) = 0;
  // The part of the texture the picture fills (picture size over texture size).
  virtual void GetTextureExtent(CTextureHolder* texture, float* u, float* v) = 0;
  // A new empty shape for a pair's mesh; the pair deletes it.
  virtual CMeshReceiver* CreateShape() = 0;
  // The vertices of the two crossing mesh edges (-1 when none), for the
  // wire frame.
  virtual void SetCrossingEdges(const int vertices[4]) = 0;
  // "No Effect": the source picture copied into the target.
  virtual void RenderPassThrough(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source,
                                 CTextureHolder* target) {
    (void)renderer, (void)device, (void)source, (void)target;
  }
};

class CEditorLink {
 public:
  virtual ~CEditorLink() = default;
  // The transition panel reloads every field from the project.
  virtual void RefreshPanel() = 0;
  virtual void RebuildThumbnails() = 0;
  // The timeline bar: stop playback; load the current pair; apply its
  // frame count to the pair.
  virtual void StopPlayback() = 0;
  virtual void RefreshTimeline() = 0;
  virtual void ApplyFrameCount() = 0;
  // Image pane of side 0 (source) or 1 (target): refresh and redraw at once.
  virtual void RefreshImageView(int side) = 0;
  virtual void EnableViews(BOOL enable) = 0;
  virtual void SetDocumentModified(BOOL modified) = 0;
  // Message 0x511 to the main frame: which figure-tool button is checked.
  virtual void CheckFigureTool(int tool) = 0;
  // Message 0x501 to the view: the current pair changed.
  virtual void PairChanged(WPARAM flag) = 0;
  virtual void ShowMessage(const char16_t* text) = 0;
  // The status bar's fold-over text and zoom percentage.
  virtual void ShowIntersect(BOOL folded) = 0;
  virtual void ShowZoom() = 0;
};

// The renderer could not start: says so and ends the program with
// kDirect3DFailureExitCode, so that scripts see the failure.
constexpr int kDirect3DFailureExitCode = 3;
[[noreturn]] void EndAfterDirect3DFailure();

void SetRendererLink(CRendererLink* link);
CRendererLink* GetRendererLink();
void SetEditorLink(CEditorLink* link);
CEditorLink* GetEditorLink();
