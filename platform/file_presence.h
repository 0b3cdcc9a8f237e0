// Whether a path names a file: what tells a picture that is not there
// (shown as none, without a message) from one that cannot be read.
#pragma once

#include "compat/afx.h"

// TRUE when the path names an entry of the file system, even one that
// cannot be resolved (a loop of symbolic links): a reader then meets it and
// reports it. FALSE for an empty path and one that names nothing.
BOOL PathNamesFile(const CString& path);
