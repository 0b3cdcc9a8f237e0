// CHsvField: the picture, its painting, the mode and colour notifications and
// the marker drag of the colour bar and the colour field.
#include "controls/hsv_field.h"

#include <algorithm>

#include "model/raster/hsv_color.h"

namespace controls {

BEGIN_MESSAGE_MAP(CHsvField, CWnd)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

namespace {

constexpr float kByteScale = 0.003921569f;  // 1 / 255
constexpr int kModeCount = 3;

BYTE ChannelByte(float channel) { return static_cast<BYTE>(std::clamp(channel, 0.0f, 1.0f) * 255.0f); }

}  // namespace

DWORD HsvPixel(float hue, float saturation, float value) {
  float r = 0, g = 0, b = 0;
  HsvToRgb(hue, saturation, value, &r, &g, &b);
  return (DWORD{ChannelByte(r)} << 16) | (DWORD{ChannelByte(g)} << 8) | ChannelByte(b);
}

void HsvOfColor(DWORD rgb, float* hue, float* saturation, float* value) {
  RgbToHsv(static_cast<float>((rgb >> 16) & 0xFF) * kByteScale, static_cast<float>((rgb >> 8) & 0xFF) * kByteScale,
           static_cast<float>(rgb & 0xFF) * kByteScale, hue, saturation, value);
}

CSize CHsvField::ClientSize() const {
  CRect client;
  GetClientRect(&client);
  return CSize(std::max(1, static_cast<int>(client.Width())), std::max(1, static_cast<int>(client.Height())));
}

// Built for the client it is painted in: a picture kept from an earlier
// size would leave part of a grown control unpainted.
void CHsvField::Rebuild() {
  CRect client;
  if (m_hWnd) GetClientRect(&client);
  m_pixelSize = CSize(std::max(0, static_cast<int>(client.Width())), std::max(0, static_cast<int>(client.Height())));
  m_pixels.assign(static_cast<size_t>(m_pixelSize.cx) * m_pixelSize.cy, 0);
  if (!m_pixels.empty()) BuildPixels(m_pixels.data(), m_pixelSize.cx, m_pixelSize.cy);
}

void CHsvField::NotifyDrag(UINT code, DWORD color, int flag) {
  NMCOLORDRAG record{};
  record.color = color;
  record.rgbOnly = flag;
  record.keepMarker = flag;
  SendNotify(m_hWnd, code, record);
}

BOOL CHsvField::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header && header->code == kNotifyColorMode) {
    const auto* record = reinterpret_cast<const NMCOLORMODE*>(lParam);
    if (record->mode >= 0 && record->mode < kModeCount) m_nMode = record->mode;
    TakeColor(record->color, FALSE);
  } else if (header && header->code == kNotifySetColor) {
    const auto* record = reinterpret_cast<const NMSETCOLOR*>(lParam);
    TakeColor(record->color, record->keepMarker);
  }
  if (header && (header->code == kNotifyColorMode || header->code == kNotifySetColor)) {
    Rebuild();
    Invalidate(FALSE);
  }
  return CWnd::OnNotify(wParam, lParam, pResult);
}

int CHsvField::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CWnd::OnCreate(lpCreateStruct) == -1) return -1;
  Rebuild();
  return 0;
}

void CHsvField::OnSize(UINT nType, int cx, int cy) {
  CWnd::OnSize(nType, cx, cy);
  Rebuild();
  Invalidate(FALSE);
}

void CHsvField::OnPaint() {
  PaintBuffered(*this, [this](CDC& dc, const CRect& client) {
    if (m_pixelSize != client.Size()) Rebuild();
    DrawPixels(dc, m_pixels.data(), m_pixelSize);
    DrawMarker(dc, client);
  });
}

BOOL CHsvField::OnEraseBkgnd(CDC*) { return TRUE; }

void CHsvField::OnLButtonDown(UINT nFlags, CPoint point) {
  if (GetCapture() == this) ::ReleaseCapture();
  SetCapture();
  CWnd::OnLButtonDown(nFlags, point);
}

void CHsvField::OnMouseMove(UINT nFlags, CPoint point) {
  if (GetCapture() == this) {
    const DWORD color = DragMarkerTo(point);
    Invalidate(FALSE);
    NotifyDrag(kNotifyColorDragging, color, 1);
  }
  CWnd::OnMouseMove(nFlags, point);
}

void CHsvField::OnLButtonUp(UINT nFlags, CPoint point) {
  if (GetCapture() == this) {
    ::ReleaseCapture();
    NotifyDrag(kNotifyColorDragEnd, 0, 0);
  }
  CWnd::OnLButtonUp(nFlags, point);
}

}  // namespace controls
