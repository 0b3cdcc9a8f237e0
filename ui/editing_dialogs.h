// The small modal dialogs of the editor: the project's output size, the
// Morpher Setup (mask edge mode, fills, frame rate) and the clip rectangle
// of one image slot.
#pragma once

#include "compat/afx.h"
#include "model/raster/fill_style.h"

class CImageSlot;

// The slot's picture derived again (clip, colour adjustment) for the current
// pair, which renders again and refreshes its panes.
void ReloadSlotPicture(CImageSlot* slot);

// The range of a numeric field of a dialog.
void SetFieldRange(CWnd& dialog, int id, double min, double max);

class COutputSizeDlg : public CDialog {
 public:
  static constexpr int kMinSide = 32;
  static constexpr int kMaxWidth = 1024;
  static constexpr int kMaxHeight = 768;

  explicit COutputSizeDlg(CWnd* parent = nullptr);
  void SetSize(int width, int height) { m_nWidth = width, m_nHeight = height; }
  void GetSize(int& width, int& height) const { width = m_nWidth, height = m_nHeight; }

  int m_nWidth = 256;
  int m_nHeight = 256;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  // The slot's clip size when it has a clip, else its picture size.
  void TakeSlotSize(CImageSlot* slot);
};

class CMorpherSetupDlg : public CDialog {
 public:
  // The frame rates Play and the export accept.
  static constexpr int kMinFps = 2;
  static constexpr int kMaxFps = 100;

  explicit CMorpherSetupDlg(CWnd* parent = nullptr);
  void SetFills(const CFillStyle& background, const CFillStyle& foreground);
  void GetFills(CFillStyle& background, CFillStyle& foreground) const;

  int m_nMaskEdge = 0;  // 0 "Gauss", 1 "Liner"
  CFillStyle m_background;
  CFillStyle m_foreground;
  int m_nFps = 30;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CClipAreaDlg : public CDialog {
 public:
  CClipAreaDlg(CImageSlot* slot, CWnd* parent = nullptr);

  CImageSlot* m_pSlot;
  BOOL m_bKeepRatio = TRUE;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnCancel() override;

  // What Cancel gives back.
  RECT m_savedClip{0, 0, 0, 0};
};
