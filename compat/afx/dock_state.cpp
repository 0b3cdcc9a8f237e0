// CDockState and CControlBarInfo: the frame's bar arrangement in the
// application's profile, in "<name>-Summary" and "<name>-Bar<n>" sections.
#include "compat/afx/dock_state.h"

#include "compat/afx.h"

IMPLEMENT_DYNCREATE(CDockState, CObject)

namespace {

// A profile holds nothing we trust: counts past these are read as corrupt.
constexpr int kMaxBarRecords = 1024;
constexpr int kMaxBarSlots = 4096;

CString Section(LPCTSTR profile, LPCTSTR suffix) {
  CString name;
  name.Format(u"%s-%s", profile, suffix);
  return name;
}

CString BarSection(LPCTSTR profile, int index) {
  CString name;
  name.Format(u"%s-Bar%d", profile, index);
  return name;
}

int ReadInt(const CString& section, LPCTSTR key, int fallback) {
  return static_cast<int>(AfxGetApp()->GetProfileInt(section, key, fallback));
}

void WriteInt(const CString& section, LPCTSTR key, int value) {
  AfxGetApp()->WriteProfileInt(section, key, value);
}

CSize CurrentScreen() { return CSize(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)); }

}  // namespace

// --- CControlBarInfo ---

CControlBarInfo::CControlBarInfo()
    : m_nBarID(0),
      m_bVisible(TRUE),
      m_bFloating(FALSE),
      m_bHorz(TRUE),
      m_bDockBar(FALSE),
      m_pointPos(-1, -1),
      m_nMRUWidth(32767),
      m_bDocking(FALSE),
      m_uMRUDockID(0),
      m_rectMRUDockPos(0, 0, 0, 0),
      m_dwMRUFloatStyle(0),
      m_ptMRUFloatPos(-1, -1),
      m_pBar(nullptr) {}

BOOL CControlBarInfo::SaveState(LPCTSTR lpszProfileName, int nIndex) {
  if (!AfxGetApp()) return FALSE;
  const CString section = BarSection(lpszProfileName, nIndex);
  // Entries of a longer list saved before must not outlive it.
  AfxGetApp()->WriteProfileString(section, nullptr, nullptr);
  WriteInt(section, u"BarID", static_cast<int>(m_nBarID));
  WriteInt(section, u"Visible", m_bVisible ? 1 : 0);
  WriteInt(section, u"Horz", m_bHorz ? 1 : 0);
  WriteInt(section, u"Floating", m_bFloating ? 1 : 0);
  WriteInt(section, u"XPos", m_pointPos.x);
  WriteInt(section, u"YPos", m_pointPos.y);
  WriteInt(section, u"MRUWidth", static_cast<int>(m_nMRUWidth));
  WriteInt(section, u"Docking", m_bDocking ? 1 : 0);
  WriteInt(section, u"MRUDockID", static_cast<int>(m_uMRUDockID));
  WriteInt(section, u"MRUDockLeftPos", m_rectMRUDockPos.left);
  WriteInt(section, u"MRUDockTopPos", m_rectMRUDockPos.top);
  WriteInt(section, u"MRUDockRightPos", m_rectMRUDockPos.right);
  WriteInt(section, u"MRUDockBottomPos", m_rectMRUDockPos.bottom);
  WriteInt(section, u"MRUFloatStyle", static_cast<int>(m_dwMRUFloatStyle));
  WriteInt(section, u"MRUFloatXPos", m_ptMRUFloatPos.x);
  WriteInt(section, u"MRUFloatYPos", m_ptMRUFloatPos.y);
  const int slots = static_cast<int>(m_arrBarID.GetSize());
  WriteInt(section, u"Bars", slots);
  for (int i = 0; i < slots; ++i) {
    CString key;
    key.Format(u"Bar#%d", i);
    WriteInt(section, key, static_cast<int>(reinterpret_cast<UINT_PTR>(m_arrBarID[i])));
  }
  return TRUE;
}

