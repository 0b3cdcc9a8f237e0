// The framework's window core: command targets and message maps, CWnd and
// its wrappers, CCmdUI, and CWinThread with the thread and application lookups.
//
// Sections: message maps · CCmdTarget · CCmdUI · CWnd · CWinThread · globals ·
// message-map entries
#pragma once

#include "compat/afx/gdi.h"
#include "compat/afx/object.h"
#include "compat/afx/string.h"
#include "compat/afx/types.h"
#include "compat/win32.h"

class CCmdTarget;
class CCmdUI;
class CWnd;
class CFrameWnd;
class CWinThread;
class CWinApp;
class CScrollBar;
class CMenu;
class CDataExchange;

#define afx_msg
#define AFX_MSG_CALL

// --- message maps ---

// Everything a message-map handler may need about the message being routed.
struct AFX_MSGCALL {
  UINT nMessage;
  WPARAM wParam;
  LPARAM lParam;
  UINT nID;
  UINT nCode;
  void* pExtra;
  LRESULT result;
};

// Each entry calls its handler through a small function the macro writes, so
// the handler's signature is checked where the map is written.
typedef BOOL (*AFX_MSGHANDLER)(CCmdTarget* target, AFX_MSGCALL& call);

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;         // window message, WM_COMMAND or WM_NOTIFY; 0 ends the map
  UINT nCode;            // notification code, or AFX_MSGRANGE / CN_UPDATE_COMMAND_UI
  UINT nID;              // control or command id (first of a range)
  UINT nLastID;          // last id of a range, or last message of a message range
  const UINT* pRegistered;  // ON_REGISTERED_MESSAGE: the variable holding the id
  AFX_MSGHANDLER handler;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

#define AFX_MSGRANGE 0xFFFFu
#define CN_COMMAND 0
#define CN_UPDATE_COMMAND_UI ((UINT)(-1))
#define CN_NOTIFY 0xFFFEu
#ifndef BN_CLICKED
#define BN_CLICKED 0
#endif
#ifndef BN_DOUBLECLICKED
#define BN_DOUBLECLICKED 5
#endif

// Leaves the class in its protected part, as the framework's macro does.
#define DECLARE_MESSAGE_MAP()                               \
 protected:                                                 \
  static const AFX_MSGMAP* GetThisMessageMap();             \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                   \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                              \
    typedef theClass ThisClass;                                                  \
    typedef baseClass TheBaseClass;                                              \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                        \
  {0, 0, 0, 0, nullptr, nullptr}};                                               \
  static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
  return &messageMap;                                                            \
  }

// The function an entry calls: `afxThis` is the object, `afxCall` the message.
#define AFX_HANDLER(...)                                                         \
  [](CCmdTarget* afxTarget, AFX_MSGCALL& afxCall) -> BOOL {                      \
    (void)afxCall;                                                               \
    auto* afxThis = static_cast<ThisClass*>(afxTarget);                          \
    (void)afxThis;                                                               \
    __VA_ARGS__                                                                  \
  }

// --- CCmdTarget ---

class CCmdTarget : public CObject {
  DECLARE_DYNAMIC(CCmdTarget)

 public:
  CCmdTarget() = default;
  ~CCmdTarget() override = default;

  // Routes a command (nCode CN_COMMAND or a control notification), a command-UI
  // update (CN_UPDATE_COMMAND_UI, pExtra the CCmdUI) or a notification
  // (CN_NOTIFY, pExtra the AFX_MSGCALL) through this object's message map.
  virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo);
  // The hourglass until as many EndWaitCursor calls; RestoreWaitCursor shows it again.
  void BeginWaitCursor();
  void EndWaitCursor();
  void RestoreWaitCursor();

 protected:
  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;
  // Finds the entry for a window message, or null.
  const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message) const;
  friend class CWnd;
};

// Shows the hourglass for as long as the object lives.
class CWaitCursor {
 public:
  CWaitCursor();
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
  void Restore();
};

// --- CCmdUI ---

// Asks a command's handlers whether it is enabled, checked or renamed; the
// base class updates a control window (m_pOther).
class CCmdUI {
 public:
  CCmdUI() = default;
  virtual ~CCmdUI() = default;

  UINT m_nID = 0;
  UINT m_nIndex = 0;
  CMenu* m_pMenu = nullptr;
  CMenu* m_pSubMenu = nullptr;
  CMenu* m_pParentMenu = nullptr;
  CWnd* m_pOther = nullptr;
  UINT m_nIndexMax = 0;
  BOOL m_bEnableChanged = FALSE;
  BOOL m_bContinueRouting = FALSE;

  virtual void Enable(BOOL bOn = TRUE);
  virtual void SetCheck(int nCheck = 1);
  virtual void SetRadio(BOOL bOn = TRUE);
  virtual void SetText(LPCTSTR lpszText);
  void ContinueRouting() { m_bContinueRouting = TRUE; }
  // Routes the update to `target`; with no handler the command is disabled
  // when disableIfNoHandler is set. TRUE when a handler answered.
  BOOL DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler);
};

// --- CWnd ---

class CWnd : public CCmdTarget {
  DECLARE_DYNCREATE(CWnd)

 public:
  CWnd() = default;
  explicit CWnd(HWND hWnd);
  ~CWnd() override;

  HWND m_hWnd = nullptr;
  operator HWND() const { return m_hWnd; }  // NOLINT
  // Called through a null pointer on the platform; here callers must test the
  // pointer (a member call through null is undefined and caught by the sanitizer).
  HWND GetSafeHwnd() const { return m_hWnd; }
  BOOL operator==(const CWnd& other) const { return other.m_hWnd == m_hWnd; }

