// A folder of the fuzz run's own for the targets that read and write real
// files: made once per process, its files overwritten by every input.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "compat/afx.h"
#include "compat/host_path.h"

inline const std::string& FuzzFolder() {
  static const std::string folder = [] {
    // A plain array outlives the strings at exit, when the folder goes; a
    // crash leaves it for a look at its files.
    static char pattern[] = "/tmp/calvetta-fuzz-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(pattern, ignored);
    });
    return std::string(pattern);
  }();
  return folder;
}

// Writes the bytes as `name` in the folder; its path as the program spells it.
inline CString PutFuzzFile(const char* name, const uint8_t* data, size_t size) {
  const std::string host = FuzzFolder() + "/" + name;
  FILE* out = std::fopen(host.c_str(), "wb");
  if (!out) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, out) != size) std::abort();
  std::fclose(out);
  return CString(compat::FromHostPath(host).c_str());
}

inline CString FuzzPath(const char* name) {
  return CString(compat::FromHostPath(FuzzFolder() + "/" + name).c_str());
}

inline std::string ReadFuzzFile(const char* name) {
  std::string bytes;
  FILE* in = std::fopen((FuzzFolder() + "/" + name).c_str(), "rb");
  if (!in) return bytes;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) bytes.append(buffer, n);
  std::fclose(in);
  return bytes;
}
