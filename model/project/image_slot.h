// CImageSlot: one side of a morph pair: the picture as loaded, its feature
// lines, outline, clip and colour adjustment, the mask and the texture the
// renderer draws from, and the slot's records in the project file and in
// undo snapshots.
#pragma once

#include "compat/afx/string.h"
#include "compat/win32/types.h"
#include "model/outline/editable_path.h"
#include "model/project/line_set.h"

class CArchive;
class CMorphPair;
class CTextureHolder;

// Applied when the picture is loaded; floats in percent, 0 = unchanged.
struct CColorAdjust {
  float brightness = 0.0f;
  float hue = 0.0f;
  float saturation = 0.0f;
  float contrast = 0.0f;
  int flip = 0;
  int mirror = 0;
};
static_assert(sizeof(CColorAdjust) == 24);

class CImageSlot {
 public:
  // Largest zoom and picture side a record may carry.
  static constexpr float kMaxZoom = 64.0f;
  static constexpr int kMaxLayoutSide = 16384;

  CImageSlot();
  ~CImageSlot();
  CImageSlot(const CImageSlot&) = delete;
  CImageSlot& operator=(const CImageSlot&) = delete;

  float GetZoom() const { return m_zoom; }
  void SetZoom(float zoom);
  CLineSet* GetLines() { return &m_lines; }
  CEditablePath* GetShape() { return &m_outline; }
  void SetShape(const CEditablePath& outline);
  void SetFeather(int maskEdge);
  int GetFeather() const { return m_maskEdge; }
  void SetOrigin(POINT p);
  POINT GetOrigin() const { return m_origin; }
  void GetDisplaySize(SIZE& out) const;
  void InsertMidPoint(int i);
  // Zoom, origin, lines, clip and colour adjustment of another slot.
  void Assign(const CImageSlot& other);
  // The same settings exchanged with another slot; the lines change sides
  // whole, mask flags included, which Assign's line copy would not carry.
  void SwapSettings(CImageSlot& other);

  // The record in the project file and the one in undo snapshots.
  void Serialize(CArchive& ar);
  void SerializeSnapshot(CArchive& ar);
  // Path, clip and colour adjustment, for an undo record of a swap; on load
  // TRUE when any of them changed.
  BOOL SerializePicture(CArchive& ar);
  // What an undo record replaces, held aside while the record is read and
  // put back when it is refused: a record is restored whole or not at all.
  struct RestoredState {
    float zoom = 0.0f;
    SIZE layout{0, 0};
    POINT origin{0, 0};
    CLineSet lines;
    CEditablePath outline;
    CString path;
    RECT clip{0, 0, 0, 0};
    CColorAdjust adjust;
  };
  // The lines move into `kept` (a record replaces them whole); the rest is copied.
  void KeepRestoredState(RestoredState& kept);
  void PutBackRestoredState(RestoredState& kept);

  // Picture loading (slot_loading.cpp).
  void UpdateMask();
  // Drops the picture, its texture and its display picture.
  void ReleasePicture();
  BOOL HasPicture() const { return m_pixels != nullptr; }
  const DWORD* GetPixels() const { return m_pixels; }
  SIZE GetPixelSize() const { return m_pixelSize; }
  // What the image pane shows: top-down pixels of GetDisplayPictureSize.
  const DWORD* GetDisplayPicture() const { return m_display; }
  SIZE GetDisplayPictureSize() const { return m_displaySize; }

  CString m_path;
  RECT m_clip{0, 0, 0, 0};  // all 0: no clipping
  CColorAdjust m_adjust;
  SIZE m_layout{0, 0};       // output size the lines and outline are laid out for; 0 x 0: not yet
  // What the record holds as the layout. It follows the layout, except that a
  // slot read from a file keeps the file's value until the slot is laid out
  // for another size: files of earlier versions hold the picture size there,
  // and they save back as they were.
  SIZE m_recordedLayout{0, 0};
  SIZE m_pictureSize{0, 0};  // after the size limit, before clipping
  CTextureHolder* m_texture = nullptr;

 private:
  friend BOOL LoadImageSlot(CImageSlot* slot, CMorphPair* pair);

  void StoreOutline(CArchive& ar);
  void AfterLoad();

  float m_zoom = 0.5f;
  CLineSet m_lines;
  CEditablePath m_outline;
  int m_maskEdge = 16;
  POINT m_origin{0, 0};
  DWORD* m_pixels = nullptr;  // blue, green, red, alpha; top-down; alpha = mask
  SIZE m_pixelSize{0, 0};
  DWORD* m_display = nullptr;
  SIZE m_displaySize{0, 0};
};

// FALSE when the slot's file exists but cannot be read: the message is
// shown and the slot keeps the picture it had.
BOOL LoadImageSlot(CImageSlot* slot, CMorphPair* pair);

// A mask byte through an alpha transfer mode.
BYTE AlphaTransferByte(BYTE value, int mode);