  // --- attaching ---
  static CWnd* PASCAL FromHandle(HWND hWnd);
  static CWnd* PASCAL FromHandlePermanent(HWND hWnd);
  BOOL Attach(HWND hWndNew);
  HWND Detach();
  BOOL SubclassWindow(HWND hWnd);
  BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
  HWND UnsubclassWindow();

  // --- creating and destroying ---
  virtual BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                      CWnd* pParentWnd, UINT nID, void* pContext = nullptr);
  virtual BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                        int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                        LPVOID lpParam = nullptr);
  BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr);
  virtual BOOL DestroyWindow();
  virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
  virtual void PreSubclassWindow() {}
  virtual void PostNcDestroy() {}

  // --- messages ---
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL PreTranslateMessage(MSG* pMsg);
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  LRESULT Default();
  // The message AfxWndProc is handling on this thread, with the time and
  // cursor position of the moment it is asked for.
  static const MSG* PASCAL GetCurrentMessage();
  // Offers the message to the framework windows from its own window up to
  // `hWndStop` (included); TRUE when one of them took it.
  static BOOL PASCAL WalkPreTranslateTree(HWND hWndStop, MSG* pMsg);
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL bDeep = TRUE) const;

  // --- relations ---
  CWnd* GetParent() const;
  CWnd* SetParent(CWnd* pWndNewParent);
  CWnd* GetOwner() const;
  void SetOwner(CWnd* pOwnerWnd);
  CWnd* GetTopLevelParent() const;
  CFrameWnd* GetParentFrame() const;    // the nearest frame above this window
  CFrameWnd* GetTopLevelFrame() const;  // the outermost frame, this one included
  CWnd* GetTopLevelOwner() const;
  // The descendant with the id, at any depth (children first); with bOnlyPerm
  // only one that has a framework object.
  CWnd* GetDescendantWindow(int nID, BOOL bOnlyPerm = FALSE) const;
  CWnd* GetWindow(UINT nCmd) const;
  CWnd* GetNextWindow(UINT nFlag = GW_HWNDNEXT) const;
  CWnd* GetDlgItem(int nID) const;
  int GetDlgCtrlID() const;
  int SetDlgCtrlID(int nID);
  BOOL IsChild(const CWnd* pWnd) const;
  static CWnd* PASCAL WindowFromPoint(POINT point);
  CWnd* ChildWindowFromPoint(POINT point) const;
  CWnd* ChildWindowFromPoint(POINT point, UINT nFlags) const;

  // --- state ---
  DWORD GetStyle() const;
  DWORD GetExStyle() const;
  BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
  BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
  BOOL ShowWindow(int nCmdShow);
  BOOL IsWindowVisible() const;
  BOOL IsWindowEnabled() const;
  BOOL EnableWindow(BOOL bEnable = TRUE);
  BOOL IsIconic() const;
  BOOL IsZoomed() const;
  void SetWindowText(LPCTSTR lpszString);
  int GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const;
  void GetWindowText(CString& rString) const;
  int GetWindowTextLength() const;
  void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
  CFont* GetFont() const;
  void SetRedraw(BOOL bRedraw = TRUE);

  // --- menus ---
  CMenu* GetMenu() const;
  BOOL SetMenu(CMenu* pMenu);
  void DrawMenuBar();
  CMenu* GetSystemMenu(BOOL bRevert) const;

  // --- geometry ---
  void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
  void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
  BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
  void GetWindowRect(LPRECT lpRect) const;
  void GetClientRect(LPRECT lpRect) const;
  void ClientToScreen(LPPOINT lpPoint) const;
  void ClientToScreen(LPRECT lpRect) const;
  void ScreenToClient(LPPOINT lpPoint) const;
  void ScreenToClient(LPRECT lpRect) const;
  void MapWindowPoints(CWnd* pwndTo, LPPOINT lpPoint, UINT nCount) const;
  void MapWindowPoints(CWnd* pwndTo, LPRECT lpRect) const;
  void CenterWindow(CWnd* pAlternateOwner = nullptr);
  // Lays out the control-bar children with ids in [nIDFirst, nIDLast] in
  // creation order (WM_SIZEPARENT), then gives nIDLeftOver what remains.
  enum RepositionFlags { reposDefault = 0, reposQuery = 1, reposExtra = 2, reposNoPosLeftOver = 0x8000 };
  void RepositionBars(UINT nIDFirst, UINT nIDLast, UINT nIDLeftOver, UINT nFlags = reposDefault,
                      LPRECT lpRectParam = nullptr, LPCRECT lpRectClient = nullptr, BOOL bStretch = TRUE);
  void BringWindowToTop();
  static const CWnd wndTop;
  static const CWnd wndBottom;
  static const CWnd wndTopMost;
  static const CWnd wndNoTopMost;

  // --- painting ---
  void Invalidate(BOOL bErase = TRUE);
  void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
  void ValidateRect(LPCRECT lpRect);
  void UpdateWindow();
  BOOL RedrawWindow(LPCRECT lpRectUpdate = nullptr, CRgn* prgnUpdate = nullptr,
                    UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  BOOL GetUpdateRect(LPRECT lpRect, BOOL bErase = FALSE);
  CDC* GetDC();
  CDC* GetWindowDC();
  int ReleaseDC(CDC* pDC);
  CDC* BeginPaint(LPPAINTSTRUCT lpPaint);
  void EndPaint(LPPAINTSTRUCT lpPaint);

  // --- input ---
  CWnd* SetFocus();
  static CWnd* PASCAL GetFocus();
  CWnd* SetCapture();
  static CWnd* PASCAL GetCapture();
  CWnd* SetActiveWindow();
  static CWnd* PASCAL GetActiveWindow();
  BOOL SetForegroundWindow();
  UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, void(CALLBACK* lpfnTimer)(HWND, UINT, UINT_PTR, DWORD));
  BOOL KillTimer(UINT_PTR nIDEvent);

  // --- dialog data and modal loops ---
  virtual void DoDataExchange(CDataExchange* pDX) { (void)pDX; }
  // Controls to members (TRUE, checked) or members to controls; FALSE when a check failed.
  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
  // Sends the list and combo strings of a dialog-initialisation resource to the controls.
  BOOL ExecuteDlgInit(LPCTSTR lpszResourceName);
  BOOL ExecuteDlgInit(LPVOID lpResource, DWORD dwSize);
  BOOL IsDialogMessage(LPMSG lpMsg);
  // Runs messages for this window until EndModalLoop; the result EndModalLoop gave.
  virtual int RunModalLoop(DWORD dwFlags = 0);
  virtual BOOL ContinueModal();
  virtual void EndModalLoop(int nResult);

  // --- scroll bars of the window (SB_HORZ, SB_VERT) ---
  BOOL SetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, BOOL bRedraw = TRUE);
  BOOL GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask = SIF_ALL);
  int SetScrollPos(int nBar, int nPos, BOOL bRedraw = TRUE);
  int GetScrollPos(int nBar) const;
  void SetScrollRange(int nBar, int nMinPos, int nMaxPos, BOOL bRedraw = TRUE);
  void GetScrollRange(int nBar, LPINT lpMinPos, LPINT lpMaxPos) const;
  int GetScrollLimit(int nBar);
  BOOL EnableScrollBar(int nSBFlags, UINT nArrowFlags = ESB_ENABLE_BOTH);
  void ShowScrollBar(UINT nBar, BOOL bShow = TRUE);

  // --- notifications reflected to the control that sent them ---
  // The parent offers a control's notification to the control's own object
  // first; TRUE when the control took it (the parent then does not see it).
  virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  // Runs the ON_*_REFLECT entries of this object's map for the message.
  BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  // Offers the message to the object of `hWndChild` when it is a child of this window.
  BOOL SendChildNotify(HWND hWndChild, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

  // --- message handlers: the default of each passes the message on ---
  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg BOOL OnNcCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnDestroy();
  afx_msg void OnNcDestroy();
  afx_msg void OnClose();
  afx_msg void OnMove(int x, int y);
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnSizing(UINT fwSide, LPRECT pRect);
  afx_msg void OnMoving(UINT fwSide, LPRECT pRect);
  afx_msg void OnPaint();
  afx_msg void OnNcPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
  afx_msg void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
  afx_msg void OnWindowPosChanging(WINDOWPOS* lpwndpos);
  afx_msg void OnWindowPosChanged(WINDOWPOS* lpwndpos);
  afx_msg void OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp);
  afx_msg LRESULT OnNcHitTest(CPoint point);
  afx_msg BOOL OnNcActivate(BOOL bActive);
  afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
  afx_msg void OnActivateApp(BOOL bActive, DWORD dwThreadID);
  afx_msg int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);
  afx_msg void OnSetFocus(CWnd* pOldWnd);
  afx_msg void OnKillFocus(CWnd* pNewWnd);
  afx_msg void OnEnable(BOOL bEnable);
  afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  afx_msg void OnCaptureChanged(CWnd* pWnd);
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
  afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
  afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnRButtonUp(UINT nFlags, CPoint point);
  afx_msg void OnRButtonDblClk(UINT nFlags, CPoint point);
  afx_msg void OnMButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnMButtonUp(UINT nFlags, CPoint point);
  afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
  afx_msg void OnMouseLeave();
  afx_msg void OnNcMouseMove(UINT nHitTest, CPoint point);
  afx_msg void OnNcLButtonDown(UINT nHitTest, CPoint point);
  afx_msg void OnNcLButtonUp(UINT nHitTest, CPoint point);
  afx_msg void OnNcLButtonDblClk(UINT nHitTest, CPoint point);
  afx_msg void OnNcRButtonDown(UINT nHitTest, CPoint point);
  afx_msg void OnNcRButtonUp(UINT nHitTest, CPoint point);
  afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnSysKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnSysChar(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg UINT OnGetDlgCode();
  afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  afx_msg void OnContextMenu(CWnd* pWnd, CPoint pos);
  afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
  afx_msg void OnCancelMode();
  afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
  afx_msg void OnSysColorChange();
  afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
  afx_msg void OnParentNotify(UINT message, LPARAM lParam);
  afx_msg void OnStyleChanged(int nStyleType, LPSTYLESTRUCT lpStyleStruct);
  afx_msg void OnDropFiles(HDROP hDropInfo);
  afx_msg BOOL OnQueryEndSession();
  afx_msg void OnEndSession(BOOL bEnding);
  afx_msg void OnChildActivate();
  afx_msg void OnEnterIdle(UINT nWhy, CWnd* pWho);

 protected:
  WNDPROC m_pfnSuper = nullptr;  // the procedure a subclassed window had
  HWND m_hWndOwner = nullptr;    // set by SetOwner; children have no platform owner
  int m_nModalResult = -1;
  BOOL m_bContinueModal = FALSE;
  virtual WNDPROC* GetSuperWndProcAddr() { return &m_pfnSuper; }
  DECLARE_MESSAGE_MAP()
  friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
  friend struct CWndAccess;
};

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
WNDPROC AfxGetAfxWndProc();
// The framework's per-thread record of the message being handled. Code that
// calls a window's handlers itself (a subclassing hook) saves m_lastSentMsg,
// sets it to its message and restores it afterwards, so that Default and
// GetCurrentMessage see the right message.
struct _AFX_THREAD_STATE {
  MSG m_lastSentMsg{};
};
_AFX_THREAD_STATE* AfxGetThreadState();
// The framework's own window classes, registered when first asked for (and
// again after the desktop forgot them); TRUE when all asked for exist.
#define AFX_WND_REG 0x00001
#define AFX_WNDCONTROLBAR_REG 0x00002
#define AFX_WNDMDIFRAME_REG 0x00004
#define AFX_WNDFRAMEORVIEW_REG 0x00008
BOOL AfxDeferRegisterClass(LONG fToRegister);
extern const TCHAR _afxWnd[];
extern const TCHAR _afxWndControlBar[];
extern const TCHAR _afxWndMDIFrame[];
extern const TCHAR _afxWndFrameOrView[];
// Registers (once per desktop) and names a class whose procedure is AfxWndProc.
LPCTSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr, HBRUSH hbrBackground = nullptr,
                            HICON hIcon = nullptr);
