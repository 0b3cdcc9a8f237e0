// The gradient stop bar: geometry, stops, the mouse and the Delete key.
//
// Sections: registration and descriptor · geometry · editing · records ·
// painting · messages
#include "ui/vary_color_bar.h"

#include <algorithm>
#include <memory>

#include "model/raster/color_variation_fill.h"

namespace {

// The bar lies inside the client area by these margins; markers hang below
// it, midpoint handles sit above it.
constexpr int kSideMargin = 8;
constexpr int kTopMargin = 12;
constexpr int kBottomMargin = 16;
constexpr int kMarkerSize = 16;
constexpr int kHandleSize = 12;
// A press this far under the bar inserts a stop.
constexpr int kInsertBand = 8;
// Closer stops than this have no room for their midpoint to move.
constexpr float kMinSegment = 0.000001f;

constexpr COLORREF kOutline = RGB(0, 0, 0);
constexpr COLORREF kSelectedMark = RGB(255, 0, 0);

COLORREF ColorRefOf(DWORD argb) { return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF); }

}  // namespace

// --- registration and descriptor ---

BEGIN_MESSAGE_MAP(CVaryColorBar, CWnd)
  ON_WM_CREATE()
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
  ON_WM_LBUTTONDOWN()
  ON_WM_MOUSEMOVE()
  ON_WM_LBUTTONUP()
  ON_WM_KEYDOWN()
  ON_WM_GETDLGCODE()
END_MESSAGE_MAP()

BOOL CVaryColorBar::RegisterClass(HINSTANCE instance) {
  WNDCLASS wc{};
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_PARENTDC;
  wc.lpfnWndProc = controls::AutoObjectProc<CVaryColorBar>;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = u"VaryColorBar";
  return controls::RegisterCustomClass(wc);
}

CVaryColorBar* VaryColorBarFromHandle(HWND hwnd) {
  return dynamic_cast<CVaryColorBar*>(CWnd::FromHandlePermanent(hwnd));
}

void CVaryColorBar::SetGradient(const CGradientDesc& desc) {
  m_desc = desc;
  const int count = std::min<int>(desc.stopCount, kMaxGradientStops);
  m_stops.clear();
  for (int i = 0; i < count; ++i)
    m_stops.push_back(Stop{desc.positions[i], desc.colors[i], i >= 1 ? desc.midpoints[i - 1] : 0.5f});
  if (m_nSelected >= static_cast<int>(m_stops.size()) && m_nSelected < kMidpointHandle) m_nSelected = -1;
  if (m_nSelected >= kMidpointHandle + static_cast<int>(m_stops.size())) m_nSelected = -1;
  if (m_hWnd) Invalidate();
}

void CVaryColorBar::GetGradient(CGradientDesc& desc) {
  WriteBack();
  desc = m_desc;
}

void CVaryColorBar::WriteBack() {
  m_desc.stopCount = static_cast<WORD>(m_stops.size());
  for (size_t i = 0; i < m_stops.size(); ++i) {
    m_desc.colors[i] = m_stops[i].color;
    m_desc.positions[i] = m_stops[i].position;
    if (i >= 1) m_desc.midpoints[i - 1] = m_stops[i].midpoint;
  }
}

// --- geometry ---

CRect CVaryColorBar::BarRect() const {
  CRect client;
  GetClientRect(&client);
  return CRect(client.left + kSideMargin, client.top + kTopMargin, client.right - kSideMargin,
               client.bottom - kBottomMargin);
}

float CVaryColorBar::BarFraction(int x) const {
  const CRect bar = BarRect();
  return bar.Width() > 0 ? static_cast<float>(x - bar.left) / static_cast<float>(bar.Width()) : 0.0f;
}

int CVaryColorBar::StopX(int index) const {
  const CRect bar = BarRect();
  return bar.left + static_cast<int>(static_cast<float>(bar.Width()) * m_stops[index].position);
}

int CVaryColorBar::MidpointX(int index) const {
  const CRect bar = BarRect();
  const float p0 = m_stops[index - 1].position;
  const float p1 = m_stops[index].position;
  return bar.left + static_cast<int>(static_cast<float>(bar.Width()) * (p0 + (p1 - p0) * m_stops[index].midpoint));
}

CRect CVaryColorBar::MarkerRect(int index) const {
  const int x = StopX(index);
  const int top = BarRect().bottom;
  return CRect(x - kMarkerSize / 2, top, x + kMarkerSize / 2, top + kMarkerSize);
}

CRect CVaryColorBar::HandleRect(int index) const {
  const int x = MidpointX(index);
  const int bottom = BarRect().top;
  return CRect(x - kHandleSize / 2, bottom - kHandleSize, x + kHandleSize / 2, bottom);
}

int CVaryColorBar::HitTest(CPoint point) const {
  for (int i = 0; i < static_cast<int>(m_stops.size()); ++i) {
    if (MarkerRect(i).PtInRect(point)) return i;
    if (i >= 1 && HandleRect(i).PtInRect(point)) return kMidpointHandle + i;
  }
  return -1;
}

