// The preview window and the "Preview and Play" window around it.
#include "ui/preview_play_dlg.h"

#include <algorithm>

#include "controls/dialog_color.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "model/project/project_links.h"
#include "res/resource.h"
#include "ui/stored_text.h"
#include "platform/settings_store.h"

namespace {

constexpr int kMinTimelineHeight = 80;
constexpr UINT kSizeReport = 0x500;
constexpr TCHAR kPreviewRectValue[] = u"Warpel Preview";
constexpr int kProgramIcon = 128;
constexpr WPARAM kIconSmall = 0;
constexpr WPARAM kIconBig = 1;

}  // namespace

// --- the preview ---

BEGIN_MESSAGE_MAP(CPreviewDlg, CDialog)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
  ON_WM_SIZE()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CPreviewDlg::CPreviewDlg() : CDialog(IDD_PREVIEW, nullptr) {}

BOOL CPreviewDlg::Create(CWnd* pParentWnd) { return CDialog::Create(IDD_PREVIEW, pParentWnd); }

BOOL CPreviewDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  BYTE* bytes = nullptr;
  int count = 0;
  if (RegReadValue(kSettingsRegistryKey, kPreviewRectValue, &bytes, &count)) {
    if (count == static_cast<int>(sizeof(RECT))) {
      RECT r;
      std::copy(bytes, bytes + sizeof r, reinterpret_cast<BYTE*>(&r));
      SetWindowPos(nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_SHOWWINDOW);
    }
    delete[] bytes;
  }
  return TRUE;
}

bool PairShowsInPreview(CMorphPair* pair) {
  return pair && GetRendererLink() && !GetMorphProject()->IsBusy() && pair->GetSourceSlot()->m_texture &&
         pair->GetTargetSlot()->m_texture;
}

void CPreviewDlg::OnPaint() {
  CPaintDC dc(this);
  CMorphProject* project = GetMorphProject();
  CMorphPair* pair = project->GetPairCount() > 0 ? project->CurrentPair() : nullptr;
  if (PairShowsInPreview(pair)) {
    RenderPair(pair);
    return;
  }
  CRect client;
  GetClientRect(&client);
  dc.FillSolidRect(&client, RGB(0, 0, 0));
}

BOOL CPreviewDlg::OnEraseBkgnd(CDC*) { return TRUE; }

void CPreviewDlg::OnSize(UINT nType, int cx, int cy) {
  CDialog::OnSize(nType, cx, cy);
  CWnd* target = GetOwner() ? GetOwner() : GetParent();
  // The window's handle, as the image panes report theirs: the view tells
  // the reports apart by handle.
  if (target) target->SendMessage(kSizeReport, 0, reinterpret_cast<LPARAM>(m_hWnd));
}

void CPreviewDlg::OnDestroy() {
  CDialog::OnDestroy();
  RECT r;
  GetWindowRect(&r);
  RegWriteValue(kSettingsRegistryKey, kPreviewRectValue, reinterpret_cast<const BYTE*>(&r), sizeof r);
}

// --- the window around it ---

BEGIN_MESSAGE_MAP(CPreviewPlayDlg, CDialog)
  ON_WM_SIZE()
  ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CPreviewPlayDlg::CPreviewPlayDlg() : CDialog(IDD_PREVIEW_PLAY, nullptr) {}

BOOL CPreviewPlayDlg::Create(CWnd* pParentWnd) { return CDialog::Create(IDD_PREVIEW_PLAY, pParentWnd); }

BOOL CPreviewPlayDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_timeLineBar.Create(this);
  m_preview.Create(this);
  m_preview.SetOwner(this);
  if (HICON icon = ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(kProgramIcon))) {
    m_preview.SendMessage(WM_SETICON, kIconBig, reinterpret_cast<LPARAM>(icon));
    m_preview.SendMessage(WM_SETICON, kIconSmall, reinterpret_cast<LPARAM>(icon));
  }
  m_timeLineBar.ShowWindow(SW_SHOW);
  m_preview.ShowWindow(SW_SHOW);
  RecalcLayout();
  return TRUE;
}

void CPreviewPlayDlg::OnSize(UINT nType, int cx, int cy) {
  CDialog::OnSize(nType, cx, cy);
  RecalcLayout();
}

// The custom controls paint with the colour this dialog is painted with.
HBRUSH CPreviewPlayDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
  HBRUSH brush = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
  LOGBRUSH info{};
  if (brush && ::GetObjectW(brush, sizeof info, &info) == sizeof info) controls::SetDialogColor(info.lbColor);
  return brush;
}

void CPreviewPlayDlg::RecalcLayout() {
  if (!m_timeLineBar.m_hWnd || !m_preview.m_hWnd) return;
  CRect client;
  GetClientRect(&client);
  CRect bar;
  m_timeLineBar.GetClientRect(&bar);
  const int barHeight = std::max<int>(bar.Height(), kMinTimelineHeight);
  CRect area = client;
  area.bottom -= barHeight;
  // A window lower than the timeline still keeps a preview of one pixel.
  if (area.bottom < area.top + 1) area.bottom = area.top + 1;
  if (area.right < area.left + 1) area.right = area.left + 1;
  SIZE output;
  GetMorphProject()->GetOutputSize(output);
  const int w = std::max<int>(output.cx, 1);
  const int h = std::max<int>(output.cy, 1);
  CRect preview = area;
  if (static_cast<double>(area.Width()) / area.Height() > static_cast<double>(w) / h) {
    const int width = std::max(area.Height() * w / h, 1);
    preview.left = area.left + (area.Width() - width) / 2;
    preview.right = preview.left + width;
  } else {
    const int height = std::max(area.Width() * h / w, 1);
    preview.top = area.top + (area.Height() - height) / 2;
    preview.bottom = preview.top + height;
  }
  preview.InflateRect(1, 1);
  m_preview.MoveWindow(&preview, TRUE);
  m_timeLineBar.MoveWindow(client.left, area.bottom, client.Width(), std::max<int>(client.bottom - area.bottom, 0), TRUE);
}