BOOL AfxRegisterClass(WNDCLASS* lpWndClass);

// --- CWinThread ---

typedef UINT (*AFX_THREADPROC)(LPVOID);

class CWinThread : public CCmdTarget {
  DECLARE_DYNAMIC(CWinThread)

 public:
  CWinThread();
  CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
  ~CWinThread() override;

  BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0,
                    LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
  DWORD ResumeThread();
  DWORD SuspendThread();
  int GetThreadPriority();
  BOOL SetThreadPriority(int nPriority);
  operator HANDLE() const { return m_hThread; }  // NOLINT

  virtual BOOL InitInstance();
  virtual int ExitInstance();
  virtual int Run();
  virtual BOOL PreTranslateMessage(MSG* pMsg);
  virtual BOOL PumpMessage();
  virtual BOOL OnIdle(LONG lCount);
  virtual BOOL IsIdleMessage(MSG* pMsg);
  // Called for the messages of modal loops the framework does not run itself
  // (dialog boxes and message boxes get the PreTranslateMessage walk; menus
  // keep their input); TRUE when the message was taken.
  virtual BOOL ProcessMessageFilter(int code, LPMSG lpMsg);
  virtual CWnd* GetMainWnd();
  virtual void Delete();

  HANDLE m_hThread = nullptr;
  DWORD m_nThreadID = 0;
  CWnd* m_pMainWnd = nullptr;
  CWnd* m_pActiveWnd = nullptr;
  BOOL m_bAutoDelete = TRUE;
  MSG m_msgCur{};
  AFX_THREADPROC m_pfnThreadProc = nullptr;
  LPVOID m_pThreadParams = nullptr;

