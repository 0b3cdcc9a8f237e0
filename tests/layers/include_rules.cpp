// Reads the tree's includes and holds them to the layer table.
#include "include_rules.h"

#include <algorithm>
#include <fstream>

namespace fs = std::filesystem;

namespace layers {

const std::vector<Layer>& LayerTable() {
  static const std::vector<Layer> table = {
      {"bench", 14, Reach::kBelow, "benchmarks of the hot paths"},
      {"fuzz", 14, Reach::kBelow, "fuzzing entry points"},
      {"tests", 14, Reach::kBelow, "the tests of every folder"},
      {"app", 13, Reach::kBelow, "the calvetta executable: application, main frame, document, view, start-up"},
      {"data", 13, Reach::kBelow, "the program folder's content, drawn at build time"},
      {"ui", 12, Reach::kBelow, "panes, panels and dialogs"},
      {"controls", 12, Reach::kBelow, "custom controls"},
      {"guitk", 11, Reach::kCompatOnly, "docking and menu toolkit (depends on compat only)"},
      {"export", 10, Reach::kBelow, "render thread and export writers"},
      {"render", 9, Reach::kBelow, "renderer, textures, frame rendering"},
      {"effects", 9, Reach::kBelow, "transition effects"},
      {"model", 8, Reach::kBelow, "project and pairs, geometry, mesh, outlines and text, rasters and fills"},
      {"imaging", 7, Reach::kBelow, "image codec library, image files, cache, quantiser, colour arithmetic"},
      {"platform", 6, Reach::kBelow, "settings store, registry values, file watcher, small system helpers"},
      {"res", 5, Reach::kCompatOnly, "resource scripts and the program's picture generator"},
      {"compat/afx", 4, Reach::kBelow, "application framework"},
      {"compat/controls", 3, Reach::kBelow, "standard and common control classes"},
      {"compat/d3d9", 3, Reach::kBelow, "Direct3D 9 + D3DX on a software rasteriser"},
      {"compat/vfw", 3, Reach::kBelow, "AVI files"},
      {"compat/swf", 3, Reach::kBelow, "SWF movies"},
      {"compat/tools", 3, Reach::kBelow, "the resource compiler and picture generators of the build"},
      {"compat/win32", 2, Reach::kBelow, "kernel, registry, profile, windows and messages, GDI, menus, dialogs"},
      {"compat/host", 1, Reach::kBelow, "the host: X11 or headless"},
      {"compat/types", 0, Reach::kBelow, "the platform's types, which every family speaks"},
  };
  return table;
}

const std::vector<Allowance>& Allowances() {
  // None today; an include that must climb for a while is named here, with its reason.
  static const std::vector<Allowance> allowances = {};
  return allowances;
}

namespace {

const Layer* FindLayer(const std::string& library) {
  for (const Layer& layer : LayerTable())
    if (library == layer.library) return &layer;
  return nullptr;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::string FirstPart(const std::string& path) { return path.substr(0, path.find('/')); }

// compat's public headers directly under compat/include/compat, by the
// family that implements them.
std::string PublicFamily(const std::string& name) {
  static const std::pair<const char*, const char*> families[] = {
      {"win32.h", "compat/win32"},      {"host_path.h", "compat/win32"},  {"wide_format.h", "compat/win32"},
      {"resource_table.h", "compat/win32"}, {"afx.h", "compat/afx"},    {"d3d9.h", "compat/d3d9"},
      {"d3dx9.h", "compat/d3d9"},       {"d3d9_present.h", "compat/d3d9"}, {"vfw.h", "compat/vfw"},
      {"swf.h", "compat/swf"},          {"host.h", "compat/host"},
  };
  for (const auto& [file, family] : families)
    if (name == file) return family;
  return "compat/" + name.substr(0, name.find_first_of("./"));
}

// The name of a quoted include on this line, empty for any other line.
std::string QuotedInclude(const std::string& line) {
  size_t at = line.find_first_not_of(" \t");
  if (at == std::string::npos || line[at] != '#') return {};
  at = line.find_first_not_of(" \t", at + 1);
  if (at == std::string::npos || line.compare(at, 7, "include") != 0) return {};
  at = line.find_first_not_of(" \t", at + 7);
  if (at == std::string::npos || line[at] != '"') return {};
  const size_t end = line.find('"', at + 1);
  return end == std::string::npos ? std::string() : line.substr(at + 1, end - at - 1);
}

bool IsSource(const fs::path& p) {
  const std::string ext = p.extension().string();
  return ext == ".h" || ext == ".hpp" || ext == ".cpp" || ext == ".cc" || ext == ".c" || ext == ".inl";
}

bool Skipped(const std::string& relative) {
  const std::string top = FirstPart(relative);
  return top.empty() || top[0] == '.' || StartsWith(top, "build") || top == "cmake" || top == "scripts" ||
         StartsWith(relative, "tests/data/");
}

// The file a quoted include names, as the compiler finds it: beside the
// includer, then from the tree's root, compat's public folder, the tests.
std::string Resolve(const fs::path& root, const std::string& includer, const std::string& name) {
  const fs::path beside = fs::path(includer).parent_path() / name;
  const fs::path candidates[] = {beside, fs::path(name), fs::path("compat/include") / name,
                                 fs::path("tests") / name};
  for (const fs::path& candidate : candidates) {
    std::error_code error;
    if (fs::is_regular_file(root / candidate, error)) return candidate.lexically_normal().generic_string();
  }
  return {};
}

std::string Judge(const Owner& from, const Owner& to) {
  if (to.library.empty() || to.library == from.library) return {};
  const Layer* fromLayer = FindLayer(from.library);
  const Layer* toLayer = FindLayer(to.library);
  if (fromLayer == nullptr || toLayer == nullptr) return {};
  const bool toCompat = StartsWith(to.library, "compat/");
  if (toCompat && !to.publicHeader && !from.test)
    return "reaches into the private headers of " + to.library;
  if (fromLayer->reach == Reach::kCompatOnly && !toCompat)
    return from.library + " depends on compat only, not on " + to.library;
  if (toLayer->rank > fromLayer->rank)
    return "climbs from " + from.library + " up to " + to.library;
  return {};
}

}  // namespace

Owner OwnerOf(const std::string& relative) {
  if (relative == "compat/include/compat/win32/types.h") return {"compat/types", true};
  if (StartsWith(relative, "compat/include/compat/")) {
    return {PublicFamily(relative.substr(std::string("compat/include/compat/").size())), true};
  }
  // The build's tools are used by the program's own generators too.
  if (StartsWith(relative, "compat/tools/")) return {"compat/tools", true};
  if (StartsWith(relative, "compat/")) {
    const size_t slash = relative.find('/', std::string("compat/").size());
    if (slash == std::string::npos) return {};
    return {relative.substr(0, slash), false};
  }
  // Tests stand above every layer (a toolkit test may open the program's
  // resources) and may drive compat's private hooks.
  if (StartsWith(relative, "tests/")) return {"tests", false, true};
  const std::string top = FirstPart(relative);
  if (top == relative) return {};
  return {top, false};
}

CheckResult CheckTree(const fs::path& root, const std::vector<Allowance>& allowances) {
  CheckResult result;
  std::vector<std::string> files;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    const std::string relative = fs::relative(it->path(), root).generic_string();
    if (it->is_directory() && Skipped(relative)) {
      it.disable_recursion_pending();
      continue;
    }
    if (it->is_regular_file() && IsSource(it->path()) && !Skipped(relative)) files.push_back(relative);
  }
  std::sort(files.begin(), files.end());
  for (const std::string& relative : files) {
    const Owner from = OwnerOf(relative);
    if (from.library.empty()) continue;
    if (FindLayer(from.library) == nullptr) {
      if (std::find(result.unranked.begin(), result.unranked.end(), from.library) == result.unranked.end())
        result.unranked.push_back(from.library);
      continue;
    }
    std::ifstream in(root / relative);
    std::string text;
    int lineNumber = 0;
    while (std::getline(in, text)) {
      ++lineNumber;
      const std::string name = QuotedInclude(text);
      if (name.empty()) continue;
      const std::string target = Resolve(root, relative, name);
      if (target.empty()) continue;  // a system or generated header
      ++result.includesChecked;
      const std::string why = Judge(from, OwnerOf(target));
      if (why.empty()) continue;
      const auto allowed = std::find_if(allowances.begin(), allowances.end(), [&](const Allowance& a) {
        return relative == a.file && target == a.target;
      });
      if (allowed != allowances.end()) {
        result.allowancesUsed.push_back(relative + " -> " + target);
        continue;
      }
      result.breaches.push_back(Breach{relative, lineNumber, target, why});
    }
  }
  return result;
}

}  // namespace layers
