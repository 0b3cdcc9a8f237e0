// The resource calls: finding compiled resources by (type, id), strings, accelerator tables,
// and the module handles that name the program's and the framework's tables.
#pragma once

#include "compat/resource_table.h"
#include "compat/win32/types.h"

#define RT_CURSOR MAKEINTRESOURCEW(1)
#define RT_BITMAP MAKEINTRESOURCEW(2)
#define RT_ICON MAKEINTRESOURCEW(3)
#define RT_MENU MAKEINTRESOURCEW(4)
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_ACCELERATOR MAKEINTRESOURCEW(9)
#define RT_GROUP_CURSOR MAKEINTRESOURCEW(12)
#define RT_GROUP_ICON MAKEINTRESOURCEW(14)
#define RT_DLGINIT MAKEINTRESOURCEW(240)
#define RT_TOOLBAR MAKEINTRESOURCEW(241)

#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_RESOURCE_DATA_NOT_FOUND 1812L
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#define ERROR_RESOURCE_LANG_NOT_FOUND 1815L

#define LANG_NEUTRAL 0x00
#define SUBLANG_NEUTRAL 0x00
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))

HMODULE WINAPI GetModuleHandleW(LPCWSTR moduleName);
HRSRC WINAPI FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
HRSRC WINAPI FindResourceExW(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language);
HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource);
LPVOID WINAPI LockResource(HGLOBAL data);
DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource);
BOOL WINAPI FreeResource(HGLOBAL data);
int WINAPI LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax);
#define GetModuleHandle GetModuleHandleW
#define FindResource FindResourceW
#define FindResourceEx FindResourceExW

// --- accelerator tables ---
#define FVIRTKEY 0x01
#define FNOINVERT 0x02
#define FSHIFT 0x04
#define FCONTROL 0x08
#define FALT 0x10

struct ACCEL {
  BYTE fVirt;
  WORD key;
  WORD cmd;
};
typedef ACCEL* LPACCEL;
static_assert(sizeof(ACCEL) == 6, "ACCEL is a flags byte, a pad byte, the key and the command");

HACCEL WINAPI LoadAcceleratorsW(HINSTANCE instance, LPCWSTR name);
HACCEL WINAPI CreateAcceleratorTableW(LPACCEL accels, int count);
int WINAPI CopyAcceleratorTableW(HACCEL table, LPACCEL accels, int count);
BOOL WINAPI DestroyAcceleratorTable(HACCEL table);
#define LoadAccelerators LoadAcceleratorsW
#define CreateAcceleratorTable CreateAcceleratorTableW
#define CopyAcceleratorTable CopyAcceleratorTableW

namespace compat {
// The handle that names a module's resource table, and the table a handle names
// (anything but the framework's handle names the program's).
HMODULE ResourceModuleHandle(ResourceModule module);
ResourceModule ResourceModuleOf(HMODULE handle);
// An icon or cursor from the module's RT_GROUP_ICON / RT_GROUP_CURSOR resource, made once
// and shared for the process (DestroyIcon leaves it alone); nullptr when absent or unreadable.
HICON SharedResourceIcon(ResourceModule module, WORD id, bool cursor);
}  // namespace compat
