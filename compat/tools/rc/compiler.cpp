// Compiling a script, and writing the generated table source and its dependency file.
#include "compat/tools/rc/compiler.h"

#include "compat/tools/rc/parser.h"
#include "compat/tools/rc/preprocessor.h"
#include "compat/tools/rc/sources.h"

namespace rc {
namespace {

constexpr size_t kBytesPerLine = 20;

void AppendHexBytes(std::string& out, const std::vector<uint8_t>& data) {
  static const char kHex[] = "0123456789abcdef";
  for (size_t i = 0; i < data.size(); ++i) {
    if (i % kBytesPerLine == 0) out += "\n   ";
    out += " 0x";
    out += kHex[data[i] >> 4];
    out += kHex[data[i] & 15];
    out += ',';
  }
  out += '\n';
}

// Makefile syntax: spaces and '#' in a path are escaped.
std::string DepfilePath(const std::filesystem::path& path) {
  std::string out;
  for (char c : path.string()) {
    if (c == ' ' || c == '#') out += '\\';
    if (c == '$') out += '$';
    out += c;
  }
  return out;
}

std::string CString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace

CompileResult CompileScript(const std::filesystem::path& script, const CompileOptions& options) {
  Sources sources(options.includeDirs);
  Preprocessor preprocessor(sources);
  for (const auto& [name, value] : options.defines) preprocessor.Define(name, value);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(script, ec))
    throw CompileError("error: cannot find the script " + script.string());
  std::vector<Token> tokens = preprocessor.Run(script);
  Parser parser(std::move(tokens), sources);
  CompileResult result;
  result.resources = parser.Run();
  result.dependencies = sources.Dependencies();
  return result;
}

std::string TableSource(const CompileResult& result, Module module, const std::string& scriptName) {
  std::string out;
  out += "// Resources compiled from " + scriptName + " by calvetta_rc at build time; do not edit.\n";
  out += "#include \"compat/resource_table.h\"\n\nnamespace {\n\n";
  const auto& resources = result.resources;
  for (size_t i = 0; i < resources.size(); ++i) {
    if (resources[i].data.empty()) continue;
    out += "alignas(4) const BYTE kData" + std::to_string(i) + "[] = {";
    AppendHexBytes(out, resources[i].data);
    out += "};\n\n";
  }
  if (!resources.empty()) {
    out += "const compat::ResourceEntry kEntries[] = {\n";
    for (size_t i = 0; i < resources.size(); ++i) {
      const Resource& r = resources[i];
      std::string data = r.data.empty() ? "nullptr" : "kData" + std::to_string(i);
      out += "    {" + std::to_string(r.type) + ", " + std::to_string(r.id) + ", " + data + ", " +
             std::to_string(r.data.size()) + "},\n";
    }
    out += "};\n\n";
  }
  out += "compat::ResourceTable table{";
  out += resources.empty() ? "nullptr" : "kEntries";
  out += ", " + std::to_string(resources.size()) + ", compat::ResourceModule::";
  out += module == Module::Framework ? "Framework" : "Program";
  out += ", " + CString(scriptName) + ", nullptr};\n";
  out += "[[maybe_unused]] const bool registered = compat::RegisterResourceTable(table);\n\n";
  out += "}  // namespace\n";
  return out;
}

std::string DepfileText(const std::filesystem::path& output, const CompileResult& result) {
  std::string out = DepfilePath(output) + ":";
  for (const auto& dependency : result.dependencies) out += " \\\n  " + DepfilePath(dependency);
  return out + "\n";
}

}  // namespace rc
