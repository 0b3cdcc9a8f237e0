// Helpers for the codec tests: temporary folders, tool calls, netpbm files.
#include "imaging_test_tools.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace imaging_test {

TempFolder::TempFolder() {
  const char* base = getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/calvetta_imaging_XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back(0);
  if (mkdtemp(name.data())) m_path = name.data();
}

// Every picture a test leaves behind is also read through the image file
// object, which must deliver what its former road delivered.
TempFolder::~TempFolder() {
  if (!m_path.empty()) CompareLoadRoadsInFolder(m_path);
  std::error_code ignored;
  if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
}

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

bool RunTool(const std::string& command) { return system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0; }

bool HaveTool(const std::string& name) { return RunTool("command -v " + Quote(name)); }

const std::string& PythonWithPil() {
  static const std::string found = [] {
    for (const char* candidate : {"python3", "/usr/bin/python3"}) {
      if (RunTool(std::string(candidate) + " -c 'import PIL'")) return std::string(candidate);
    }
    return std::string();
  }();
  return found;
}

namespace {

// Next header token of a netpbm file, skipping comments.
bool Token(std::istream& in, std::string* token) {
  token->clear();
  int c;
  while ((c = in.get()) != EOF) {
    if (c == '#') {
      while ((c = in.get()) != EOF && c != '\n') {}
      continue;
    }
    if (isspace(c)) {
      if (!token->empty()) return true;
      continue;
    }
    *token += static_cast<char>(c);
  }
  return !token->empty();
}

bool ReadPam(std::istream& in, Rgba* picture) {
  std::string key, value, tuple;
  int depth = 0, maxval = 0;
  while (Token(in, &key) && key != "ENDHDR") {
    if (key == "TUPLTYPE") {
      Token(in, &tuple);
      continue;
    }
    if (!Token(in, &value)) return false;
    if (key == "WIDTH") picture->width = atoi(value.c_str());
    else if (key == "HEIGHT") picture->height = atoi(value.c_str());
    else if (key == "DEPTH") depth = atoi(value.c_str());
    else if (key == "MAXVAL") maxval = atoi(value.c_str());
  }
  if (maxval != 255 && !(maxval == 1 && tuple.rfind("BLACKANDWHITE", 0) == 0)) return false;
  size_t count = static_cast<size_t>(picture->width) * picture->height;
  std::vector<unsigned char> samples(count * depth);
  if (!in.read(reinterpret_cast<char*>(samples.data()), samples.size())) return false;
  picture->hasAlpha = depth == 2 || depth == 4;
  picture->pixels.resize(count * 4);
  for (size_t i = 0; i < count; ++i) {
    const unsigned char* s = &samples[i * depth];
    unsigned char* p = &picture->pixels[i * 4];
    int scale = maxval == 1 ? 255 : 1;
    if (depth <= 2) p[0] = p[1] = p[2] = static_cast<unsigned char>(s[0] * scale);
    else memcpy(p, s, 3);
    p[3] = depth == 2 ? s[1] : depth == 4 ? s[3] : 255;
  }
  return true;
}

}  // namespace

bool ReadNetpbm(const std::string& path, Rgba* picture) {
  std::ifstream in(path, std::ios::binary);
  std::string magic, token;
  if (!Token(in, &magic)) return false;
  if (magic == "P7") return ReadPam(in, picture);
  if (!Token(in, &token)) return false;
  picture->width = atoi(token.c_str());
  if (!Token(in, &token)) return false;
  picture->height = atoi(token.c_str());
  int maxval = 1;
  if (magic != "P4") {
    if (!Token(in, &token)) return false;
    maxval = atoi(token.c_str());
    if (maxval != 255) return false;
  }
  // One whitespace byte has been consumed by Token after the last number.
  size_t count = static_cast<size_t>(picture->width) * picture->height;
  picture->pixels.assign(count * 4, 255);
  picture->hasAlpha = false;
  if (magic == "P4") {
    size_t rowBytes = (picture->width + 7) / 8;
    std::vector<unsigned char> row(rowBytes);
    for (int y = 0; y < picture->height; ++y) {
      if (!in.read(reinterpret_cast<char*>(row.data()), rowBytes)) return false;
      for (int x = 0; x < picture->width; ++x) {
        bool black = (row[x / 8] >> (7 - x % 8)) & 1;
        unsigned char* p = &picture->pixels[(static_cast<size_t>(y) * picture->width + x) * 4];
        p[0] = p[1] = p[2] = black ? 0 : 255;
      }
    }
    return true;
  }
  int channels = magic == "P6" ? 3 : magic == "P5" ? 1 : 0;
  if (!channels) return false;
  std::vector<unsigned char> samples(count * channels);
  if (!in.read(reinterpret_cast<char*>(samples.data()), samples.size())) return false;
  for (size_t i = 0; i < count; ++i) {
    unsigned char* p = &picture->pixels[i * 4];
    if (channels == 1) p[0] = p[1] = p[2] = samples[i];
    else memcpy(p, &samples[i * 3], 3);
  }
  return true;
}

