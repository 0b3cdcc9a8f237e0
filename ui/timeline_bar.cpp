// The timeline bar and its play loop.
//
// Sections: creation and layout · the curve control · frame commands ·
// the play loop
#include "ui/timeline_bar.h"

#include <algorithm>

#include "controls/curver_ctrl.h"
#include "controls/custom_notify.h"
#include "controls/tl_curver_ctrl.h"
#include "model/outline/curve_keys.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "res/resource.h"

namespace {

using controls::CTLCurverCtrl;

constexpr int kIdCurve = 1009;
constexpr int kIdToolBar = 1004;
constexpr DWORD kToolBarStyle = 0x50000B64;
constexpr int kToolBarWidth = 220;
constexpr int kToolBarHeight = 24;
constexpr int kCurveValueMax = 256;
// A timer that stops ticking must not leave the loop waiting for ever.
constexpr DWORD kTickTimeout = 1000;

constexpr int kCmdFirst = 920;
constexpr int kCmdLast = 921;
constexpr int kCmdStop = 922;
constexpr int kCmdNext = 923;
constexpr int kCmdPlay = 924;
constexpr int kCmdPrevious = 925;
constexpr int kCmdLoop = 926;
constexpr int kCmdMesh = 927;
constexpr int kCmdRemovePoint = 928;
constexpr int kCmdResetPoints = 929;

struct ToolButton {
  int command;
  const TCHAR* tip;
  UINT bitmap;
};

const ToolButton kButtons[] = {
    {kCmdRemovePoint, u"Remove Selected Point", IDB_TIMELINE_REMOVE_POINT},
    {kCmdResetPoints, u"Reset Cotrol Points", IDB_TIMELINE_RESET_POINTS},
    {kCmdPlay, u"Play", IDB_TIMELINE_PLAY},
    {kCmdStop, u"Stop", IDB_TIMELINE_STOP},
    {kCmdFirst, u"First frame", IDB_TIMELINE_FIRST},
    {kCmdPrevious, u"Prvious frame", IDB_TIMELINE_PREVIOUS},
    {kCmdNext, u"Next frame", IDB_TIMELINE_NEXT},
    {kCmdLast, u"Last frame", IDB_TIMELINE_LAST},
    {kCmdLoop, u"Loop", IDB_TIMELINE_LOOP},
    {kCmdMesh, u"Show Mesh", IDB_TIMELINE_MESH},
};

CTLCurverCtrl* CurveOf(HWND bar) {
  return dynamic_cast<CTLCurverCtrl*>(CWnd::FromHandlePermanent(::GetDlgItem(bar, kIdCurve)));
}

CMorphPair* CurrentPairOrNull() {
  CMorphProject* project = GetMorphProject();
  return project->GetPairCount() > 0 ? project->CurrentPair() : nullptr;
}

}  // namespace

BEGIN_MESSAGE_MAP(CTimeLineBar, CDialog)
  ON_WM_CREATE()
  ON_WM_SIZE()
  ON_WM_CTLCOLOR()
  ON_COMMAND(kCmdFirst, OnFirstFrame)
  ON_COMMAND(kCmdLast, OnLastFrame)
  ON_COMMAND(kCmdPrevious, OnPreviousFrame)
  ON_COMMAND(kCmdNext, OnNextFrame)
  ON_COMMAND(kCmdPlay, OnPlay)
  ON_COMMAND(kCmdStop, OnStop)
  ON_COMMAND(kCmdLoop, OnLoop)
  ON_COMMAND(kCmdMesh, OnShowMesh)
  ON_COMMAND(kCmdRemovePoint, OnRemovePoint)
  ON_COMMAND(kCmdResetPoints, OnResetPoints)
  ON_NOTIFY_EX(TTN_NEEDTEXTW, 0, OnToolTipText)
END_MESSAGE_MAP()

// --- creation and layout ---

CTimeLineBar::CTimeLineBar() : CDialog(IDD_TIMELINE, nullptr) {}

