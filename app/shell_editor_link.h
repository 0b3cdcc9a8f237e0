// The editor's side of the model's editor link: what the model asks of the
// panel, the timeline, the panes, the document, the frame and the status bar.
#pragma once

#include <vector>

#include "compat/afx.h"

class CEditorLink;

CEditorLink& GetShellEditorLink();

// While `into` is set, the model's messages are kept there instead of shown
// (null shows them again).
void CollectEditorMessages(std::vector<CString>* into);
