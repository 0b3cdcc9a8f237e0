// Two small stores for values of the user interface: named settings (one
// file each in the Data folder: a 32-bit byte count, then the bytes) and
// binary values under one registry key of the local machine.
#pragma once

#include "compat/afx.h"

// The key under HKEY_LOCAL_MACHINE that holds the program's registry values.
inline constexpr const TCHAR* kSettingsRegistryKey =
    u"SOFTWARE\\Microsoft\\Windows\\currentversion\\App paths\\Lumidrift";

// The largest value either store hands out; a longer stated length means the
// file is damaged.
inline constexpr int kMaxSettingBytes = 1 << 20;

// Reads the setting `name` into a new[] block the caller delete[]s. FALSE
// when the file is missing, cannot be read, or is damaged (a length that is
// negative, above kMaxSettingBytes or longer than the file): the caller then
// keeps its default. A stored length of 0 gives TRUE with an empty block.
BOOL LoadSetting(LPCTSTR name, BYTE** bytes, int* count);
// Writes `count` bytes as the setting `name`, creating the Data folder when
// it is missing. FALSE when the value cannot be written.
BOOL SaveSetting(LPCTSTR name, const BYTE* bytes, int count);

// Finds the value `name` (case-sensitive) under HKEY_LOCAL_MACHINE\keyPath
// and copies its data, whatever its type, into a new[] block the caller
// delete[]s. Values over 1024 bytes or with names over 1024 characters are
// not found.
BOOL RegReadValue(LPCTSTR keyPath, LPCTSTR name, BYTE** bytes, int* count);
// Writes the bytes as a value of type REG_DWORD_BIG_ENDIAN (5), as the
// program always has, whatever their length.
BOOL RegWriteValue(LPCTSTR keyPath, LPCTSTR name, const BYTE* bytes, int count);
