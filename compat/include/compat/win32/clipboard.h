// The clipboard and the movable memory blocks its data travels in. Text is
// shared with the other programs of the desktop where the host has any.
#pragma once

#include "compat/win32/types.h"

// --- global memory ---
#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)

// Every block is movable: the handle is not the block's address, and
// GlobalLock gives the address. NULL with ERROR_INVALID_HANDLE for a handle
// that is not a live block.
HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes);
LPVOID GlobalLock(HGLOBAL hMem);
BOOL GlobalUnlock(HGLOBAL hMem);
SIZE_T GlobalSize(HGLOBAL hMem);
HGLOBAL GlobalFree(HGLOBAL hMem);  // NULL when freed, else the handle

// --- clipboard ---
#define CF_TEXT 1
#define CF_UNICODETEXT 13
#define ERROR_CLIPBOARD_NOT_OPEN 1418L

// One thread at a time has the clipboard open. Text formats only: each of
// the two text formats is made from the other when asked for.
BOOL OpenClipboard(HWND hWndNewOwner);
BOOL CloseClipboard();
BOOL EmptyClipboard();
// The clipboard takes the block: the caller neither frees nor uses it after.
HANDLE SetClipboardData(UINT uFormat, HANDLE hMem);
// The block belongs to the clipboard and is valid until it is closed.
HANDLE GetClipboardData(UINT uFormat);
BOOL IsClipboardFormatAvailable(UINT format);
