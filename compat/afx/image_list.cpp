// CImageList: the framework's image list over the ImageList_ calls.
#include "compat/afx/gdi.h"
#include "compat/afx/temporary_map.h"
#include "compat/afx/wnd.h"

IMPLEMENT_DYNCREATE(CImageList, CObject)

namespace {

__attribute__((noinline)) HIMAGELIST HandleOf(const CImageList* list) {
  return list ? list->m_hImageList : nullptr;
}

HBITMAP BitmapOf(CBitmap* bitmap) { return bitmap ? static_cast<HBITMAP>(bitmap->m_hObject) : nullptr; }

}  // namespace

CImageList::~CImageList() { DeleteImageList(); }

HIMAGELIST CImageList::GetSafeHandle() const { return HandleOf(this); }

CImageList* CImageList::FromHandle(HIMAGELIST h) {
  return compat::afx::TemporaryFor<CImageList>(
      h, [](CImageList* l, HIMAGELIST handle) { l->m_hImageList = handle; },
      [](CImageList* l) { l->m_hImageList = nullptr; });
}

BOOL CImageList::Create(int cx, int cy, UINT flags, int initial, int grow) {
  return Attach(::ImageList_Create(cx, cy, flags, initial, grow));
}

BOOL CImageList::Create(CImageList* source) {
  return source && Attach(::ImageList_Duplicate(source->m_hImageList));
}

BOOL CImageList::Create(UINT bitmapId, int cx, int grow, COLORREF mask) {
  return Create(MAKEINTRESOURCEW(bitmapId), cx, grow, mask);
}

BOOL CImageList::Create(LPCTSTR bitmapName, int cx, int grow, COLORREF mask) {
  return Attach(::ImageList_LoadImageW(nullptr, bitmapName, cx, grow, mask, IMAGE_BITMAP, LR_CREATEDIBSECTION));
}

BOOL CImageList::Attach(HIMAGELIST h) {
  if (!h || m_hImageList) return FALSE;
  m_hImageList = h;
  return TRUE;
}

HIMAGELIST CImageList::Detach() {
  HIMAGELIST h = m_hImageList;
  m_hImageList = nullptr;
  return h;
}

BOOL CImageList::DeleteImageList() {
  if (!m_hImageList) return FALSE;
  return ::ImageList_Destroy(Detach());
}

int CImageList::GetImageCount() const { return ::ImageList_GetImageCount(m_hImageList); }
BOOL CImageList::SetImageCount(UINT count) { return ::ImageList_SetImageCount(m_hImageList, count); }
int CImageList::Add(CBitmap* image, CBitmap* mask) {
  return ::ImageList_Add(m_hImageList, BitmapOf(image), BitmapOf(mask));
}
int CImageList::Add(CBitmap* image, COLORREF maskColor) {
  return ::ImageList_AddMasked(m_hImageList, BitmapOf(image), maskColor);
}
BOOL CImageList::Remove(int index) { return ::ImageList_Remove(m_hImageList, index); }
BOOL CImageList::Replace(int index, CBitmap* image, CBitmap* mask) {
  return ::ImageList_Replace(m_hImageList, index, BitmapOf(image), BitmapOf(mask));
}
COLORREF CImageList::SetBkColor(COLORREF color) { return ::ImageList_SetBkColor(m_hImageList, color); }
COLORREF CImageList::GetBkColor() const { return ::ImageList_GetBkColor(m_hImageList); }
BOOL CImageList::GetImageInfo(int index, IMAGEINFO* info) const {
  return ::ImageList_GetImageInfo(m_hImageList, index, info);
}
BOOL CImageList::Draw(CDC* dc, int index, POINT point, UINT style) {
  return dc && ::ImageList_Draw(m_hImageList, index, dc->m_hDC, point.x, point.y, style);
}
BOOL CImageList::DrawIndirect(IMAGELISTDRAWPARAMS* params) { return ::ImageList_DrawIndirect(params); }

BOOL CImageList::DrawIndirect(CDC* dc, int index, POINT point, SIZE size, POINT origin, UINT style,
                              DWORD rop, COLORREF background, COLORREF foreground, DWORD state) {
  if (!dc) return FALSE;
  IMAGELISTDRAWPARAMS p{};
  p.cbSize = sizeof(p);
  p.himl = m_hImageList;
  p.i = index;
  p.hdcDst = dc->m_hDC;
  p.x = point.x;
  p.y = point.y;
  p.cx = size.cx;
  p.cy = size.cy;
  p.xBitmap = origin.x;
  p.yBitmap = origin.y;
  p.rgbBk = background;
  p.rgbFg = foreground;
  p.fStyle = style;
  p.dwRop = rop;
  p.fState = state;
  return ::ImageList_DrawIndirect(&p);
}

BOOL CImageList::Copy(int destination, int source, UINT flags) {
  return ::ImageList_Copy(m_hImageList, destination, m_hImageList, source, flags);
}

BOOL CImageList::BeginDrag(int image, CPoint hotSpot) {
  return ::ImageList_BeginDrag(m_hImageList, image, hotSpot.x, hotSpot.y);
}
void PASCAL CImageList::EndDrag() { ::ImageList_EndDrag(); }
BOOL PASCAL CImageList::DragMove(CPoint point) { return ::ImageList_DragMove(point.x, point.y); }
BOOL PASCAL CImageList::DragEnter(CWnd* lock, CPoint point) {
  return ::ImageList_DragEnter(lock ? lock->GetSafeHwnd() : nullptr, point.x, point.y);
}
BOOL PASCAL CImageList::DragLeave(CWnd*) { return ::ImageList_DragLeave(nullptr); }
BOOL PASCAL CImageList::DragShowNolock(BOOL show) { return ::ImageList_DragShowNolock(show); }