// --- editing ---

void CVaryColorBar::InsertStop(int x) {
  if (m_stops.size() >= static_cast<size_t>(kMaxGradientStops)) return;
  const float t = BarFraction(x);
  const int count = static_cast<int>(m_stops.size());
  int at = count;
  DWORD color = count > 0 ? m_stops.back().color : 0;
  if (count > 0 && t < m_stops[0].position) {
    at = 0;
    color = m_stops[0].color;
  } else {
    for (int i = 0; i + 1 < count; ++i) {
      const Stop& a = m_stops[i];
      const Stop& b = m_stops[i + 1];
      if (a.position <= t && t < b.position) {
        at = i + 1;
        LerpArgb(a.color, b.color, color, (t - a.position) / (b.position - a.position));
        break;
      }
    }
  }
  m_stops.insert(m_stops.begin() + at, Stop{std::clamp(t, 0.0f, 1.0f), color, 0.5f});
  m_nSelected = at;
  WriteBack();
  SendRecord(color, at, kStopInserted);
}

// A stop pushes the stops it passes along to its position, but never moves
// the last stop nor passes it, so the positions stay in order.
void CVaryColorBar::DragTo(int x) {
  const CRect bar = BarRect();
  x = std::clamp(x, static_cast<int>(bar.left), static_cast<int>(bar.right));
  const int count = static_cast<int>(m_stops.size());
  if (m_nSelected >= kMidpointHandle) {
    const int i = m_nSelected - kMidpointHandle;
    if (i < 1 || i >= count) return;
    x = std::clamp(x, StopX(i - 1), std::max(StopX(i - 1), StopX(i)));
    const float p0 = m_stops[i - 1].position;
    const float p1 = m_stops[i].position;
    if (p1 - p0 >= kMinSegment) m_stops[i].midpoint = std::clamp((BarFraction(x) - p0) / (p1 - p0), 0.0f, 1.0f);
  } else if (m_nSelected >= 0 && m_nSelected < count) {
    const int k = m_nSelected;
    float t = std::clamp(BarFraction(x), 0.0f, 1.0f);
    if (k + 1 < count) t = std::min(t, m_stops[count - 1].position);
    m_stops[k].position = t;
    for (int i = k - 1; i >= 0 && m_stops[i].position > t; --i) m_stops[i].position = t;
    for (int i = k + 1; i + 1 < count && m_stops[i].position < t; ++i) m_stops[i].position = t;
  }
  WriteBack();
  Invalidate();
}

void CVaryColorBar::EndDrag() {
  m_bDragging = FALSE;
  if (GetCapture() == this) ::ReleaseCapture();
  ::ClipCursor(nullptr);
}

// The selection stays on a stop that exists: after the last stop goes, the
// new last one is selected.
void CVaryColorBar::DeleteSelected() {
  const int count = static_cast<int>(m_stops.size());
  if (m_nSelected < 0 || m_nSelected >= count || count <= 2) return;
  const Stop removed = m_stops[m_nSelected];
  const int index = m_nSelected;
  m_stops.erase(m_stops.begin() + index);
  WriteBack();
  SendRecord(removed.color, index, kStopDeleted);
  m_nSelected = std::min(index, static_cast<int>(m_stops.size()) - 1);
  Invalidate();
}

// --- records ---

void CVaryColorBar::SendRecord(DWORD stopColor, int stopIndex, int state) {
  controls::NMFILLCHANGE record;
  record.kind = controls::kFillChangeGradient;
  record.gradient = m_desc;
  record.stopColor = stopColor;
  record.stopIndex = stopIndex;
  record.stopState = state;
  controls::SendNotify(m_hWnd, controls::kNotifyFillChanged, record);
}

// --- painting ---

void CVaryColorBar::DrawGradient(CDC& dc, const CRect& bar) {
  if (bar.Width() <= 0 || bar.Height() <= 0) return;
  std::unique_ptr<DWORD[]> pixels(RenderVaryColorFill(SIZE{bar.Width(), bar.Height()}, m_desc));
  if (!pixels) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = bar.Width();
  info.bmiHeader.biHeight = -bar.Height();  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  ::SetDIBitsToDevice(dc.GetSafeHdc(), bar.left, bar.top, static_cast<DWORD>(bar.Width()),
                      static_cast<DWORD>(bar.Height()), 0, 0, 0, static_cast<UINT>(bar.Height()), pixels.get(), &info,
                      DIB_RGB_COLORS);
}