 private:
  POINT m_ptCursorLast{-1, -1};  // where the last mouse move was, for IsIdleMessage
  UINT m_nMsgLast = 0;
  static DWORD WINAPI ThreadEntry(LPVOID param);
};

// --- globals ---

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
CWinThread* AfxBeginThread(CRuntimeClass* pThreadClass, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
void AfxEndThread(UINT nExitCode, BOOL bDelete = TRUE);
CWinThread* AfxGetThread();
CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// RunModalLoop flags.
#define MLF_NOIDLEMSG 0x0001
#define MLF_NOKICKIDLE 0x0002
#define MLF_SHOWONIDLE 0x0004
// Sent to a window in RunModalLoop while the loop is idle: wParam MSGF_DIALOGBOX,
// lParam the idle count; a nonzero answer asks for another idle pass.
#define WM_KICKIDLE 0x036A
// Walks from the message's window up to `pMainWnd`, giving each framework
// window the chance to take the message.
BOOL AfxPreTranslateMessageTree(CWnd* pMainWnd, MSG* pMsg);

namespace compat::afx {
// The application object registers itself here when it is constructed (and
// clears itself, with nullptr, when it is destroyed).
void RegisterApp(CWinApp* app, CWinThread* asThread);
}  // namespace compat::afx

// --- message-map entries ---

#define ON_MESSAGE(message, memberFxn) \
  {message, 0, 0, 0, nullptr, AFX_HANDLER(afxCall.result = afxThis->ThisClass::memberFxn(afxCall.wParam, afxCall.lParam); return TRUE;)},
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn) \
  {0xC000, 0, 0, 0, &nMessageVariable, AFX_HANDLER(afxCall.result = afxThis->ThisClass::memberFxn(afxCall.wParam, afxCall.lParam); return TRUE;)},
#define ON_COMMAND(id, memberFxn) \
  {WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(id), nullptr, AFX_HANDLER(afxThis->ThisClass::memberFxn(); return TRUE;)},
#define ON_COMMAND_EX(id, memberFxn) \
  {WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(id), nullptr, AFX_HANDLER(return afxThis->ThisClass::memberFxn(afxCall.nID);)},
#define ON_COMMAND_RANGE(id, idLast, memberFxn) \
  {WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(idLast), nullptr, AFX_HANDLER(afxThis->ThisClass::memberFxn(afxCall.nID); return TRUE;)},
#define ON_UPDATE_COMMAND_UI(id, memberFxn) \
  {WM_COMMAND, CN_UPDATE_COMMAND_UI, (UINT)(id), (UINT)(id), nullptr, AFX_HANDLER(afxThis->ThisClass::memberFxn(static_cast<CCmdUI*>(afxCall.pExtra)); return TRUE;)},
#define ON_UPDATE_COMMAND_UI_RANGE(id, idLast, memberFxn) \
  {WM_COMMAND, CN_UPDATE_COMMAND_UI, (UINT)(id), (UINT)(idLast), nullptr, AFX_HANDLER(afxThis->ThisClass::memberFxn(static_cast<CCmdUI*>(afxCall.pExtra)); return TRUE;)},
