// A test fixture for project files: a fresh project before and after each
// case, and Load and Save through real files in a folder of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "compat/host_path.h"
#include "model/project/morph_project.h"
#include "support/tool_runner.h"

namespace pvktest {

using Bytes = std::vector<uint8_t>;

inline Bytes ReadHost(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void WriteHost(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class ProjectFileTest : public ::testing::Test {
 protected:
  void SetUp() override { project().ResetProject(); }
  void TearDown() override {
    project().ResetProject();
    project().SetOutputSize(256, 256);
  }

  static CMorphProject& project() { return *GetMorphProject(); }
  std::u16string Program(const std::string& name) const { return compat::FromHostPath(dir.File(name)); }

  Bytes Save(const std::string& name = "out.pvk") {
    EXPECT_TRUE(project().SaveProjectFile(Program(name).c_str()));
    return ReadHost(dir.File(name));
  }
  BOOL Load(const Bytes& bytes, const std::string& name = "in.pvk") {
    WriteHost(dir.File(name), bytes);
    return project().LoadProjectFile(Program(name).c_str());
  }

  testsupport::TempDir dir;
};

}  // namespace pvktest
