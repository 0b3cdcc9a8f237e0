// Finding and reading the files a script names.
#include "compat/tools/rc/sources.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace rc {

namespace fs = std::filesystem;

fs::path Sources::Find(const std::string& name, const SourceLocation& from) const {
  std::string portable = name;
  std::replace(portable.begin(), portable.end(), '\\', '/');  // scripts name files the platform's way
  fs::path wanted(portable);
  std::error_code ec;
  if (wanted.is_absolute()) return fs::is_regular_file(wanted, ec) ? wanted : fs::path();
  if (from.file) {
    fs::path beside = fs::path(*from.file).parent_path() / wanted;
    if (fs::is_regular_file(beside, ec)) return beside;
  }
  for (const fs::path& dir : includeDirs_) {
    fs::path candidate = dir / wanted;
    if (fs::is_regular_file(candidate, ec)) return candidate;
  }
  return fs::path();
}

std::string Sources::Read(const fs::path& path, const SourceLocation& from, uint64_t limit) {
  std::error_code ec;
  uintmax_t size = fs::file_size(path, ec);
  if (ec) throw CompileError(from, "cannot read file " + path.string());
  if (size > limit)
    throw CompileError(from, "file " + path.string() + " is larger than " + std::to_string(limit) + " bytes");
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in && !in.eof()) throw CompileError(from, "cannot read file " + path.string());
  std::string bytes = text.str();
  if (bytes.size() != size) throw CompileError(from, "short read of file " + path.string());
  fs::path absolute = fs::absolute(path, ec);
  fs::path dependency = ec ? path : absolute.lexically_normal();
  if (std::find(dependencies_.begin(), dependencies_.end(), dependency) == dependencies_.end())
    dependencies_.push_back(dependency);
  return bytes;
}

const std::string* Sources::Name(const fs::path& path) {
  names_.push_back(path.string());
  return &names_.back();
}

}  // namespace rc