#define ON_CONTROL(wNotifyCode, id, memberFxn) \
  {WM_COMMAND, (UINT)(WORD)(wNotifyCode), (UINT)(id), (UINT)(id), nullptr, AFX_HANDLER(afxThis->ThisClass::memberFxn(); return TRUE;)},
#define ON_CONTROL_RANGE(wNotifyCode, id, idLast, memberFxn) \
  {WM_COMMAND, (UINT)(WORD)(wNotifyCode), (UINT)(id), (UINT)(idLast), nullptr, AFX_HANDLER(afxThis->ThisClass::memberFxn(afxCall.nID); return TRUE;)},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_NOTIFY(wNotifyCode, id, memberFxn) \
  {WM_NOTIFY, (UINT)(wNotifyCode), (UINT)(id), (UINT)(id), nullptr, AFX_HANDLER(afxThis->ThisClass::memberFxn(reinterpret_cast<NMHDR*>(afxCall.lParam), &afxCall.result); return TRUE;)},
#define ON_NOTIFY_RANGE(wNotifyCode, id, idLast, memberFxn) \
  {WM_NOTIFY, (UINT)(wNotifyCode), (UINT)(id), (UINT)(idLast), nullptr, AFX_HANDLER(afxThis->ThisClass::memberFxn(afxCall.nID, reinterpret_cast<NMHDR*>(afxCall.lParam), &afxCall.result); return TRUE;)},
#define ON_NOTIFY_EX(wNotifyCode, id, memberFxn) \
  {WM_NOTIFY, (UINT)(wNotifyCode), (UINT)(id), (UINT)(id), nullptr, AFX_HANDLER(return afxThis->ThisClass::memberFxn(afxCall.nID, reinterpret_cast<NMHDR*>(afxCall.lParam), &afxCall.result);)},
#define ON_NOTIFY_EX_RANGE(wNotifyCode, id, idLast, memberFxn) \
  {WM_NOTIFY, (UINT)(wNotifyCode), (UINT)(id), (UINT)(idLast), nullptr, AFX_HANDLER(return afxThis->ThisClass::memberFxn(afxCall.nID, reinterpret_cast<NMHDR*>(afxCall.lParam), &afxCall.result);)},

