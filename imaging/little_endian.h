// Little-endian numbers in file bytes, as every format the imaging library
// reads and writes stores them (BMP, ICO, PCX, TGA, GIF, metafiles). Callers
// check that the bytes are there first.
#pragma once

#include <vector>

#include "compat/win32/types.h"

namespace le {

inline WORD Word(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
inline DWORD Dword(const BYTE* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24);
}

inline void PutWord(BYTE* p, DWORD v) {
  p[0] = static_cast<BYTE>(v);
  p[1] = static_cast<BYTE>(v >> 8);
}
inline void PutWord(std::vector<BYTE>& out, DWORD v) {
  out.push_back(static_cast<BYTE>(v));
  out.push_back(static_cast<BYTE>(v >> 8));
}
inline void PutDword(std::vector<BYTE>& out, DWORD v) {
  PutWord(out, v & 0xFFFF);
  PutWord(out, v >> 16);
}

}  // namespace le
