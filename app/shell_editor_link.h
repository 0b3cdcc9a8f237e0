// The editor's side of the model's editor link: what the model asks of the
// panel, the timeline, the panes, the document, the frame and the status bar.
#pragma once

class CEditorLink;

CEditorLink& GetShellEditorLink();