#define ON_WM_CREATE() {WM_CREATE, 0, 0, 0, nullptr, AFX_HANDLER(afxCall.result = static_cast<LRESULT>(afxThis->ThisClass::OnCreate(reinterpret_cast<LPCREATESTRUCT>(afxCall.lParam))); return TRUE;)},
#define ON_WM_NCCREATE() {WM_NCCREATE, 0, 0, 0, nullptr, AFX_HANDLER(afxCall.result = static_cast<LRESULT>(afxThis->ThisClass::OnNcCreate(reinterpret_cast<LPCREATESTRUCT>(afxCall.lParam))); return TRUE;)},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnDestroy(); return TRUE;)},
#define ON_WM_NCDESTROY() {WM_NCDESTROY, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnNcDestroy(); return TRUE;)},
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnClose(); return TRUE;)},
#define ON_WM_MOVE() {WM_MOVE, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnMove(GET_X_LPARAM(afxCall.lParam), GET_Y_LPARAM(afxCall.lParam)); return TRUE;)},
#define ON_WM_SIZE() {WM_SIZE, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnSize(static_cast<UINT>(afxCall.wParam), static_cast<int>(LOWORD(afxCall.lParam)), static_cast<int>(HIWORD(afxCall.lParam))); return TRUE;)},
#define ON_WM_SIZING() {WM_SIZING, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnSizing(static_cast<UINT>(afxCall.wParam), reinterpret_cast<LPRECT>(afxCall.lParam)); return TRUE;)},
#define ON_WM_MOVING() {WM_MOVING, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnMoving(static_cast<UINT>(afxCall.wParam), reinterpret_cast<LPRECT>(afxCall.lParam)); return TRUE;)},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnPaint(); return TRUE;)},
#define ON_WM_NCPAINT() {WM_NCPAINT, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnNcPaint(); return TRUE;)},
#define ON_WM_ERASEBKGND() {WM_ERASEBKGND, 0, 0, 0, nullptr, AFX_HANDLER(afxCall.result = static_cast<LRESULT>(afxThis->ThisClass::OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(afxCall.wParam)))); return TRUE;)},
#define ON_WM_TIMER() {WM_TIMER, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnTimer(static_cast<UINT_PTR>(afxCall.wParam)); return TRUE;)},
#define ON_WM_SHOWWINDOW() {WM_SHOWWINDOW, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnShowWindow(static_cast<BOOL>(afxCall.wParam), static_cast<UINT>(afxCall.lParam)); return TRUE;)},
#define ON_WM_GETMINMAXINFO() {WM_GETMINMAXINFO, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(afxCall.lParam)); return TRUE;)},
#define ON_WM_WINDOWPOSCHANGING() {WM_WINDOWPOSCHANGING, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(afxCall.lParam)); return TRUE;)},
#define ON_WM_WINDOWPOSCHANGED() {WM_WINDOWPOSCHANGED, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(afxCall.lParam)); return TRUE;)},
#define ON_WM_NCCALCSIZE() {WM_NCCALCSIZE, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnNcCalcSize(static_cast<BOOL>(afxCall.wParam), reinterpret_cast<NCCALCSIZE_PARAMS*>(afxCall.lParam)); return TRUE;)},
#define ON_WM_NCHITTEST() {WM_NCHITTEST, 0, 0, 0, nullptr, AFX_HANDLER(afxCall.result = afxThis->ThisClass::OnNcHitTest(CPoint(GET_X_LPARAM(afxCall.lParam), GET_Y_LPARAM(afxCall.lParam))); return TRUE;)},
#define ON_WM_NCACTIVATE() {WM_NCACTIVATE, 0, 0, 0, nullptr, AFX_HANDLER(afxCall.result = static_cast<LRESULT>(afxThis->ThisClass::OnNcActivate(static_cast<BOOL>(afxCall.wParam))); return TRUE;)},
#define ON_WM_ACTIVATE() {WM_ACTIVATE, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnActivate(static_cast<UINT>(LOWORD(afxCall.wParam)), CWnd::FromHandle(reinterpret_cast<HWND>(afxCall.lParam)), static_cast<BOOL>(HIWORD(afxCall.wParam))); return TRUE;)},
#define ON_WM_ACTIVATEAPP() {WM_ACTIVATEAPP, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnActivateApp(static_cast<BOOL>(afxCall.wParam), static_cast<DWORD>(afxCall.lParam)); return TRUE;)},
#define ON_WM_MOUSEACTIVATE() {WM_MOUSEACTIVATE, 0, 0, 0, nullptr, AFX_HANDLER(afxCall.result = static_cast<LRESULT>(afxThis->ThisClass::OnMouseActivate(CWnd::FromHandle(reinterpret_cast<HWND>(afxCall.wParam)), static_cast<UINT>(static_cast<SHORT>(LOWORD(afxCall.lParam))), static_cast<UINT>(HIWORD(afxCall.lParam)))); return TRUE;)},
#define ON_WM_SETFOCUS() {WM_SETFOCUS, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnSetFocus(CWnd::FromHandle(reinterpret_cast<HWND>(afxCall.wParam))); return TRUE;)},
#define ON_WM_KILLFOCUS() {WM_KILLFOCUS, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnKillFocus(CWnd::FromHandle(reinterpret_cast<HWND>(afxCall.wParam))); return TRUE;)},
#define ON_WM_ENABLE() {WM_ENABLE, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnEnable(static_cast<BOOL>(afxCall.wParam)); return TRUE;)},
#define ON_WM_SETCURSOR() {WM_SETCURSOR, 0, 0, 0, nullptr, AFX_HANDLER(afxCall.result = static_cast<LRESULT>(afxThis->ThisClass::OnSetCursor(CWnd::FromHandle(reinterpret_cast<HWND>(afxCall.wParam)), static_cast<UINT>(static_cast<SHORT>(LOWORD(afxCall.lParam))), static_cast<UINT>(HIWORD(afxCall.lParam)))); return TRUE;)},
#define ON_WM_CAPTURECHANGED() {WM_CAPTURECHANGED, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnCaptureChanged(CWnd::FromHandle(reinterpret_cast<HWND>(afxCall.lParam))); return TRUE;)},
#define ON_WM_MOUSEMOVE() {WM_MOUSEMOVE, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnMouseMove(static_cast<UINT>(afxCall.wParam), CPoint(GET_X_LPARAM(afxCall.lParam), GET_Y_LPARAM(afxCall.lParam))); return TRUE;)},
#define ON_WM_LBUTTONDOWN() {WM_LBUTTONDOWN, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnLButtonDown(static_cast<UINT>(afxCall.wParam), CPoint(GET_X_LPARAM(afxCall.lParam), GET_Y_LPARAM(afxCall.lParam))); return TRUE;)},
#define ON_WM_LBUTTONUP() {WM_LBUTTONUP, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnLButtonUp(static_cast<UINT>(afxCall.wParam), CPoint(GET_X_LPARAM(afxCall.lParam), GET_Y_LPARAM(afxCall.lParam))); return TRUE;)},
#define ON_WM_LBUTTONDBLCLK() {WM_LBUTTONDBLCLK, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnLButtonDblClk(static_cast<UINT>(afxCall.wParam), CPoint(GET_X_LPARAM(afxCall.lParam), GET_Y_LPARAM(afxCall.lParam))); return TRUE;)},
#define ON_WM_RBUTTONDOWN() {WM_RBUTTONDOWN, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnRButtonDown(static_cast<UINT>(afxCall.wParam), CPoint(GET_X_LPARAM(afxCall.lParam), GET_Y_LPARAM(afxCall.lParam))); return TRUE;)},
#define ON_WM_RBUTTONUP() {WM_RBUTTONUP, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnRButtonUp(static_cast<UINT>(afxCall.wParam), CPoint(GET_X_LPARAM(afxCall.lParam), GET_Y_LPARAM(afxCall.lParam))); return TRUE;)},
#define ON_WM_RBUTTONDBLCLK() {WM_RBUTTONDBLCLK, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnRButtonDblClk(static_cast<UINT>(afxCall.wParam), CPoint(GET_X_LPARAM(afxCall.lParam), GET_Y_LPARAM(afxCall.lParam))); return TRUE;)},
#define ON_WM_MBUTTONDOWN() {WM_MBUTTONDOWN, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnMButtonDown(static_cast<UINT>(afxCall.wParam), CPoint(GET_X_LPARAM(afxCall.lParam), GET_Y_LPARAM(afxCall.lParam))); return TRUE;)},
#define ON_WM_MBUTTONUP() {WM_MBUTTONUP, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnMButtonUp(static_cast<UINT>(afxCall.wParam), CPoint(GET_X_LPARAM(afxCall.lParam), GET_Y_LPARAM(afxCall.lParam))); return TRUE;)},
#define ON_WM_MOUSEWHEEL() {WM_MOUSEWHEEL, 0, 0, 0, nullptr, AFX_HANDLER(afxCall.result = static_cast<LRESULT>(afxThis->ThisClass::OnMouseWheel(static_cast<UINT>(LOWORD(afxCall.wParam)), static_cast<short>(HIWORD(afxCall.wParam)), CPoint(GET_X_LPARAM(afxCall.lParam), GET_Y_LPARAM(afxCall.lParam)))); return TRUE;)},
#define ON_WM_MOUSELEAVE() {WM_MOUSELEAVE, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnMouseLeave(); return TRUE;)},
#define ON_WM_NCMOUSEMOVE() {WM_NCMOUSEMOVE, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnNcMouseMove(static_cast<UINT>(afxCall.wParam), CPoint(GET_X_LPARAM(afxCall.lParam), GET_Y_LPARAM(afxCall.lParam))); return TRUE;)},
#define ON_WM_NCLBUTTONDOWN() {WM_NCLBUTTONDOWN, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnNcLButtonDown(static_cast<UINT>(afxCall.wParam), CPoint(GET_X_LPARAM(afxCall.lParam), GET_Y_LPARAM(afxCall.lParam))); return TRUE;)},
#define ON_WM_NCLBUTTONUP() {WM_NCLBUTTONUP, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnNcLButtonUp(static_cast<UINT>(afxCall.wParam), CPoint(GET_X_LPARAM(afxCall.lParam), GET_Y_LPARAM(afxCall.lParam))); return TRUE;)},
#define ON_WM_NCLBUTTONDBLCLK() {WM_NCLBUTTONDBLCLK, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnNcLButtonDblClk(static_cast<UINT>(afxCall.wParam), CPoint(GET_X_LPARAM(afxCall.lParam), GET_Y_LPARAM(afxCall.lParam))); return TRUE;)},
#define ON_WM_NCRBUTTONDOWN() {WM_NCRBUTTONDOWN, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnNcRButtonDown(static_cast<UINT>(afxCall.wParam), CPoint(GET_X_LPARAM(afxCall.lParam), GET_Y_LPARAM(afxCall.lParam))); return TRUE;)},
#define ON_WM_NCRBUTTONUP() {WM_NCRBUTTONUP, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnNcRButtonUp(static_cast<UINT>(afxCall.wParam), CPoint(GET_X_LPARAM(afxCall.lParam), GET_Y_LPARAM(afxCall.lParam))); return TRUE;)},
#define ON_WM_KEYDOWN() {WM_KEYDOWN, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnKeyDown(static_cast<UINT>(afxCall.wParam), static_cast<UINT>(LOWORD(afxCall.lParam)), static_cast<UINT>(HIWORD(afxCall.lParam))); return TRUE;)},
#define ON_WM_KEYUP() {WM_KEYUP, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnKeyUp(static_cast<UINT>(afxCall.wParam), static_cast<UINT>(LOWORD(afxCall.lParam)), static_cast<UINT>(HIWORD(afxCall.lParam))); return TRUE;)},
#define ON_WM_SYSKEYDOWN() {WM_SYSKEYDOWN, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnSysKeyDown(static_cast<UINT>(afxCall.wParam), static_cast<UINT>(LOWORD(afxCall.lParam)), static_cast<UINT>(HIWORD(afxCall.lParam))); return TRUE;)},
#define ON_WM_SYSKEYUP() {WM_SYSKEYUP, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnSysKeyUp(static_cast<UINT>(afxCall.wParam), static_cast<UINT>(LOWORD(afxCall.lParam)), static_cast<UINT>(HIWORD(afxCall.lParam))); return TRUE;)},
#define ON_WM_CHAR() {WM_CHAR, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnChar(static_cast<UINT>(afxCall.wParam), static_cast<UINT>(LOWORD(afxCall.lParam)), static_cast<UINT>(HIWORD(afxCall.lParam))); return TRUE;)},
#define ON_WM_SYSCHAR() {WM_SYSCHAR, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnSysChar(static_cast<UINT>(afxCall.wParam), static_cast<UINT>(LOWORD(afxCall.lParam)), static_cast<UINT>(HIWORD(afxCall.lParam))); return TRUE;)},
#define ON_WM_GETDLGCODE() {WM_GETDLGCODE, 0, 0, 0, nullptr, AFX_HANDLER(afxCall.result = static_cast<LRESULT>(afxThis->ThisClass::OnGetDlgCode()); return TRUE;)},
#define ON_WM_HSCROLL() {WM_HSCROLL, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnHScroll(static_cast<UINT>(LOWORD(afxCall.wParam)), static_cast<UINT>(HIWORD(afxCall.wParam)), reinterpret_cast<CScrollBar*>(CWnd::FromHandle(reinterpret_cast<HWND>(afxCall.lParam)))); return TRUE;)},
#define ON_WM_VSCROLL() {WM_VSCROLL, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnVScroll(static_cast<UINT>(LOWORD(afxCall.wParam)), static_cast<UINT>(HIWORD(afxCall.wParam)), reinterpret_cast<CScrollBar*>(CWnd::FromHandle(reinterpret_cast<HWND>(afxCall.lParam)))); return TRUE;)},
#define ON_WM_CONTEXTMENU() {WM_CONTEXTMENU, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnContextMenu(CWnd::FromHandle(reinterpret_cast<HWND>(afxCall.wParam)), CPoint(GET_X_LPARAM(afxCall.lParam), GET_Y_LPARAM(afxCall.lParam))); return TRUE;)},
#define ON_WM_SYSCOMMAND() {WM_SYSCOMMAND, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnSysCommand(static_cast<UINT>(afxCall.wParam), afxCall.lParam); return TRUE;)},
#define ON_WM_CANCELMODE() {WM_CANCELMODE, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnCancelMode(); return TRUE;)},
#define ON_WM_SETTINGCHANGE() {WM_SETTINGCHANGE, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnSettingChange(static_cast<UINT>(afxCall.wParam), reinterpret_cast<LPCTSTR>(afxCall.lParam)); return TRUE;)},
#define ON_WM_SYSCOLORCHANGE() {WM_SYSCOLORCHANGE, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnSysColorChange(); return TRUE;)},
// Reflected notifications: the parent's message number plus WM_REFLECT_BASE.
#define WM_REFLECT_BASE 0xBC00
#define WM_CTLCOLOR 0x0019
#define ON_CONTROL_REFLECT(wNotifyCode, memberFxn) \
  {WM_COMMAND + WM_REFLECT_BASE, (UINT)(WORD)(wNotifyCode), 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::memberFxn(); return TRUE;)},
