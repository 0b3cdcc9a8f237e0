// The application framework's classes the program uses, on our own platform layer.
#pragma once

#include "compat/win32.h"
#include "compat/afx/object.h"
#include "compat/afx/string.h"
#include "compat/afx/coll.h"
#include "compat/afx/file.h"
#include "compat/afx/archive.h"
#include "compat/afx/time.h"
#include "compat/afx/types.h"
#include "compat/afx/wnd.h"
#include "compat/afx/controls.h"
#include "compat/afx/menu.h"
#include "compat/afx/common_controls.h"
#include "compat/afx/gdi.h"
#include "compat/afx/resource.h"
#include "compat/afx/dialog.h"
#include "compat/afx/data_exchange.h"
