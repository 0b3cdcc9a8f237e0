// CSwatchPage: the dialog base of the fill editors that keep a row of stored
// fills (swatches) in a swatch list control (item 1180): add, remove,
// replace, apply by double click, drag onto colour icons. Pages that name
// the same list file share one list (swatch_lists.h), and every page that
// shows it follows a change made in any of them.
#pragma once

#include "compat/afx.h"
#include "model/raster/fill_style.h"
#include "ui/swatch_lists.h"

namespace controls {
class CImageListCtrl;
}

class CSwatchPage : public CDialog {
  DECLARE_DYNAMIC(CSwatchPage)

 public:
  explicit CSwatchPage(UINT nIDTemplate);
  ~CSwatchPage() override;

  using CDialog::Create;
  // The modeless page from its dialog resource.
  virtual BOOL Create(CWnd* pParentWnd);
  // Makes the current fill what Add and Replace store.
  virtual void PrepareCurrentFill() {}
  virtual void AddSwatch();
  // Only with more than two swatches and one selected: the last two stay.
  void RemoveSwatch();
  void ReplaceSwatch();

  int GetSelectedIndex() const;
  // The selected swatch, or the current fill when nothing valid is selected.
  const CFillStyle& GetSelectedFill() const;
  const CSwatchArray& Swatches() const { return m_list->fills; }

  BOOL PreTranslateMessage(MSG* pMsg) override;

  CString m_fileName;  // empty: the page keeps its list to itself
  int m_nThumbWidth = 32;
  int m_nThumbHeight = 32;
  CFillStyle m_currentFill;

 protected:
  // Reads (once per run) the page's list file and shows the swatches in
  // `columns` columns; called from OnInitDialog after the file name is set.
  void LoadSwatches(int columns);
  void SaveSwatches();
  controls::CImageListCtrl* List() const;
  void AppendSwatch(const CFillStyle& fill);
  // Adds `fill` to the list and its thumbnail to the list control.
  void StoreSwatch(const CFillStyle& fill);
  // The thumbnails again from the list.
  void ShowSwatches();
  // Every other page that shows the list shows it again.
  void ListChanged();
  // Where the swatch menu's commands go: the window that holds the page.
  virtual CWnd* SwatchCommandTarget();
  void OpenSwatchMenu();

  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  afx_msg void OnDestroy();
  DECLARE_MESSAGE_MAP()

  CSwatchList m_ownList;
  CSwatchList* m_list = &m_ownList;
  CFillStyle m_dragFill;
  UINT m_nTemplate;
};

// The id of the swatch list in every page.
constexpr int kSwatchListId = 1180;