bool WritePpm(const std::string& path, const Rgba& picture) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << picture.width << " " << picture.height << "\n255\n";
  for (size_t i = 0; i < picture.pixels.size(); i += 4) out.write(reinterpret_cast<const char*>(&picture.pixels[i]), 3);
  return static_cast<bool>(out);
}

bool WritePam(const std::string& path, const Rgba& picture) {
  std::ofstream out(path, std::ios::binary);
  out << "P7\nWIDTH " << picture.width << "\nHEIGHT " << picture.height
      << "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
  out.write(reinterpret_cast<const char*>(picture.pixels.data()), picture.pixels.size());
  return static_cast<bool>(out);
}

bool DecodeWithMagick(const std::string& path, Rgba* picture, const std::string& options) {
  std::string pam = path + ".magick.pam";
  if (!RunTool("convert " + Quote(path) + " " + options + " -depth 8 " + Quote("pam:" + pam))) return false;
  bool read = ReadNetpbm(pam, picture);
  unlink(pam.c_str());
  return read;
}

bool DecodeWithPil(const std::string& path, Rgba* picture, int frame) {
  std::vector<Rgba> pictures;
  if (!DecodeAllWithPil({path}, &pictures, frame)) return false;
  *picture = pictures[0];
  return true;
}

bool DecodeAllWithPil(const std::vector<std::string>& paths, std::vector<Rgba>* pictures, int frame) {
  std::string script =
      "import sys\n"
      "from PIL import Image\n"
      "f = int(sys.argv[1])\n"
      "for path in sys.argv[2:]:\n"
      "    im = Image.open(path)\n"
      "    if f >= 0:\n"
      "        im = im.ico.frame(f) if hasattr(im, 'ico') else (im.seek(f) or im)\n"
      "    im = im.convert('RGBA')\n"
      "    out = open(path + '.pil.pam', 'wb')\n"
      "    out.write(b'P7\\nWIDTH %d\\nHEIGHT %d\\nDEPTH 4\\nMAXVAL 255\\nTUPLTYPE RGB_ALPHA\\nENDHDR\\n' % im.size)\n"
      "    out.write(im.tobytes())\n";
  std::string command = PythonWithPil() + " -c " + Quote(script) + " " + std::to_string(frame);
  for (const std::string& path : paths) command += " " + Quote(path);
  if (!RunTool(command)) return false;
  pictures->assign(paths.size(), Rgba());
  bool all = true;
  for (size_t i = 0; i < paths.size(); ++i) {
    std::string pam = paths[i] + ".pil.pam";
    all = ReadNetpbm(pam, &(*pictures)[i]) && all;
    unlink(pam.c_str());
  }
  return all;
}

bool SaveWithPil(const Rgba& picture, const std::string& path, const std::string& mode,
                 const std::string& saveArguments) {
  std::string raw = path + ".rgba";
  if (!WriteBytes(raw, picture.pixels)) return false;
  std::string script = "import sys\nfrom PIL import Image\n"
                       "im = Image.frombytes('RGBA', (" + std::to_string(picture.width) + ", " +
                       std::to_string(picture.height) + "), open(sys.argv[1], 'rb').read())\n"
                       "im.convert('" + mode + "').save(sys.argv[2]" + (saveArguments.empty() ? "" : ", ") +
                       saveArguments + ")\n";
  bool saved = RunTool(PythonWithPil() + " -c " + Quote(script) + " " + Quote(raw) + " " + Quote(path));
  unlink(raw.c_str());
  return saved;
}

