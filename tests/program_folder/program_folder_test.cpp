// The data folders the build writes beside the programs: every picture opens
// with our reader and with an independent tool, which agree on its size and
// colours; the sample projects read with the independent project reader and
// name only pictures of those folders; and a copy of the program folder moved
// elsewhere finds every picture its samples name in its own folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "compat/host_path.h"
#include "imaging/image_file.h"
#include "model/pvk_reference.h"
#include "platform/program_folder.h"
#include "support/tool_runner.h"

namespace {

namespace fs = std::filesystem;
using testsupport::HaveTool;
using testsupport::RunTool;

fs::path ProgramFolder() { return fs::path(compat::ToHostPath(GetProgramFolder().GetString())); }

std::string Quote(const fs::path& path) { return "'" + path.string() + "'"; }

std::vector<fs::path> FilesOf(const fs::path& folder) {
  std::vector<fs::path> files;
  if (fs::is_directory(folder))
    for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

struct Decoded {
  LONG width = 0, height = 0;
  std::vector<DWORD> pixels;
};

bool Decode(const fs::path& file, Decoded& out) {
  CImageFile reader;
  const CString path(compat::FromHostPath(file.string()).c_str());
  if (!reader.Open(path) || !reader.GetSize(&out.width, &out.height) || out.width < 1 || out.height < 1) return false;
  out.pixels.resize(static_cast<size_t>(out.width) * out.height);
  return reader.ReadPixels(out.pixels.data(), out.width, out.height) != FALSE;
}

// Mean of one channel (shift 16 red, 8 green, 0 blue) as a fraction of 255.
double Mean(const Decoded& d, int shift) {
  double sum = 0.0;
  for (DWORD p : d.pixels) sum += (p >> shift) & 0xFF;
  return sum / d.pixels.size() / 255.0;
}

bool IsGrey(const Decoded& d) {
  return std::all_of(d.pixels.begin(), d.pixels.end(), [](DWORD p) {
    return ((p >> 16) & 0xFF) == ((p >> 8) & 0xFF) && ((p >> 8) & 0xFF) == (p & 0xFF);
  });
}

TEST(ProgramFolderPictures, EveryPictureOpensHereAndInAnIndependentToolAlike) {
  CALVETTA_REQUIRE_TOOL(HaveTool("identify"), "ImageMagick");
  // Folder, fewest pictures, whether they are grey levels.
  const struct {
    const char* name;
    size_t least;
    bool grey;
  } folders[] = {{"Image", 8, false}, {"Light", 4, false}, {"Mask", 4, true}, {"Wipe", 14, true}};
  std::set<std::string> formats;
  for (const auto& folder : folders) {
    const std::vector<fs::path> files = FilesOf(ProgramFolder() / folder.name);
    EXPECT_GE(files.size(), folder.least) << folder.name;
    for (const fs::path& file : files) {
      SCOPED_TRACE(file.string());
      formats.insert(Lower(file.extension().string()));
      Decoded ours;
      ASSERT_TRUE(Decode(file, ours));
      EXPECT_LE(std::max(ours.width, ours.height), 512) << "keep the pictures small";
      if (folder.grey) {
        EXPECT_TRUE(IsGrey(ours));
      }
      // The tool's size and mean red, green and blue, as fractions.
      std::istringstream theirs(
          RunTool("identify -format '%w %h %[fx:mean.r] %[fx:mean.g] %[fx:mean.b]' " + Quote(file) + "[0]"));
      LONG w = 0, h = 0;
      double r = -1, g = -1, b = -1;
      theirs >> w >> h >> r >> g >> b;
      EXPECT_EQ(w, ours.width);
      EXPECT_EQ(h, ours.height);
      EXPECT_NEAR(r, Mean(ours, 16), 0.01);
      EXPECT_NEAR(g, Mean(ours, 8), 0.01);
      EXPECT_NEAR(b, Mean(ours, 0), 0.01);
      // Not a blank: a picture to look at, a mask with a range of levels.
      const auto [darkest, lightest] = std::minmax_element(
          ours.pixels.begin(), ours.pixels.end(), [](DWORD a, DWORD b) { return (a & 0xFF00) < (b & 0xFF00); });
      EXPECT_GT((*lightest >> 8 & 0xFF) - (*darkest >> 8 & 0xFF), 64u);
    }
  }
  EXPECT_EQ(formats, (std::set<std::string>{".bmp", ".jpg", ".png", ".tga"}));
}

// --- the sample projects ---

constexpr char16_t kInstalled[] = u"C:\\Program Files\\Calvetta\\";

std::vector<uint8_t> ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Every picture a sample names, with the data folder it belongs in.
std::vector<std::pair<std::u16string, const char*>> NamedPictures(const pvk::Project& project) {
  std::vector<std::pair<std::u16string, const char*>> named;
  auto add = [&named](const std::u16string& path, const char* folder) {
    if (!path.empty()) named.emplace_back(path, folder);
  };
  for (const pvk::Pair& pair : project.pairs) {
    add(pair.source, "Image");
    add(pair.target, "Image");
    add(pair.lightPath, "Light");
    add(pair.wipePath, "Wipe");
    add(pair.totalMask, "Mask");
    for (const pvk::Effect* effect : {&pair.in, &pair.out})
      if (effect->id == pvk::kWipeEffectId) add(effect->maskPath, "Wipe");
  }
  return named;
}

class SampleProjects : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const fs::path& file : FilesOf(ProgramFolder() / "Sample")) {
      pvk::Project project;
      ASSERT_TRUE(pvk::ReadProject(ReadAll(file), project)) << file;
      m_samples.emplace_back(file, project);
    }
    ASSERT_GE(m_samples.size(), 3u);
  }
  std::vector<std::pair<fs::path, pvk::Project>> m_samples;
};

