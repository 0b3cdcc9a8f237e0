// The file watcher: tells a window, by the registered message
// "FileWatchNotify", when a file it uses is written by another program.
// One process-wide service: worker threads wait on the folders' change
// notifications and compare the watched files' last-write times.
#pragma once

#include "compat/afx.h"

// Watches `path` (a file, or a folder when it ends with a backslash) for
// `window`, which then receives "FileWatchNotify" with wParam = parameter
// and lParam = 0. The record id, or 0 when nothing was added: the path is
// watched already, the file cannot be read, or its folder cannot be watched.
DWORD AddFileWatch(LPCTSTR path, HWND window, DWORD parameter);
// Starts the workers when none run (AddFileWatch does so itself).
void StartFileWatch();
// Stops the workers, waits for their end and forgets every watch.
void StopFileWatch();
// The id of the registered message "FileWatchNotify".
UINT GetFileWatchMessage();