BOOL CTimeLineBar::Create(CWnd* pParentWnd) { return CDialog::Create(IDD_TIMELINE, pParentWnd); }

int CTimeLineBar::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  const int result = CDialog::OnCreate(lpCreateStruct);
  GetClientRect(&m_rcCreate);
  return result;
}

BOOL CTimeLineBar::OnInitDialog() {
  CDialog::OnInitDialog();
  RefreshFromPair();
  CRect client;
  GetClientRect(&client);
  const CRect bar((client.Width() - kToolBarWidth) / 2, client.bottom - kToolBarHeight,
                  (client.Width() + kToolBarWidth) / 2, client.bottom);
  if (m_toolBar.Create(kToolBarStyle, bar, this, kIdToolBar)) {
    for (const ToolButton& b : kButtons) m_toolBar.AddBitmap(1, b.bitmap);
    m_toolBar.SetButtonSize(CSize(20, 20));
    m_toolBar.SetBitmapSize(CSize(14, 14));
    CMorphProject* project = GetMorphProject();
    for (int i = 0; i < static_cast<int>(std::size(kButtons)); ++i) {
      TBBUTTON button{};
      button.iBitmap = i;
      button.idCommand = kButtons[i].command;
      button.fsState = TBSTATE_ENABLED;
      button.fsStyle = static_cast<BYTE>(kButtons[i].command == kCmdLoop || kButtons[i].command == kCmdMesh ? TBSTYLE_CHECK
                                                                                                            : TBSTYLE_BUTTON);
      if ((button.idCommand == kCmdLoop && project->GetLoop()) || (button.idCommand == kCmdMesh && project->GetShowMesh()))
        button.fsState |= TBSTATE_CHECKED;
      m_toolBar.AddButtons(1, &button);
    }
  }
  PlaceChildren(client.Width(), client.Height());
  return TRUE;
}

void CTimeLineBar::PlaceChildren(int cx, int cy) {
  if (CWnd* curve = GetDlgItem(kIdCurve)) curve->MoveWindow(0, 0, cx, std::max(cy - kToolBarHeight, 0), TRUE);
  if (m_toolBar.m_hWnd) m_toolBar.MoveWindow((cx - kToolBarWidth) / 2, cy - kToolBarHeight, kToolBarWidth, kToolBarHeight, TRUE);
}

void CTimeLineBar::OnSize(UINT nType, int cx, int cy) {
  CDialog::OnSize(nType, cx, cy);
  PlaceChildren(cx, cy);
  if (!m_bNotifySize) return;
  CWnd* target = GetOwner() ? GetOwner() : GetParent();
  if (target) target->SendMessage(0x500, 0, reinterpret_cast<LPARAM>(this));
}

// The curve control paints its background with the bar's own brush.
HBRUSH CTimeLineBar::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
  HBRUSH brush = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
  if (CTLCurverCtrl* curve = CurveOf(m_hWnd)) curve->SetBackgroundBrush(brush);
  return brush;
}

BOOL CTimeLineBar::PreTranslateMessage(MSG* pMsg) {
  if (pMsg->message == WM_KEYDOWN) {
    ::SendMessageW(::GetDlgItem(m_hWnd, kIdCurve), WM_KEYDOWN, pMsg->wParam, pMsg->lParam);
    return TRUE;
  }
  return CDialog::PreTranslateMessage(pMsg);
}

BOOL CTimeLineBar::OnToolTipText(UINT, NMHDR* pNMHDR, LRESULT* pResult) {
  auto* info = reinterpret_cast<NMTTDISPINFOW*>(pNMHDR);
  m_strTipText.Empty();
  for (const ToolButton& b : kButtons)
    if (static_cast<UINT_PTR>(b.command) == pNMHDR->idFrom) m_strTipText = b.tip;
  info->lpszText = const_cast<LPWSTR>(m_strTipText.GetString());
  *pResult = 0;
  return TRUE;
}

// --- the curve control ---

