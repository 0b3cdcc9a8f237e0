// Reading the toolbar resources for the menus' pictures.
#include "guitk/toolbar_pictures.h"

namespace {

constexpr WORD kToolbarVersion = 1;
constexpr size_t kToolbarHeader = 8;  // version, width, height, count
constexpr int kMaxToolbarItems = 4096;
constexpr DWORD kTemporaryToolbarStyle = 0x40002800;  // a child, not shown, with the bar's alignment bits
constexpr UINT kTemporaryToolbarId = 0xE800;

WORD WordAt(const BYTE* data, size_t offset) { return static_cast<WORD>(data[offset] | (data[offset + 1] << 8)); }

const BYTE* ResourceBytes(UINT id, LPCWSTR type, DWORD* size) {
  HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEW(id), type);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (!found) return nullptr;
  *size = SizeofResource(module, found);
  return static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
}

}  // namespace

bool KitReadToolbarResource(UINT id, KitToolbarResource* out) {
  DWORD size = 0;
  const BYTE* data = ResourceBytes(id, RT_TOOLBAR, &size);
  if (!data || size < kToolbarHeader || WordAt(data, 0) != kToolbarVersion) return false;
  const int count = WordAt(data, 6);
  if (count > kMaxToolbarItems || kToolbarHeader + 2u * static_cast<size_t>(count) > size) return false;
  out->imageWidth = WordAt(data, 2);
  out->imageHeight = WordAt(data, 4);
  out->ids.clear();
  for (int i = 0; i < count; ++i) out->ids.push_back(WordAt(data, kToolbarHeader + 2u * static_cast<size_t>(i)));
  return out->imageWidth > 0 && out->imageHeight > 0;
}

HBITMAP KitLoadToolbarBitmap(UINT id) {
  HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEW(id), RT_BITMAP);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_BITMAP);
  if (!found) return nullptr;
  const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, found)));
  if (header && SizeofResource(module, found) >= sizeof(BITMAPINFOHEADER) && header->biBitCount == 4)
    return AfxLoadSysColorBitmap(module, found);
  return LoadBitmapW(module, MAKEINTRESOURCEW(id));
}

int KitToolbarImageOf(UINT toolbarId, UINT command) {
  // A hidden toolbar of the resource, on the main window (or the desktop),
  // maps the command to its button; a command without a button has no
  // picture (not the strip's first one).
  CWnd* parent = AfxGetMainWnd();
  if (!parent || !parent->m_hWnd) parent = CWnd::FromHandle(GetDesktopWindow());
  CToolBar toolbar;
  if (!toolbar.Create(parent, kTemporaryToolbarStyle, kTemporaryToolbarId)) return -1;
  int image = -1;
  if (toolbar.LoadToolBar(toolbarId)) {
    const int index = toolbar.CommandToIndex(command);
    if (index >= 0) {
      UINT id = 0, style = 0;
      toolbar.GetButtonInfo(index, id, style, image);
    }
  }
  toolbar.DestroyWindow();
  return image;
}
