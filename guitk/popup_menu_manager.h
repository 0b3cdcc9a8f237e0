// CPopupMenuManager: hooks a frame and turns the items of every popup the
// frame opens into owner-drawn items just before the popup shows (toolbar
// pictures, check and radio marks, accelerator texts from the frame's
// table) and back when the menu closes; it also resolves mnemonics itself.
#pragma once

#include <map>
#include <set>
#include <vector>

#include "compat/afx.h"
#include "guitk/subclass_wnd.h"

class CPopupMenuManager : public CSubclassWnd {
  DECLARE_DYNAMIC(CPopupMenuManager)

 public:
  CPopupMenuManager();
  ~CPopupMenuManager() override;

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  virtual void Clear();
  virtual void Refresh();
  virtual void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
  virtual BOOL OnMeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);
  virtual BOOL OnDrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
  virtual LRESULT OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu);
  virtual void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu);

  // Serves a frame (null unhooks).
  void Install(CWnd* pFrame);
  // Adds a toolbar's pictures; FALSE when the bitmap or toolbar resource is
  // missing or its image size differs from the first toolbar's.
  BOOL LoadToolbar(UINT nID);
  // The text shown after the tab for a command ("Ctrl+N, F3"), empty for none.
  CString AcceleratorText(UINT nCommand);
  int ImageOf(UINT nCommand) const;
  // The caption a converted item shows (with its accelerator text); empty
  // for an item this manager did not convert.
  CString GetItemCaption(HMENU hMenu, UINT nPosition) const;
  BOOL IsOwnRecord(ULONG_PTR itemData) const;

  BOOL m_bShowImages = TRUE;
  BOOL m_bShowAccelerators = TRUE;
  BOOL m_bSystemDisabledLook = FALSE;  // disabled images drawn by the system
  BOOL m_bColorMask = FALSE;           // the emboss mask in colour, not one bit deep
  CWnd* m_pFrame = nullptr;
  std::vector<UINT> m_toolbarIds;
  CImageList m_images;
  CSize m_imageSize{0, 0};
  CSize m_buttonSize{0, 0};
  int m_nDrawStyle = 0x8001;

 private:
  struct ItemRecord {
    char signature[4] = {'m', 'i', 'd', '0'};
    CString caption;   // shown: with the accelerator text after a tab
    CString original;  // as the item had it
    UINT type = 0;     // before conversion
    int image = -1;
  };
  struct AccelEntry {
    BYTE flags;
    WORD key;
    int link;  // entries back to the previous one of the same command, 0 for the first
  };

  void ConvertMenu(HMENU hMenu, BOOL bConvert, BOOL bSysMenu);
  void RestoreAll();
  void RebuildAccelerators(HACCEL table);
  HACCEL FrameAccelerators() const;
  ItemRecord* RecordOf(ULONG_PTR itemData) const;
  void DrawImage(CDC* pDC, int image, CPoint at, bool disabled);
  void RedrawRadioDot();
  CFont* MenuFont();

  std::map<WORD, int> m_commandImages;
  std::map<WORD, size_t> m_accelLast;
  HACCEL m_hAccelSource = nullptr;
  std::vector<AccelEntry> m_accels;
  bool m_haveAccels = false;
  std::vector<HMENU> m_converted;
  std::set<ItemRecord*> m_records;  // our item data is recognised by membership only
  CFont m_font;
};