BOOL CTimeLineBar::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  CMorphPair* pair = CurrentPairOrNull();
  auto* curve = CurveOf(m_hWnd);
  if (header->idFrom == static_cast<UINT_PTR>(kIdCurve) && pair && curve) {
    if (header->code == controls::kNotifyCurveChanged) {
      CCurveKeys keys;
      curve->GetCurve(keys);
      keys.SetRange(0.0f, static_cast<float>(pair->GetFrameCount() - 1), 0.0f, static_cast<float>(kCurveValueMax));
      pair->SetTimingCurve(keys);
      RenderPair(pair);
    } else if (header->code == controls::kNotifyFrameChanged) {
      pair->SetCurrentFrame(reinterpret_cast<const controls::NMFRAME*>(lParam)->frame);
      RenderPair(pair);
    }
  }
  return CDialog::OnNotify(wParam, lParam, pResult);
}

void CTimeLineBar::RefreshFromPair() {
  CMorphPair* pair = CurrentPairOrNull();
  auto* curve = CurveOf(m_hWnd);
  if (pair && curve) {
    curve->SetFrameCount(pair->GetFrameCount());
    curve->SetCurrentFrame(pair->GetCurrentFrame());
    curve->SetCurve(*pair->GetTimingCurve());
  }
  UpdateData(FALSE);
}

void CTimeLineBar::SyncCurveControl() {
  CMorphPair* pair = CurrentPairOrNull();
  auto* curve = CurveOf(m_hWnd);
  if (pair && curve) curve->SetCurrentFrame(pair->GetCurrentFrame());
}

void CTimeLineBar::ApplyFrameCount() {
  UpdateData(TRUE);
  CMorphPair* pair = CurrentPairOrNull();
  if (!pair) return;
  auto* curve = CurveOf(m_hWnd);
  if (curve) curve->SetFrameCount(pair->GetFrameCount());
  if (pair->GetCurrentFrame() >= pair->GetFrameCount()) {
    pair->SetCurrentFrame(pair->GetFrameCount() - 1);
    UpdateData(FALSE);
    SyncCurveControl();
  }
  RenderPair(pair);
}

// --- frame commands ---

void CTimeLineBar::AfterFrameCommand() {
  if (CMorphPair* pair = CurrentPairOrNull()) RenderPair(pair);
  SyncCurveControl();
}

void CTimeLineBar::OnFirstFrame() {
  CMorphPair* pair = CurrentPairOrNull();
  if (m_bPlaying || !pair) return;
  pair->SetCurrentFrame(0);
  AfterFrameCommand();
}

void CTimeLineBar::OnLastFrame() {
  CMorphPair* pair = CurrentPairOrNull();
  if (m_bPlaying || !pair) return;
  pair->SetCurrentFrame(pair->GetFrameCount());
  AfterFrameCommand();
}

void CTimeLineBar::OnPreviousFrame() {
  CMorphPair* pair = CurrentPairOrNull();
  // At the first frame there is nothing to step to or to render.
  if (m_bPlaying || !pair || pair->GetCurrentFrame() < 1) return;
  pair->SetCurrentFrame(pair->GetCurrentFrame() - 1);
  AfterFrameCommand();
}

void CTimeLineBar::OnNextFrame() {
  CMorphPair* pair = CurrentPairOrNull();
  if (m_bPlaying || !pair || pair->GetCurrentFrame() >= pair->GetFrameCount() - 1) return;
  pair->SetCurrentFrame(pair->GetCurrentFrame() + 1);
  AfterFrameCommand();
}

void CTimeLineBar::OnLoop() {
  CMorphProject* project = GetMorphProject();
  project->SetLoop(!project->GetLoop());
}

void CTimeLineBar::OnShowMesh() {
  CMorphProject* project = GetMorphProject();
  project->SetShowMesh(!project->GetShowMesh());
  if (CMorphPair* pair = CurrentPairOrNull()) RenderPair(pair);
}

void CTimeLineBar::OnRemovePoint() { ::SendMessageW(::GetDlgItem(m_hWnd, kIdCurve), WM_COMMAND, ID_CURVE_REMOVE_POINT, 0); }

