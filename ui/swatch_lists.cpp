// The process-wide swatch lists by file name.
#include "ui/swatch_lists.h"

#include <map>
#include <memory>
#include <string>

namespace {

std::map<std::u16string, std::unique_ptr<CSwatchList>>& Lists() {
  static std::map<std::u16string, std::unique_ptr<CSwatchList>> lists;
  return lists;
}

}  // namespace

CSwatchList& SharedSwatchList(LPCTSTR fileName) {
  auto& slot = Lists()[fileName];
  if (!slot) {
    slot = std::make_unique<CSwatchList>();
    ReadSwatchFile(SwatchFilePath(fileName), slot->fills);
  }
  return *slot;
}

BOOL SaveSharedSwatchList(LPCTSTR fileName) {
  return WriteSwatchFile(SwatchFilePath(fileName), SharedSwatchList(fileName).fills);
}

void ForgetSharedSwatchLists() { Lists().clear(); }
