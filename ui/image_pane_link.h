// The image panes' side of the model's mouse editing: the capture loop that
// follows the mouse for a line set or an outline, and the notices a press
// sends to the pane and its parent.
#pragma once

#include "model/project/pane_link.h"

CPaneLink& GetImagePaneLink();
