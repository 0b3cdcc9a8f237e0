// The registry: ids ascending under the names the panel lists, each creating
// its own class; ids without an effect give nothing.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/project/effect.h"
#include "model/project/no_effect.h"

namespace {

TEST(EffectRegistry, ListsIdsInAscendingOrderUnderTheirNames) {
  CNoEffect linked;  // keeps its registration in this program
  EXPECT_EQ(linked.GetID(), 0);
  const std::map<int, std::u16string> known = {
      {0, u"No Effect"}, {1, u"Wipe"},         {2, u"Fly"},         {3, u"Scale and Rotate"},
      {4, u"Wave"},      {5, u"Screw"},        {7, u"Under Warer"}, {8, u"Circle Wave"},
      {10, u"Page Curl And Turn"}, {20, u"Tile"}, {21, u"Scale"}, {22, u"Special Wave"}, {23, u"Sphere Form"}};
  const std::vector<int> ids = GetEffectRegistry().GetIds();
  EXPECT_EQ(ids, (std::vector<int>{0, 1, 2, 3, 4, 5, 7, 8, 10, 20, 21, 22, 23}));
  for (int id : ids) {
    auto name = known.find(id);
    ASSERT_NE(name, known.end()) << "unexpected id " << id;
    EXPECT_EQ(std::u16string(GetEffectRegistry().Lookup(id)->name), name->second);
    std::unique_ptr<CEffect> effect(GetEffectRegistry().Create(id));
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->GetID(), id);
    EXPECT_EQ(std::u16string(effect->GetName()), name->second);
  }
}

TEST(EffectRegistry, IdsWithoutAnEffectCreateNothing) {
  for (int id : {6, 9, 11, 15, 19, 24, -1, 0x7FFFFFFF}) EXPECT_EQ(GetEffectRegistry().Create(id), nullptr) << id;
}

}  // namespace
