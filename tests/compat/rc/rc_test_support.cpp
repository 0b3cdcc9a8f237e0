// Helpers of the resource compiler's tests.
#include "rc_test_support.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace rctest {

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
  std::string pattern = (fs::temp_directory_path() / "calvetta_rc_XXXXXX").string();
  path_ = mkdtemp(pattern.data());
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

fs::path ScratchDir::Write(const std::string& name, const std::string& text) const {
  fs::path file = path_ / name;
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
  return file;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

bool Compile(const ScratchDir& dir, const std::string& script, rc::CompileResult& result, std::string& error,
             const std::vector<fs::path>& includeDirs) {
  fs::path file = dir.Write("main.rc", script);
  rc::CompileOptions options;
  options.includeDirs = includeDirs;
  try {
    result = rc::CompileScript(file, options);
    return true;
  } catch (const rc::CompileError& e) {
    error = e.what();
    return false;
  }
}

std::string CompileError(const std::string& script, const std::string& header) {
  ScratchDir dir;
  if (!header.empty()) dir.Write("ids.h", header);
  rc::CompileResult result;
  std::string error;
  if (Compile(dir, script, result, error)) return "";
  // Tests compare against the file's own name, not the scratch folder.
  std::string folder = dir.Path().string() + "/";
  for (size_t at; (at = error.find(folder)) != std::string::npos;) error.erase(at, folder.size());
  return error;
}

const rc::Resource* Find(const rc::CompileResult& result, uint16_t type, uint16_t id) {
  for (const rc::Resource& r : result.resources)
    if (r.type == type && r.id == id) return &r;
  return nullptr;
}

std::string RunCommand(const std::string& command, int& status) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) {
    status = -1;
    return output;
  }
  std::array<char, 4096> buffer;
  size_t got;
  while ((got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) output.append(buffer.data(), got);
  status = pclose(pipe);
  return output;
}

}  // namespace rctest