Rgba ToRgba(CPicImage& image) {
  Rgba picture;
  image.IncreaseBpp(24);
  picture.width = static_cast<int>(image.GetWidth());
  picture.height = static_cast<int>(image.GetHeight());
  picture.hasAlpha = image.HasAlpha();
  picture.pixels.resize(static_cast<size_t>(picture.width) * picture.height * 4);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      RGBQUAD color = image.GetPixelColor(x, picture.height - 1 - y);
      unsigned char* p = &picture.pixels[(static_cast<size_t>(y) * picture.width + x) * 4];
      p[0] = color.rgbRed;
      p[1] = color.rgbGreen;
      p[2] = color.rgbBlue;
      p[3] = image.HasAlpha() ? image.AlphaGet(x, picture.height - 1 - y) : 255;
    }
  }
  return picture;
}

bool LoadWithUs(const std::string& path, DWORD formatId, CPicImage* image) {
  FILE* stream = fopen(path.c_str(), "rb");
  if (!stream) return false;
  bool decoded = image->Decode(stream, formatId);
  fclose(stream);
  return decoded;
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return static_cast<bool>(out);
}

Rgba TestPicture(int width, int height, int colors, bool alpha) {
  static const unsigned char kPalette[16][3] = {
      {0, 0, 0},     {255, 255, 255}, {200, 30, 40},  {30, 180, 60},  {20, 40, 220},  {250, 220, 0},
      {0, 200, 200}, {180, 0, 180},   {128, 128, 128}, {90, 60, 30},   {255, 128, 0},  {64, 0, 128},
      {0, 96, 48},   {160, 200, 255}, {40, 40, 40},   {220, 180, 160}};
  Rgba picture;
  picture.width = width;
  picture.height = height;
  picture.hasAlpha = alpha;
  picture.pixels.resize(static_cast<size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      unsigned char* p = &picture.pixels[(static_cast<size_t>(y) * width + x) * 4];
      if (colors > 0) {
        // Runs of equal pixels and lone ones, so run-length coders meet both.
        int index = ((x / 3) * 7 + y * 5 + (x == y ? 3 : 0)) % colors;
        if (colors == 2) memcpy(p, kPalette[index], 3);
        else if (colors <= 16) memcpy(p, kPalette[index], 3);
        else {
          p[0] = static_cast<unsigned char>(index * 37);
          p[1] = static_cast<unsigned char>(index * 11 + 5);
          p[2] = static_cast<unsigned char>(255 - index * 3);
        }
      } else {
        p[0] = static_cast<unsigned char>(x * 255 / (width > 1 ? width - 1 : 1));
        p[1] = static_cast<unsigned char>(y * 255 / (height > 1 ? height - 1 : 1));
        p[2] = static_cast<unsigned char>((x * 7 + y * 13) * 5);
      }
      p[3] = alpha ? static_cast<unsigned char>((x + y) % 3 == 0 ? 0 : 64 + (x * 19 + y) % 192) : 255;
    }
  }
  return picture;
}

::testing::AssertionResult SamePicture(const Rgba& expected, const Rgba& actual, bool compareAlpha,
                                       int tolerance) {
  if (expected.width != actual.width || expected.height != actual.height)
    return ::testing::AssertionFailure() << "size " << actual.width << "x" << actual.height << ", expected "
                                         << expected.width << "x" << expected.height;
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      const unsigned char* e = expected.At(x, y);
      const unsigned char* a = actual.At(x, y);
      int channels = compareAlpha ? 4 : 3;
      for (int c = 0; c < channels; ++c) {
        if (abs(e[c] - a[c]) > tolerance)
          return ::testing::AssertionFailure()
                 << "pixel (" << x << ", " << y << ") channel " << c << ": " << int(a[c]) << ", expected " << int(e[c]);
      }
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace imaging_test
