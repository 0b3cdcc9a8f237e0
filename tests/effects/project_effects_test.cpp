// Every effect inside a project file: saved, loaded and saved again to the
// same bytes, the effects coming back with their own classes and values.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "compat/host_path.h"
#include "effects/fly_effect.h"
#include "effects/wave_effect.h"
#include "model/project/effect.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "model/project/no_effect.h"
#include "support/tool_runner.h"

namespace {

using Bytes = std::vector<char>;

Bytes ReadHost(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

class ProjectEffects : public ::testing::Test {
 protected:
  void SetUp() override { project().ResetProject(); }
  void TearDown() override { project().ResetProject(); }
  static CMorphProject& project() { return *GetMorphProject(); }

  Bytes Save(const std::string& name) {
    EXPECT_TRUE(project().SaveProjectFile(compat::FromHostPath(dir_.File(name)).c_str()));
    return ReadHost(dir_.File(name));
  }
  BOOL Load(const std::string& name) {
    return project().LoadProjectFile(compat::FromHostPath(dir_.File(name)).c_str());
  }

  testsupport::TempDir dir_;
};

TEST_F(ProjectEffects, EveryEffectSurvivesTheProjectFileByteForByte) {
  CNoEffect linked;  // keeps its registration in this program
  const std::vector<int> ids = GetEffectRegistry().GetIds();
  ASSERT_EQ(ids.size(), 13u);
  // One pair per effect, in as that effect and out as the next one.
  for (size_t i = 0; i < ids.size(); ++i) {
    if (i > 0) {
      ASSERT_TRUE(project().InsertPair());
    }
    CMorphPair* pair = project().CurrentPair();
    delete pair->m_inEffect;
    delete pair->m_outEffect;
    pair->m_inEffect = GetEffectRegistry().Create(ids[i]);
    pair->m_outEffect = GetEffectRegistry().Create(ids[(i + 1) % ids.size()]);
  }
  // Values off the defaults, so that a block read in the wrong order shows.
  auto* fly = dynamic_cast<CFlyEffect*>(project().PairAt(2)->m_inEffect);
  ASSERT_NE(fly, nullptr);
  fly->m_style = 0;
  fly->m_stripCount = 2;
  auto* wave = dynamic_cast<CWaveEffect*>(project().PairAt(4)->m_inEffect);
  ASSERT_NE(wave, nullptr);
  wave->m_strength = 3.5f;
  wave->m_frequency = 40.0f;

  const Bytes first = Save("a.pvk");
  ASSERT_TRUE(Load("a.pvk"));
  ASSERT_EQ(project().GetPairCount(), static_cast<int>(ids.size()));
  for (size_t i = 0; i < ids.size(); ++i) {
    ASSERT_NE(project().PairAt(static_cast<int>(i))->m_inEffect, nullptr);
    EXPECT_EQ(project().PairAt(static_cast<int>(i))->m_inEffect->GetID(), ids[i]);
    EXPECT_EQ(project().PairAt(static_cast<int>(i))->m_outEffect->GetID(), ids[(i + 1) % ids.size()]);
  }
  fly = dynamic_cast<CFlyEffect*>(project().PairAt(2)->m_inEffect);
  ASSERT_NE(fly, nullptr);
  EXPECT_EQ(fly->m_style, 0);
  EXPECT_EQ(fly->m_stripCount, 2);
  wave = dynamic_cast<CWaveEffect*>(project().PairAt(4)->m_inEffect);
  ASSERT_NE(wave, nullptr);
  EXPECT_EQ(wave->m_frequency, 40.0f);
  EXPECT_EQ(Save("b.pvk"), first);
}

}  // namespace
