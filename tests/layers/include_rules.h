// The layer picture as a table, and the check that holds every include of the
// tree to it: a file may include its own library, any library of a lower rank
// or of its own row, and of compat only the public headers (compat/include)
// unless it belongs to the same family.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace layers {

// How far a library may reach below itself.
enum class Reach { kBelow, kCompatOnly };

struct Layer {
  const char* library;  // a folder of the tree, or a compat family
  int rank;             // higher ranks may include lower ones
  Reach reach;
  const char* words;    // what the layer holds, as the design names it
};

// The ranks, top to bottom, in the words of the layer picture.
const std::vector<Layer>& LayerTable();

// An include that is held against the table but known and accepted for now.
struct Allowance {
  const char* file;     // the including file, relative to the tree
  const char* target;   // the included header, relative to the tree
};
const std::vector<Allowance>& Allowances();

struct Breach {
  std::string file;     // relative to the tree
  int line = 0;
  std::string target;   // the resolved header, relative to the tree
  std::string why;
};

struct CheckResult {
  std::vector<Breach> breaches;
  std::vector<std::string> unranked;        // folders with sources the table does not name
  std::vector<std::string> allowancesUsed;  // "file -> target" of allowances that matched
  int includesChecked = 0;
};

// The library a file belongs to ("model", "compat/win32", "tests" …) and
// whether it is one of compat's public headers; empty for files of no library.
struct Owner {
  std::string library;
  bool publicHeader = false;
  // Tests may read the private headers of compat (its clock, its desktop
  // reset).
  bool test = false;
};
Owner OwnerOf(const std::string& relativePath);

// Reads every C and C++ source under root and checks its quoted includes.
CheckResult CheckTree(const std::filesystem::path& root, const std::vector<Allowance>& allowances);

}  // namespace layers
