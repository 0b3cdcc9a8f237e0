// CKitHistoryCombo: a flat combo box that keeps the texts entered in it, most
// recent first, completes typing from its list and saves the list in the
// application profile. CKitCaptionStrip: a thin window with a caption and a
// row of tool buttons and embedded combos laid out from one edge.
#pragma once

#include <vector>

#include "compat/afx.h"
#include "guitk/tool_button.h"

// The profile section the histories are kept in.
inline constexpr const char16_t* kKitHistorySection = u"ComboHistory";

class CKitHistoryCombo : public CComboBox {
  DECLARE_DYNAMIC(CKitHistoryCombo)

 public:
  CKitHistoryCombo();
  ~CKitHistoryCombo() override;

  // With the history flag set, new texts go to the top and older copies go.
  void SetHistoryMode(BOOL history) { m_bHistory = history; }
  // -1 for an empty text, else the index the text now has.
  int AddText(LPCTSTR lpszText);
  // Writes the list to "<name>0".. of the profile section (the selection
  // under "<name>SaveCurrent" when asked); entries of a longer list go.
  void SaveHistory(LPCTSTR lpszName, BOOL saveCurrent);
  // Deletes the saved entries and empties the list.
  void ClearHistory(LPCTSTR lpszName);
  void SetFaceColor(COLORREF color);
  COLORREF GetFaceColor() const { return m_crFace; }
  BOOL IsHot() const { return m_bHot; }
  BOOL IsPressed() const { return m_bPressed; }

  BOOL PreTranslateMessage(MSG* pMsg) override;

 protected:
  enum class Look { Normal, Hot, Pressed };
  void DrawLook(Look look);
  void DeleteSavedEntries(LPCTSTR lpszName, int from);
  BOOL PointerInside() const;

  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnPaint();
  afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnSysColorChange();
  afx_msg void OnSetFocus(CWnd* pOldWnd);
  afx_msg void OnKillFocusReflect();
  afx_msg void OnEditUpdate();
  afx_msg void OnCloseUp();
  DECLARE_MESSAGE_MAP()

  BOOL m_bHot = FALSE;
  int m_nButtonWidth;
  COLORREF m_crFace;
  COLORREF m_crHighlight;
  COLORREF m_crShadow;
  CFont m_font;
  BOOL m_bPressed = FALSE;
  BOOL m_bReleaseClearsPressed = FALSE;
  BOOL m_bHistory = FALSE;
  CImageList m_arrows;
  CSize m_arrowBitmapSize{0, 0};
  BOOL m_bFollowStyle = TRUE;
  BOOL m_bCompleting = FALSE;
};

class CKitCaptionStrip : public CWnd {
  DECLARE_DYNAMIC(CKitCaptionStrip)

 public:
  enum Border { Raised = 1, Sunken = 2, Flat = 3 };

  CKitCaptionStrip();
  ~CKitCaptionStrip() override;

  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  // Items are owned by the strip and laid out in the order they are added.
  CKitToolButton* AddButton(UINT nID, LPCTSTR lpszCaption, HICON hIcon = nullptr, LPCTSTR lpszTip = nullptr);
  CKitHistoryCombo* AddCombo(UINT nID, int width, DWORD dwComboStyle = CBS_DROPDOWN);
  void SetCaption(LPCTSTR lpszCaption, BOOL onTheRight = FALSE);
  void SetCaptionColor(COLORREF color) { m_crCaption = color; }
  void SetDirection(int direction) { m_nDirection = direction; }  // 1: from the right edge leftward
  void SetEqualWidths(BOOL equal) { m_bEqualWidths = equal; }
  void SetBorder(int border) { m_nBorder = border; }
  void SetStyle(int style);
  // Stores the background colour and gives it to every item.
  void SetColor(COLORREF color);
  void RecalcLayout();

  int GetItemCount() const { return m_nItems; }
  CWnd* GetItem(int index) const;
  CRect GetCaptionRect() const { return m_rectCaption; }
  int GetEqualWidth() const { return m_nEmbeddedWidth; }

 protected:
  struct Item {
    CKitToolButton* button = nullptr;
    CKitHistoryCombo* combo = nullptr;
    CWnd* Window() const { return button ? static_cast<CWnd*>(button) : combo; }
  };
  int ComputeEqualWidth(int available) const;

  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnSysColorChange();
  afx_msg void OnDestroy();
  DECLARE_MESSAGE_MAP()

  int m_nStyle = 0x8001;
  std::vector<Item> m_items;
  int m_nItems = 0;
  COLORREF m_crBack;
  int m_nBorder = Flat;
  int m_nDirection = 1;
  BOOL m_bEqualWidths = FALSE;
  int m_nEmbeddedWidth = 0;
  int m_nButtonsWidth = 0;
  BOOL m_bHasEmbedded = FALSE;
  CFont m_font;
  CString m_strCaption;
  COLORREF m_crCaption = 0;
  int m_nCaptionWidth = 0;
  BOOL m_bCaptionRight = FALSE;
  CRect m_rectCaption;
};