void CVaryColorBar::Draw(CDC& dc, const CRect& client) {
  WriteBack();
  dc.FillSolidRect(&client, ::GetSysColor(COLOR_BTNFACE));
  const CRect bar = BarRect();
  DrawGradient(dc, bar);
  CPen outline(PS_SOLID, 1, kOutline);
  CPen* oldPen = dc.SelectObject(&outline);
  for (int i = 0; i < static_cast<int>(m_stops.size()); ++i) {
    const CRect r = MarkerRect(i);
    const int x = StopX(i);
    const POINT marker[3] = {{x, r.top}, {r.left, r.bottom - 1}, {r.right - 1, r.bottom - 1}};
    controls::FillTriangle(dc, marker, ColorRefOf(m_stops[i].color));
    dc.SelectObject(&outline);
    dc.Polyline(marker, 3);
    dc.MoveTo(marker[2]);
    dc.LineTo(marker[0]);
    if (i == m_nSelected) {
      const POINT mark[3] = {{x, r.bottom - 6}, {x - 4, r.bottom - 1}, {x + 4, r.bottom - 1}};
      controls::FillTriangle(dc, mark, kSelectedMark);
    }
  }
  for (int i = 1; i < static_cast<int>(m_stops.size()); ++i) {
    const CRect r = HandleRect(i);
    const int x = MidpointX(i);
    const int cy = (r.top + r.bottom) / 2;
    DWORD blend = m_stops[i - 1].color;
    LerpArgb(m_stops[i - 1].color, m_stops[i].color, blend, m_stops[i].midpoint);
    CBrush fill(ColorRefOf(blend));
    CBrush* oldBrush = dc.SelectObject(&fill);
    dc.SelectObject(&outline);
    const POINT diamond[4] = {{x, r.top}, {r.right - 1, cy}, {x, r.bottom - 1}, {r.left, cy}};
    dc.Polygon(diamond, 4);
    dc.SelectObject(oldBrush);
    if (m_nSelected == kMidpointHandle + i) dc.FillSolidRect(x - 1, cy - 1, 3, 3, kSelectedMark);
  }
  dc.SelectObject(oldPen);
}

// --- messages ---

int CVaryColorBar::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CWnd::OnCreate(lpCreateStruct) == -1) return -1;
  SetGradient(CGradientDesc());
  return 0;
}

void CVaryColorBar::OnPaint() {
  controls::PaintBuffered(*this, [this](CDC& dc, const CRect& client) { Draw(dc, client); });
}

BOOL CVaryColorBar::OnEraseBkgnd(CDC*) { return TRUE; }

void CVaryColorBar::OnLButtonDown(UINT, CPoint point) {
  if (m_bDragging) {
    EndDrag();
    return;
  }
  const int hit = HitTest(point);
  if (hit >= 0) {
    m_nSelected = hit;
    if (hit < kMidpointHandle) SendRecord(m_stops[hit].color, hit, kStopPressed);
    Invalidate();
    SetCapture();
    SetFocus();
    m_bDragging = TRUE;
    m_lastPoint = point;
    return;
  }
  const CRect bar = BarRect();
  if (point.y >= bar.bottom && point.y < bar.bottom + kInsertBand && point.x >= bar.left && point.x <= bar.right) {
    InsertStop(point.x);
    SendRecord(m_nSelected >= 0 && m_nSelected < static_cast<int>(m_stops.size()) ? m_stops[m_nSelected].color : 0,
               -1, kStopReleased);
    Invalidate();
  }
}

void CVaryColorBar::OnMouseMove(UINT, CPoint point) {
  if (!m_bDragging || GetCapture() != this) return;
  m_lastPoint = point;
  DragTo(point.x);
}

void CVaryColorBar::OnLButtonUp(UINT, CPoint) {
  if (!m_bDragging) return;
  EndDrag();
  const bool onStop = m_nSelected >= 0 && m_nSelected < static_cast<int>(m_stops.size());
  SendRecord(onStop ? m_stops[m_nSelected].color : 0, -1, kStopReleased);
}

void CVaryColorBar::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (nChar == VK_DELETE) {
    DeleteSelected();
    return;
  }
  CWnd::OnKeyDown(nChar, nRepCnt, nFlags);
}

UINT CVaryColorBar::OnGetDlgCode() { return DLGC_WANTARROWS | DLGC_WANTCHARS; }

BOOL CVaryColorBar::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header && header->code == kNotifyStopColor) {
    const auto* record = reinterpret_cast<const controls::NMSETCOLOR*>(lParam);
    if (m_nSelected >= 0 && m_nSelected < static_cast<int>(m_stops.size())) {
      m_stops[m_nSelected].color = record->color;
      WriteBack();
      Invalidate();
    }
  }
  return CWnd::OnNotify(wParam, lParam, pResult);
}

void DDX_VaryColorBar(CDataExchange* pDX, int nIDC, CGradientDesc& desc) {
  CVaryColorBar* bar = VaryColorBarFromHandle(pDX->PrepareCtrl(nIDC));
  if (!bar) return;
  if (pDX->m_bSaveAndValidate) {
    bar->GetGradient(desc);
  } else {
    bar->SetGradient(desc);
    bar->Invalidate();
  }
}