// The handler answers whether the parent should not see the notification too.
#define ON_CONTROL_REFLECT_EX(wNotifyCode, memberFxn) \
  {WM_COMMAND + WM_REFLECT_BASE, (UINT)(WORD)(wNotifyCode), 0, 0, nullptr, AFX_HANDLER(return afxThis->ThisClass::memberFxn();)},
#define ON_NOTIFY_REFLECT(wNotifyCode, memberFxn) \
  {WM_NOTIFY + WM_REFLECT_BASE, (UINT)(wNotifyCode), 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::memberFxn(reinterpret_cast<NMHDR*>(afxCall.lParam), &afxCall.result); return TRUE;)},
#define ON_NOTIFY_REFLECT_EX(wNotifyCode, memberFxn) \
  {WM_NOTIFY + WM_REFLECT_BASE, (UINT)(wNotifyCode), 0, 0, nullptr, AFX_HANDLER(return afxThis->ThisClass::memberFxn(reinterpret_cast<NMHDR*>(afxCall.lParam), &afxCall.result);)},
// A control answering NULL leaves the colour to its parent.
#define ON_WM_CTLCOLOR_REFLECT() \
  {WM_CTLCOLOR + WM_REFLECT_BASE, 0, 0, 0, nullptr, AFX_HANDLER(HBRUSH afxBrush = afxThis->ThisClass::CtlColor(CDC::FromHandle(reinterpret_cast<HDC>(afxCall.wParam)), afxCall.nCode); afxCall.result = reinterpret_cast<LRESULT>(afxBrush); return afxBrush != nullptr;)},
