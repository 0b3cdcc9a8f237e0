// The platform calls the program makes, declared with the platform's names,
// argument orders, constants and record layouts. Program code includes this
// header, never the host's own headers for files, threads, UI or graphics.
#pragma once

#include "compat/win32/types.h"
#include "compat/win32/errors.h"
#include "compat/win32/com.h"
#include "compat/win32/text.h"
#include "compat/win32/kernel.h"
#include "compat/win32/registry.h"
#include "compat/win32/profile.h"
#include "compat/win32/message_box.h"
#include "compat/win32/user.h"
#include "compat/win32/mdi.h"
#include "compat/win32/controls.h"
#include "compat/win32/dialogs.h"
#include "compat/win32/common_controls.h"
#include "compat/win32/common_dialogs.h"
#include "compat/win32/shell.h"
#include "compat/win32/clipboard.h"
#include "compat/win32/gdi.h"
#include "compat/win32/metafile.h"
#include "compat/win32/resource.h"
