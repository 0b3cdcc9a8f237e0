// Picture loading into an image slot: decode within 1024 pixels a side,
// flip, mirror and colour adjustment, clip, texture and display picture,
// then the mask from the slot's mask lines.
#include <algorithm>
#include <cstring>
#include <memory>

#include "compat/win32.h"
#include "imaging/color_adjust.h"
#include "imaging/image_file.h"
#include "model/raster/box_scale.h"
#include "model/outline/figure_group.h"
#include "model/project/image_slot.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "model/raster/pixel_buffer.h"
#include "model/project/project_links.h"
#include "platform/file_presence.h"
#include "platform/shown_path.h"

namespace {

constexpr int kMaxPictureSide = 1024;
constexpr float kPercent = 0.01f;
constexpr DWORD kOpaqueBlack = 0xFF000000;

std::unique_ptr<DWORD[]> NewPixels(SIZE s) {
  return std::unique_ptr<DWORD[]>(new DWORD[static_cast<size_t>(s.cx) * static_cast<size_t>(s.cy)]);
}

bool IsEmptyRect(const RECT& r) { return r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0; }

void ShowFailure(const CString& path, const char16_t* text) {
  if (CEditorLink* editor = GetEditorLink()) editor->ShowMessage(ShownPath(path) + text);
}

// Pictures above the limit are reduced so textures and masks stay small.
SIZE LimitedSize(SIZE size) {
  if (size.cx <= kMaxPictureSide && size.cy <= kMaxPictureSide) return size;
  const double s = static_cast<double>(kMaxPictureSide) / std::max(size.cx, size.cy);
  return SIZE{std::max<LONG>(1, static_cast<LONG>(size.cx * s)), std::max<LONG>(1, static_cast<LONG>(size.cy * s))};
}

// Decodes the picture within the size limit, reduced while it is decoded;
// null (with the message shown) when it cannot be.
std::unique_ptr<DWORD[]> Decode(const CString& path, SIZE& size) {
  CImageFile file;
  LONG w = 0, h = 0;
  if (!file.Open(path) || !file.GetSize(&w, &h) || w < 1 || h < 1 ||
      static_cast<int64_t>(w) * h > kMaxRasterPixels) {
    ShowFailure(path, u"cound not read!");
    return nullptr;
  }
  size = LimitedSize(SIZE{w, h});
  std::unique_ptr<DWORD[]> pixels = NewPixels(size);
  if (!file.ReadPixelsReduced(pixels.get(), size.cx, size.cy)) {
    ShowFailure(path, u" cound not load!");
    return nullptr;
  }
  file.Close();
  return pixels;
}

void FlipAndAdjust(DWORD* pixels, SIZE size, const CColorAdjust& adjust) {
  std::unique_ptr<DWORD[]> turned = NewPixels(size);
  for (LONG r = 0; r < size.cy; ++r) {
    const LONG row = adjust.flip ? size.cy - 1 - r : r;
    for (LONG c = 0; c < size.cx; ++c) {
      const LONG col = adjust.mirror ? size.cx - 1 - c : c;
      turned[static_cast<size_t>(row) * size.cx + col] = pixels[static_cast<size_t>(r) * size.cx + c];
    }
  }
  PixelView source;
  source.width = source.rowPixels = size.cx;
  source.height = size.cy;
  source.pixels = turned.get();
  ClippedPixelView destination;
  destination.width = destination.rowPixels = size.cx;
  destination.height = size.cy;
  destination.pixels = pixels;
  // The copy takes the clip as inclusive and the adjustment as exclusive:
  // the full size copies within the picture and adjusts all of it.
  destination.clip = RECT{0, 0, size.cx, size.cy};
  AdjustPixelColors(&source, &destination, adjust.brightness * kPercent, adjust.hue * kPercent,
                    adjust.saturation * kPercent, adjust.contrast * kPercent);
}

// The clip held to the picture; false when the clip is unset. A clip that
// misses the picture altogether (one set on a larger picture before a
// smaller one came) would leave nothing to show: the picture shows whole
// and the clip is kept for the picture it was set on.
bool ClipToPicture(RECT& clip, SIZE picture) {
  if (IsEmptyRect(clip)) return false;
  RECT held;
  held.left = std::clamp<LONG>(clip.left, 0, picture.cx);
  held.top = std::clamp<LONG>(clip.top, 0, picture.cy);
  held.right = std::clamp<LONG>(clip.right, held.left, picture.cx);
  held.bottom = std::clamp<LONG>(clip.bottom, held.top, picture.cy);
  if (held.right <= held.left || held.bottom <= held.top) return false;
  clip = held;
  return true;
}

}  // namespace

