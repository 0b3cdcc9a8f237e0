// A project that opened is saved, opened again and saved again: the two
// saves must be the same bytes, or the second opening lost something the
// first kept. The regression files are inputs the project file fuzzer found.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "model/project/morph_pair.h"
#include "project_file_fixture.h"
#include "pvk_reference.h"

namespace {

using pvktest::Bytes;
using pvktest::ReadHost;

namespace fs = std::filesystem;

class ProjectReopen : public pvktest::ProjectFileTest {
 protected:
  // Opens the bytes; when they open, saving, opening and saving again gives
  // the same file.
  void ExpectStableReopen(const Bytes& bytes, const std::string& what) {
    if (!Load(bytes)) return;
    const Bytes first = Save("first.pvk");
    ASSERT_TRUE(project().LoadProjectFile(Program("first.pvk").c_str())) << what;
    EXPECT_EQ(Save("second.pvk"), first) << what;
  }

  void ExpectKeysInOrder(const std::string& what) {
    const CBezierCurve& curve = *project().PairAt(0)->GetTimingCurve();
    ASSERT_GE(curve.GetSize(), 2) << what;
    for (int i = 1; i < curve.GetSize(); ++i) EXPECT_LE(curve[i - 1].x, curve[i].x) << what;
  }
};

// A curve stored with its x range running backwards has its keys turned
// round when they move into the pair's range; one frame leaves no range.
// Either way the pair opens with the default curve, and saves to a file that
// opens the same.
TEST_F(ProjectReopen, CurvesThePairsRangeCannotTakeGiveWayToTheDefault) {
  struct Case {
    const char* what;
    uint32_t frames;
    float x0, x1;
  } cases[] = {{"backwards range", 30, 29.0f, 0.0f}, {"one frame", 1, 0.0f, 29.0f}, {"plain", 30, 0.0f, 29.0f}};
  for (const Case& c : cases) {
    pvk::Project file;
    file.pairs.resize(1);
    file.pairs[0].frames = c.frames;
    file.pairs[0].curve.keys = {{0.0f, 0.0f}, {10.0f, 128.0f}, {20.0f, 128.0f}, {29.0f, 256.0f}};
    file.pairs[0].curve.x0 = c.x0;
    file.pairs[0].curve.x1 = c.x1;
    file.pairs[0].curve.y1 = 256.0f;
    ASSERT_TRUE(Load(pvk::WriteProject(file))) << c.what;
    ExpectKeysInOrder(c.what);
    const int keys = project().PairAt(0)->GetTimingCurve()->GetSize();
    EXPECT_EQ(keys, std::string(c.what) == "plain" ? 4 : 2) << c.what;
    ExpectStableReopen(pvk::WriteProject(file), c.what);
  }
}

TEST_F(ProjectReopen, FuzzFindingsReopenTheSame) {
  const char* root = std::getenv("CALVETTA_TEST_DATA");
  const fs::path folder = fs::path(root ? root : "../data") / "project";
  int files = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    ExpectStableReopen(ReadHost(entry.path().string()), entry.path().filename().string());
    ++files;
  }
  EXPECT_GT(files, 0);
}

}  // namespace