#define ON_WM_DRAWITEM_REFLECT() \
  {WM_DRAWITEM + WM_REFLECT_BASE, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(afxCall.lParam)); afxCall.result = TRUE; return TRUE;)},
#define ON_WM_MEASUREITEM_REFLECT() \
  {WM_MEASUREITEM + WM_REFLECT_BASE, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(afxCall.lParam)); afxCall.result = TRUE; return TRUE;)},
#define ON_WM_COMPAREITEM_REFLECT() \
  {WM_COMPAREITEM + WM_REFLECT_BASE, 0, 0, 0, nullptr, AFX_HANDLER(afxCall.result = afxThis->ThisClass::CompareItem(reinterpret_cast<LPCOMPAREITEMSTRUCT>(afxCall.lParam)); return TRUE;)},
#define ON_WM_DELETEITEM_REFLECT() \
  {WM_DELETEITEM + WM_REFLECT_BASE, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::DeleteItem(reinterpret_cast<LPDELETEITEMSTRUCT>(afxCall.lParam)); afxCall.result = TRUE; return TRUE;)},

#define ON_WM_CTLCOLOR() {WM_CTLCOLORMSGBOX, AFX_MSGRANGE, 0, WM_CTLCOLORSTATIC, nullptr, AFX_HANDLER(HBRUSH afxBrush = afxThis->ThisClass::OnCtlColor(CDC::FromHandle(reinterpret_cast<HDC>(afxCall.wParam)), CWnd::FromHandle(reinterpret_cast<HWND>(afxCall.lParam)), afxCall.nMessage - WM_CTLCOLORMSGBOX); afxCall.result = reinterpret_cast<LRESULT>(afxBrush); return TRUE;)},
#define ON_WM_PARENTNOTIFY() {WM_PARENTNOTIFY, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnParentNotify(static_cast<UINT>(LOWORD(afxCall.wParam)), afxCall.lParam); return TRUE;)},
#define ON_WM_STYLECHANGED() {WM_STYLECHANGED, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnStyleChanged(static_cast<int>(afxCall.wParam), reinterpret_cast<LPSTYLESTRUCT>(afxCall.lParam)); return TRUE;)},
#define ON_WM_DROPFILES() {WM_DROPFILES, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnDropFiles(reinterpret_cast<HDROP>(afxCall.wParam)); return TRUE;)},
#define ON_WM_QUERYENDSESSION() {WM_QUERYENDSESSION, 0, 0, 0, nullptr, AFX_HANDLER(afxCall.result = static_cast<LRESULT>(afxThis->ThisClass::OnQueryEndSession()); return TRUE;)},
#define ON_WM_ENDSESSION() {WM_ENDSESSION, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnEndSession(static_cast<BOOL>(afxCall.wParam)); return TRUE;)},
#define ON_WM_CHILDACTIVATE() {WM_CHILDACTIVATE, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnChildActivate(); return TRUE;)},
#define ON_WM_ENTERIDLE() {WM_ENTERIDLE, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnEnterIdle(static_cast<UINT>(afxCall.wParam), CWnd::FromHandle(reinterpret_cast<HWND>(afxCall.lParam))); return TRUE;)},
