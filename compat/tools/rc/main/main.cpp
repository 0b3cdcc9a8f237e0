// calvetta_rc: compiles a resource script into a C++ source holding the resources.
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "compat/tools/rc/compiler.h"

namespace {

namespace fs = std::filesystem;

struct Arguments {
  rc::CompileOptions options;
  rc::Module module = rc::Module::Program;
  fs::path output, depfile, script;
};

const char kUsage[] =
    "usage: calvetta_rc [-I dir]... [-D name[=value]]... [--framework] [--depfile file] -o out.cpp script.rc\n";

bool ParseArguments(int argc, char** argv, Arguments& args) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (arg == "-I" || arg == "-D" || arg == "-o" || arg == "--depfile") {
      const char* v = value();
      if (!v) return false;
      if (arg == "-I") args.options.includeDirs.emplace_back(v);
      else if (arg == "-o") args.output = v;
      else if (arg == "--depfile") args.depfile = v;
      else {
        std::string define = v;
        size_t eq = define.find('=');
        args.options.defines.emplace_back(define.substr(0, eq), eq == std::string::npos ? "1" : define.substr(eq + 1));
      }
    } else if (arg == "--framework") {
      args.module = rc::Module::Framework;
    } else if (!arg.empty() && arg[0] != '-' && args.script.empty()) {
      args.script = arg;
    } else {
      return false;
    }
  }
  return !args.script.empty() && !args.output.empty();
}

// Leaves an unchanged output alone so that its object is not rebuilt.
bool WriteIfChanged(const fs::path& path, const std::string& text) {
  std::ifstream existing(path, std::ios::binary);
  if (existing) {
    std::ostringstream old;
    old << existing.rdbuf();
    if (old.str() == text) return true;
  }
  fs::path temporary = path;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) return false;
  }
  std::error_code ec;
  fs::rename(temporary, path, ec);
  return !ec;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments args;
  if (!ParseArguments(argc, argv, args)) {
    std::cerr << kUsage;
    return 2;
  }
  try {
    rc::CompileResult result = rc::CompileScript(args.script, args.options);
    std::string source = rc::TableSource(result, args.module, args.script.filename().string());
    if (!WriteIfChanged(args.output, source)) {
      std::cerr << "calvetta_rc: cannot write " << args.output.string() << "\n";
      return 1;
    }
    if (!args.depfile.empty() && !WriteIfChanged(args.depfile, rc::DepfileText(args.output, result))) {
      std::cerr << "calvetta_rc: cannot write " << args.depfile.string() << "\n";
      return 1;
    }
  } catch (const rc::CompileError& error) {
    std::cerr << error.what() << "\n";
    return 1;
  }
  return 0;
}