TEST_F(SampleProjects, TheIndependentReaderReadsPairsWithLinesCurvesFadesAndEffects) {
  std::set<uint32_t> effects;
  int curved = 0, faded = 0, lit = 0, transitions = 0;
  for (const auto& [file, project] : m_samples) {
    SCOPED_TRACE(file.string());
    EXPECT_GE(project.pairs.size(), 2u);
    EXPECT_EQ(project.width, 320);
    EXPECT_EQ(project.height, 240);
    for (const pvk::Pair& pair : project.pairs) {
      EXPECT_FALSE(pair.source_slot.lines.lines.empty());
      EXPECT_EQ(pair.source_slot.lines.lines.size(), pair.target_slot.lines.lines.size());
      // The slots were laid out for the output.
      EXPECT_EQ(pair.source_slot.layoutW, 320);
      EXPECT_EQ(pair.target_slot.layoutH, 240);
      curved += pair.curve.keys.size() > 2;
      faded += pair.fadeIn != pvk::Pair().fadeIn || pair.fadeOut != pvk::Pair().fadeOut;
      lit += !pair.lightPath.empty();
      transitions += !pair.wipePath.empty();
      effects.insert(pair.in.id);
      effects.insert(pair.out.id);
    }
  }
  EXPECT_GE(effects.size(), 10u) << "several different in and out effects";
  EXPECT_GE(curved, 3);
  EXPECT_GE(faded, 3);
  EXPECT_GE(lit, 3);
  EXPECT_GE(transitions, 2);
}

TEST_F(SampleProjects, EveryPictureNamedLiesInTheDataFolderOfItsKind) {
  for (const auto& [file, project] : m_samples) {
    for (const auto& [path, folder] : NamedPictures(project)) {
      SCOPED_TRACE(compat::Utf16ToUtf8(path));
      // Stored as made on an installed program, found again by its name.
      EXPECT_EQ(path.rfind(kInstalled, 0), 0u);
      const std::u16string name = path.substr(path.find_last_of(u'\\') + 1);
      EXPECT_TRUE(fs::exists(ProgramFolder() / folder / compat::ToHostPath(name)));
    }
  }
}

TEST_F(SampleProjects, AMovedCopyOfTheProgramFolderFindsEveryPictureInItsOwnFolders) {
  testsupport::TempDir temp;
  const fs::path moved = fs::path(temp.path()) / "moved program";
  fs::copy(CALVETTA_BIN_DIR, moved, fs::copy_options::recursive);
  std::string command = Quote(moved / "calvetta_samples") + " --check";
  size_t named = 0;
  for (const auto& [file, project] : m_samples) {
    command += " " + Quote(moved / "Sample" / file.filename());
    named += NamedPictures(project).size();
  }
  int status = -1;
  const std::string output = RunTool(command, &status);
  EXPECT_EQ(status, 0) << output;
  std::istringstream lines(output);
  size_t found = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("picture ", 0) != 0) continue;
    ++found;
    EXPECT_EQ(line.rfind("picture " + moved.string() + "/", 0), 0u) << line;
  }
  EXPECT_EQ(found, named) << output;
}

}  // namespace
