// The tree's includes against the layer table, and the check itself on small
// trees written here.
#include "include_rules.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

namespace fs = std::filesystem;

namespace {

std::string Describe(const layers::CheckResult& result) {
  std::string text;
  for (const layers::Breach& b : result.breaches)
    text += b.file + ":" + std::to_string(b.line) + " includes " + b.target + ": " + b.why + "\n";
  for (const std::string& folder : result.unranked) text += "folder without a rank: " + folder + "\n";
  return text;
}

TEST(LayerRanks, TheTreeHoldsThePicture) {
  const layers::CheckResult result = layers::CheckTree(CALVETTA_SOURCE_DIR, layers::Allowances());
  EXPECT_TRUE(result.breaches.empty() && result.unranked.empty()) << Describe(result);
  // A tree read wrongly (no includes resolved) would pass vacuously.
  EXPECT_GT(result.includesChecked, 2000);
  for (const std::string& used : result.allowancesUsed) std::printf("accepted for now: %s\n", used.c_str());
}

TEST(LayerRanks, EveryRankedFolderExists) {
  for (const layers::Layer& layer : layers::LayerTable()) {
    if (std::string(layer.library) == "compat/types") continue;
    EXPECT_TRUE(fs::is_directory(fs::path(CALVETTA_SOURCE_DIR) / layer.library)) << layer.library;
  }
}

// A small tree with the folders of the table, written per case.
class SmallTree : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("calvetta_layers_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root_);
    Write("compat/include/compat/win32.h", "#include \"compat/win32/types.h\"\n");
    Write("compat/include/compat/win32/types.h", "");
    Write("compat/include/compat/d3d9.h", "#include \"compat/win32/types.h\"\n");
    Write("compat/win32/window_dc.h", "");
    Write("compat/host/host.cpp", "");
    Write("res/resource.h", "");
    Write("model/geometry/geometry.h", "#include \"compat/win32.h\"\n");
    Write("ui/pane.h", "#include \"model/geometry/geometry.h\"\n");
    Write("controls/slider.h", "#include \"ui/pane.h\"\n");  // same row
    Write("guitk/kit_bar.cpp", "#include \"compat/win32.h\"\n");
  }
  void TearDown() override { fs::remove_all(root_); }

  void Write(const std::string& relative, const std::string& text) {
    fs::create_directories((root_ / relative).parent_path());
    std::ofstream(root_ / relative) << text;
  }
  layers::CheckResult Check(const std::vector<layers::Allowance>& allowances = {}) {
    return layers::CheckTree(root_, allowances);
  }
  static std::set<std::string> Files(const layers::CheckResult& result) {
    std::set<std::string> files;
    for (const layers::Breach& b : result.breaches) files.insert(b.file + ":" + std::to_string(b.line));
    return files;
  }

  fs::path root_;
};

TEST_F(SmallTree, DownwardAndSameRowIncludesPass) {
  const layers::CheckResult result = Check();
  EXPECT_TRUE(result.breaches.empty()) << Describe(result);
  EXPECT_EQ(result.includesChecked, 6);
}

TEST_F(SmallTree, AnIncludeThatClimbsIsReportedWithItsLine) {
  Write("model/geometry/geometry.cpp", "// what it is\n#include \"model/geometry/geometry.h\"\n#include \"ui/pane.h\"\n");
  const layers::CheckResult result = Check();
  ASSERT_EQ(result.breaches.size(), 1u) << Describe(result);
  EXPECT_EQ(result.breaches[0].file, "model/geometry/geometry.cpp");
  EXPECT_EQ(result.breaches[0].line, 3);
  EXPECT_EQ(result.breaches[0].target, "ui/pane.h");
}

TEST_F(SmallTree, IncludesBesideTheFileResolveToTheirOwnFolder) {
  // "pane.h" beside a model file is the model's own, not ui's.
  Write("model/geometry/pane.h", "");
  Write("model/geometry/near.cpp", "#include \"pane.h\"\n#include \"../../ui/pane.h\"\n");
  EXPECT_EQ(Files(Check()), std::set<std::string>{"model/geometry/near.cpp:2"});
}

TEST_F(SmallTree, PrivateCompatHeadersStayInTheirFamily) {
  Write("compat/win32/paint.cpp", "#include \"compat/win32/window_dc.h\"\n");
  Write("compat/d3d9/device.cpp", "#include \"compat/win32/window_dc.h\"\n#include \"compat/win32.h\"\n");
  Write("ui/pane.cpp", "#include \"compat/win32/window_dc.h\"\n");
  // Tests may drive compat's private hooks.
  Write("tests/ui/pane_test.cpp", "#include \"compat/win32/window_dc.h\"\n");
  EXPECT_EQ(Files(Check()), (std::set<std::string>{"compat/d3d9/device.cpp:1", "ui/pane.cpp:1"}));
}

TEST_F(SmallTree, NothingIncludesTheTests) {
  Write("tests/model/fake.h", "#include \"ui/pane.h\"\n");
  Write("model/geometry/uses_fake.cpp", "#include \"tests/model/fake.h\"\n");
  EXPECT_EQ(Files(Check()), std::set<std::string>{"model/geometry/uses_fake.cpp:1"});
}

TEST_F(SmallTree, TheHostStaysBelowTheWindowManager) {
  Write("compat/host/keys.cpp", "#include \"compat/win32/types.h\"\n#include \"compat/win32.h\"\n");
  EXPECT_EQ(Files(Check()), std::set<std::string>{"compat/host/keys.cpp:2"});
}

TEST_F(SmallTree, TheToolkitAndTheResourcesReachOnlyCompat) {
  // The program's resources rank lowest, yet the toolkit may not read them.
  Write("guitk/kit_caption.cpp", "#include \"res/resource.h\"\n");
  Write("res/pictures/draw.cpp", "#include \"model/geometry/geometry.h\"\n");
  EXPECT_EQ(Files(Check()), (std::set<std::string>{"guitk/kit_caption.cpp:1", "res/pictures/draw.cpp:1"}));
}

TEST_F(SmallTree, IncludesAreReadAsThePreprocessorReadsThem) {
  Write("model/geometry/spaced.cpp",
        "// #include \"ui/pane.h\" in a comment\n  #  include \"ui/pane.h\"\n#include <ui/pane.h>\n");
  EXPECT_EQ(Files(Check()), std::set<std::string>{"model/geometry/spaced.cpp:2"});
}

TEST_F(SmallTree, AFolderWithoutARankFails) {
  Write("gadgets/gadget.cpp", "");
  EXPECT_EQ(Check().unranked, std::vector<std::string>{"gadgets"});
}

TEST_F(SmallTree, AnAllowanceCoversOnlyItsOwnInclude) {
  Write("compat/host/keys.cpp", "#include \"compat/win32.h\"\n");
  Write("compat/host/other.cpp", "#include \"compat/win32.h\"\n");
  const layers::CheckResult result = Check({{"compat/host/keys.cpp", "compat/include/compat/win32.h"}});
  EXPECT_EQ(Files(result), std::set<std::string>{"compat/host/other.cpp:1"});
  EXPECT_EQ(result.allowancesUsed.size(), 1u);
}

TEST_F(SmallTree, BuildFoldersAndSystemHeadersAreNotRead) {
  Write("build/test/generated.cpp", "#include \"ui/pane.h\"\n");
  Write("model/geometry/sys.cpp", "#include <vector>\n#include \"no_such_header.h\"\n");
  const layers::CheckResult result = Check();
  EXPECT_TRUE(result.breaches.empty()) << Describe(result);
}

}  // namespace
