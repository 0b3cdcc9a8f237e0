// The HTML page written beside an exported SWF movie, embedding it at its
// size for browsers of either plug-in kind.
#pragma once

#include <string>

#include "compat/afx.h"

// The page's path: the movie's path with its last three characters "htm".
CString SwfHtmlPagePath(const CString& moviePath);
// The page's text for a movie file `movieName` (no folder, 8-bit) of the
// given size.
std::string SwfHtmlPageText(const std::string& movieName, int width, int height);
// Writes the page beside the movie; FALSE when it could not be written.
BOOL WriteSwfHtmlPage(const CString& moviePath, int width, int height);