BOOL LoadImageSlot(CImageSlot* slot, CMorphPair* pair) {
  CMorphProject* project = GetMorphProject();
  SIZE output;
  project->GetOutputSize(output);
  const bool relaid = slot->m_layout.cx != output.cx || slot->m_layout.cy != output.cy;
  if ((slot->m_layout.cx != 0 || slot->m_layout.cy != 0) &&
      (slot->m_layout.cx != output.cx || slot->m_layout.cy != output.cy)) {
    CMatrix3 scale;
    scale.SetScale(CVector2(static_cast<float>(output.cx) / static_cast<float>(std::max<LONG>(1, slot->m_layout.cx)),
                            static_cast<float>(output.cy) / static_cast<float>(std::max<LONG>(1, slot->m_layout.cy))));
    slot->m_outline.Transform(scale);
  }
  if (relaid) slot->m_recordedLayout = output;
  slot->m_layout = output;
  if (!PathNamesFile(slot->m_path)) {
    slot->ReleasePicture();
    return TRUE;
  }

  // Decoded before the old picture goes: a file that cannot be read (one
  // being written by another program, or not a picture at all) must not
  // take away the picture the user had.
  SIZE size{0, 0};
  std::unique_ptr<DWORD[]> pixels = Decode(slot->m_path, size);
  if (!pixels) {
    // The old picture is only worth keeping where it still fits the layout.
    if (relaid) slot->ReleasePicture();
    return FALSE;
  }
  slot->ReleasePicture();
  slot->m_pictureSize = size;
  FlipAndAdjust(pixels.get(), size, slot->m_adjust);

  const bool imageMode = project->GetEditMode() == kEditImageProcess;
  SIZE current = size;
  if (imageMode) {
    slot->m_display = NewPixels(size).release();
    std::memcpy(slot->m_display, pixels.get(), sizeof(DWORD) * size.cx * size.cy);
    slot->m_displaySize = size;
  }
  if (ClipToPicture(slot->m_clip, size)) {
    current = SIZE{slot->m_clip.right - slot->m_clip.left, slot->m_clip.bottom - slot->m_clip.top};
    std::unique_ptr<DWORD[]> clipped = NewPixels(current);
    CopyPixelRect(clipped.get(), slot->m_clip, pixels.get(), size);
    pixels = std::move(clipped);
  }
  slot->m_pixels = pixels.release();
  slot->m_pixelSize = current;

  if (CRendererLink* renderer = GetRendererLink()) {
    const RECT picture{0, 0, current.cx, current.cy};
    slot->m_texture = renderer->CreateTexture(picture, 0);
    if (slot == pair->GetTargetSlot()) {
      // The mask is read at the output position of each pixel (as the
      // renderer's working pictures are laid out), not at the target
      // picture's own, so it takes the output's size.
      if (pair->m_pairTexture) renderer->DeleteTexture(pair->m_pairTexture);
      pair->m_pairTexture = renderer->CreateTexture(RECT{0, 0, output.cx, output.cy}, 1);
    }
  }
  // Outside image-process mode the display picture is made by UpdateMask
  // below, over the mask it draws.
  RECT lines{0, 0, output.cx, output.cy};
  slot->m_lines.SetRect(lines);
  slot->m_lines.SetScale(slot->m_zoom);
  slot->UpdateMask();
  return TRUE;
}

void CImageSlot::UpdateMask() {
  if (!HasPicture()) return;
  const SIZE region = m_pixelSize;
  const float sx = static_cast<float>(region.cx) / static_cast<float>(std::max<LONG>(1, m_layout.cx));
  const float sy = static_cast<float>(region.cy) / static_cast<float>(std::max<LONG>(1, m_layout.cy));
  CFigureGroup figures;
  for (int i = 0; i < m_lines.GetLineCount(); ++i) {
    const CFeatureLine* line = m_lines.LineAt(i);
    if (!line->mask || line->GetPointCount() == 0) continue;
    CBezierNodeArray nodes;
    for (int k = 0; k < line->GetPointCount(); ++k) {
      const CVector2 p(sx * line->PointAt(k)->x / m_zoom, sy * line->PointAt(k)->y / m_zoom);
      nodes.Add(CBezierNode{p, {p, p}, FALSE});
    }
    figures.AddNodes(nodes.GetData(), nodes.GetSize(), kFigureFilled);
  }
  CPixelBuffer buffer;
  buffer.rect = RECT{0, 0, region.cx, region.cy};
  buffer.bits = m_pixels;
  if (figures.GetItemCount() == 0) {
    for (int64_t i = 0; i < int64_t{region.cx} * region.cy; ++i) m_pixels[i] |= 0xFF000000;
  } else {
    CMaskBuffer mask(0, 0, region.cx, region.cy);
    figures.DrawMask(&mask, 0.0f, 0.0f, 0.0f);
    if (m_maskEdge > 0 && mask.bits) {
      if (GetMorphProject()->GetMaskEdgeMode() == kMaskEdgeGauss) {
        BlurMaskGaussian(mask.bits, region, m_maskEdge);
      } else {
        std::unique_ptr<BYTE[]> soft(new BYTE[static_cast<size_t>(region.cx) * region.cy]);
        BoxBlurMask(mask.bits, region, m_maskEdge, m_maskEdge, soft.get());
        std::memcpy(mask.bits, soft.get(), static_cast<size_t>(region.cx) * region.cy);
      }
    }
    buffer.SetAlphaFromMask(mask, region.cx);
    mask.Free();
  }
  if (m_texture != nullptr) {
    if (CRendererLink* renderer = GetRendererLink()) renderer->UploadTexture(m_texture, m_pixels);
  }
  if (GetMorphProject()->GetEditMode() != kEditImageProcess && m_layout.cx > 0 && m_layout.cy > 0) {
    delete[] m_display;
    m_display = NewPixels(m_layout).release();
    m_displaySize = m_layout;
    BoxScalePixels(m_pixels, region.cx, region.cy, m_display, m_layout.cx, m_layout.cy);
    CPixelBuffer shown;
    shown.rect = RECT{0, 0, m_layout.cx, m_layout.cy};
    shown.bits = m_display;
    shown.CompositeOverColor(kOpaqueBlack);
  }
}