void CTimeLineBar::OnResetPoints() { ::SendMessageW(::GetDlgItem(m_hWnd, kIdCurve), WM_COMMAND, ID_CURVE_RESET_POINTS, 0); }

// --- the play loop ---

void CTimeLineBar::OnStop() {
  m_bPlaying = 0;
  if (m_toolBar.m_hWnd) m_toolBar.EnableButton(kCmdPlay, TRUE);
  GetMorphProject()->SetPlaying(0);
}

void CTimeLineBar::OnPlay() {
  CMorphProject* project = GetMorphProject();
  // A rate below 1 has no period; a project without pairs nothing to show.
  if (m_bPlaying || project->GetFps() < 1 || project->GetPairCount() == 0) return;
  TIMECAPS caps{};
  UINT period = 1;
  if (::timeGetDevCaps(&caps, sizeof caps) == TIMERR_NOERROR) {
    period = std::max<UINT>(caps.wPeriodMin, 1);
    if (period >= caps.wPeriodMax) period = caps.wPeriodMax;
  }
  HANDLE event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (!event) return;
  ::timeBeginPeriod(period);
  const UINT timer = ::timeSetEvent(std::max(1000 / project->GetFps(), 1), period, reinterpret_cast<LPTIMECALLBACK>(event), 0,
                                    TIME_PERIODIC | TIME_CALLBACK_EVENT_PULSE);
  if (timer == 0) {
    ::timeEndPeriod(period);
    ::CloseHandle(event);
    return;
  }
  if (m_toolBar.m_hWnd) m_toolBar.EnableButton(kCmdPlay, FALSE);
  project->SetPlaying(1);
  m_bPlaying = 1;

  const HWND self = m_hWnd;
  const int startIndex = project->GetCurrentIndex();
  const int startFrame = project->CurrentPair()->GetCurrentFrame();
  const int loop = project->GetLoop();
  int p = startIndex;
  CMorphPair* pair = project->PairAt(p);
  auto* curve = CurveOf(m_hWnd);
  bool barGone = false;
  while (m_bPlaying) {
    ::WaitForSingleObject(event, kTickTimeout);
    if (pair->GetCurrentFrame() < pair->GetFrameCount() - 1) {
      pair->SetCurrentFrame(pair->GetCurrentFrame() + 1);
    } else {
      const bool last = p == project->GetPairCount() - 1;
      if (last && !loop) break;
      p = last ? 0 : p + 1;
      pair = project->PairAt(p);
      pair->SetCurrentFrame(0);
      if (curve) {
        curve->SetFrameCount(pair->GetFrameCount());
        curve->SetCurve(*pair->GetTimingCurve());
      }
      UpdateData(FALSE);
    }
    RenderPair(pair);
    if (curve) curve->SetCurrentFrame(pair->GetCurrentFrame());
    MSG msg;
    if (::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (msg.message == WM_QUIT || msg.message == WM_CLOSE || msg.message == WM_NCLBUTTONDOWN) break;
      if (CWinThread* thread = AfxGetThread()) {
        thread->PumpMessage();
      } else if (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
      // What the message did may have closed the bar or changed the pairs.
      if (!::IsWindow(self)) {
        barGone = true;
        break;
      }
      if (p >= project->GetPairCount() || project->PairAt(p) != pair) break;
    }
  }
  ::timeKillEvent(timer);
  ::timeEndPeriod(period);
  ::CloseHandle(event);
  if (barGone) {
    project->SetPlaying(0);
    return;
  }
  if (startIndex < project->GetPairCount()) {
    if (startIndex != project->GetCurrentIndex()) project->SelectPair(startIndex);
    project->CurrentPair()->SetCurrentFrame(startFrame);
  }
  if (project->GetPairCount() > 0) RenderPair(project->CurrentPair());
  RefreshFromPair();
  SyncCurveControl();
  if (m_toolBar.m_hWnd) m_toolBar.EnableButton(kCmdPlay, TRUE);
  project->SetPlaying(0);
  m_bPlaying = 0;
}