BOOL CControlBarInfo::LoadState(LPCTSTR lpszProfileName, int nIndex, CDockState* pDockState) {
  if (!AfxGetApp()) return FALSE;
  const CString section = BarSection(lpszProfileName, nIndex);
  m_nBarID = static_cast<UINT>(ReadInt(section, u"BarID", 0));
  m_bVisible = ReadInt(section, u"Visible", TRUE) != 0;
  m_bHorz = ReadInt(section, u"Horz", TRUE) != 0;
  m_bFloating = ReadInt(section, u"Floating", FALSE) != 0;
  m_pointPos = CPoint(ReadInt(section, u"XPos", -1), ReadInt(section, u"YPos", -1));
  if (pDockState) m_pointPos = pDockState->ScalePoint(m_pointPos);
  m_nMRUWidth = static_cast<UINT>(ReadInt(section, u"MRUWidth", 32767));
  m_bDocking = ReadInt(section, u"Docking", FALSE) != 0;
  m_uMRUDockID = static_cast<UINT>(ReadInt(section, u"MRUDockID", 0));
  m_rectMRUDockPos = CRect(ReadInt(section, u"MRUDockLeftPos", 0), ReadInt(section, u"MRUDockTopPos", 0),
                           ReadInt(section, u"MRUDockRightPos", 0), ReadInt(section, u"MRUDockBottomPos", 0));
  if (pDockState) m_rectMRUDockPos = pDockState->ScaleRectPos(m_rectMRUDockPos);
  m_dwMRUFloatStyle = static_cast<DWORD>(ReadInt(section, u"MRUFloatStyle", 0));
  m_ptMRUFloatPos = CPoint(ReadInt(section, u"MRUFloatXPos", -1), ReadInt(section, u"MRUFloatYPos", -1));
  if (pDockState) m_ptMRUFloatPos = pDockState->ScalePoint(m_ptMRUFloatPos);
  const int slots = ReadInt(section, u"Bars", 0);
  m_arrBarID.RemoveAll();
  if (slots < 0 || slots > kMaxBarSlots) return FALSE;
  m_bDockBar = slots > 0;
  for (int i = 0; i < slots; ++i) {
    CString key;
    key.Format(u"Bar#%d", i);
    const auto id = static_cast<DWORD>(ReadInt(section, key, 0));
    m_arrBarID.Add(reinterpret_cast<void*>(static_cast<UINT_PTR>(id)));
  }
  return TRUE;
}

// --- CDockState ---

CDockState::CDockState() {
  const CSize screen = CurrentScreen();
  m_rectDevice = CRect(0, 0, screen.cx, screen.cy);
  m_rectClip = m_rectDevice;
}

CDockState::~CDockState() { Clear(); }

void CDockState::Clear() {
  for (INT_PTR i = 0; i < m_arrBarInfo.GetSize(); ++i) delete static_cast<CControlBarInfo*>(m_arrBarInfo[i]);
  m_arrBarInfo.RemoveAll();
}

void CDockState::SaveState(LPCTSTR lpszProfileName) {
  CWinApp* app = AfxGetApp();
  if (!app) return;
  const CString summary = Section(lpszProfileName, u"Summary");
  const CSize screen = GetScreenSize();
  int saved = 0;
  for (INT_PTR i = 0; i < m_arrBarInfo.GetSize(); ++i) {
    auto* info = static_cast<CControlBarInfo*>(m_arrBarInfo[i]);
    if (info->SaveState(lpszProfileName, saved)) ++saved;
  }
  app->WriteProfileString(summary, nullptr, nullptr);
  WriteInt(summary, u"Bars", saved);
  WriteInt(summary, u"ScreenCX", screen.cx);
  WriteInt(summary, u"ScreenCY", screen.cy);
}

void CDockState::LoadState(LPCTSTR lpszProfileName) {
  Clear();
  if (!AfxGetApp()) return;
  const CString summary = Section(lpszProfileName, u"Summary");
  const int count = ReadInt(summary, u"Bars", 0);
  const CSize current = CurrentScreen();
  CSize saved(ReadInt(summary, u"ScreenCX", current.cx), ReadInt(summary, u"ScreenCY", current.cy));
  if (saved.cx <= 0 || saved.cy <= 0) saved = current;
  SetScreenSize(saved);
  if (count <= 0 || count > kMaxBarRecords) return;
  for (int i = 0; i < count; ++i) {
    auto* info = new CControlBarInfo;
    if (!info->LoadState(lpszProfileName, i, this)) {
      delete info;
      continue;
    }
    m_arrBarInfo.Add(info);
  }
}

CSize CDockState::GetScreenSize() { return m_rectDevice.Size(); }

void CDockState::SetScreenSize(CSize& size) {
  m_rectDevice = CRect(0, 0, size.cx, size.cy);
  const CSize current = CurrentScreen();
  m_bScaling = size != current;
  // A scaled place keeps at least an icon's worth of the bar on the screen.
  m_rectClip = CRect(0, 0, current.cx - GetSystemMetrics(SM_CXICON), current.cy - GetSystemMetrics(SM_CYICON));
}

CPoint CDockState::ScalePoint(CPoint pt) {
  if (!m_bScaling) return pt;
  const CSize current = CurrentScreen();
  const CSize device = m_rectDevice.Size();
  pt.x = MulDiv(pt.x, current.cx, device.cx);
  pt.y = MulDiv(pt.y, current.cy, device.cy);
  pt.x = std::clamp(static_cast<int>(pt.x), static_cast<int>(m_rectClip.left), static_cast<int>(std::max(m_rectClip.left, m_rectClip.right)));
  pt.y = std::clamp(static_cast<int>(pt.y), static_cast<int>(m_rectClip.top), static_cast<int>(std::max(m_rectClip.top, m_rectClip.bottom)));
  return pt;
}

CRect CDockState::ScaleRectPos(CRect& rect) {
  if (!m_bScaling || rect.IsRectEmpty()) return rect;
  const CPoint topLeft = ScalePoint(rect.TopLeft());
  CRect moved = rect;
  moved.OffsetRect(topLeft.x - rect.left, topLeft.y - rect.top);
  return moved;
}
