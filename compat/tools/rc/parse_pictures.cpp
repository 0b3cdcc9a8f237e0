// BITMAP, ICON and CURSOR: picture files turned into the platform's resource layouts.
#include "compat/tools/rc/parser.h"

namespace rc {
namespace {

constexpr uint64_t kMaxPictureBytes = 64ull << 20;
constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kDirHeaderBytes = 6, kDirEntryBytes = 16;
constexpr uint16_t kMaxDirImages = 256;
constexpr uint32_t kDibHeaderBytes = 40;
constexpr uint16_t kIconType = 1, kCursorType = 2;

uint16_t Word(const std::string& b, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}
uint32_t Dword(const std::string& b, size_t at) { return Word(b, at) | static_cast<uint32_t>(Word(b, at + 2)) << 16; }

bool KnownInfoHeaderSize(uint32_t size) {
  return size == 12 || size == 40 || size == 52 || size == 56 || size == 64 || size == 108 || size == 124;
}

}  // namespace

std::string Parser::ReadPicture(const Token& name, uint64_t limit) {
  std::u16string wide = WideString(name);
  std::string file;
  for (char16_t unit : wide) {
    if (unit >= 0x80) Fail(name, "picture file names must be ASCII");
    file.push_back(static_cast<char>(unit));
  }
  std::filesystem::path path = sources_.Find(file, name.where);
  if (path.empty()) Fail(name, "cannot find the file \"" + file + "\"");
  return sources_.Read(path, name.where, limit);
}

// The resource is the file without its 14-byte file header.
void Parser::Bitmap(uint16_t id, const SourceLocation& where) {
  const Token& name = ExpectString("naming the .bmp file");
  std::string bytes = ReadPicture(name, kMaxPictureBytes);
  if (bytes.size() < kFileHeaderBytes + 12 || bytes[0] != 'B' || bytes[1] != 'M' ||
      !KnownInfoHeaderSize(Dword(bytes, kFileHeaderBytes)))
    Fail(name, "the file is not a .bmp picture");
  if (Dword(bytes, 10) > bytes.size()) Fail(name, "the .bmp file's pixel offset lies beyond its end");
  std::vector<uint8_t> data(bytes.begin() + kFileHeaderBytes, bytes.end());
  Add(kRtBitmap, id, where, std::move(data));
}

// Each picture of the file becomes an RT_ICON or RT_CURSOR of its own, numbered here;
// the group resource lists them with the sizes a loader chooses by.
void Parser::IconOrCursor(uint16_t id, const SourceLocation& where, bool cursor) {
  const Token& name = ExpectString(cursor ? "naming the .cur file" : "naming the .ico file");
  std::string bytes = ReadPicture(name, kMaxPictureBytes);
  const char* kind = cursor ? ".cur" : ".ico";
  uint16_t fileType = cursor ? kCursorType : kIconType;
  if (bytes.size() < kDirHeaderBytes || Word(bytes, 0) != 0 || Word(bytes, 2) != fileType)
    Fail(name, std::string("the file is not a ") + kind + " file");
  uint16_t count = Word(bytes, 4);
  if (count == 0 || count > kMaxDirImages) Fail(name, std::string("the ") + kind + " file's image count is not usable");
  if (bytes.size() < kDirHeaderBytes + uint64_t{count} * kDirEntryBytes)
    Fail(name, std::string("the ") + kind + " file's directory is cut short");

  ByteWriter group;
  group.Word(0);
  group.Word(fileType);
  group.Word(count);
  std::vector<Resource> images;
  for (uint16_t i = 0; i < count; ++i) {
    size_t entry = kDirHeaderBytes + size_t{i} * kDirEntryBytes;
    uint32_t size = Dword(bytes, entry + 8), offset = Dword(bytes, entry + 12);
    if (uint64_t{offset} + size > bytes.size() || size < 8)
      Fail(name, std::string("image ") + std::to_string(i) + " of the " + kind + " file lies outside it");
    std::string image = bytes.substr(offset, size);
    bool dib = size >= kDibHeaderBytes && Dword(image, 0) == kDibHeaderBytes;
    if (cursor && !dib) Fail(name, "cursor images must be device-independent bitmaps");
    if (nextImageId_ > 0xFFFF) Fail(name, "too many icon and cursor images in one script");
    uint16_t imageId = static_cast<uint16_t>(nextImageId_++);
    uint16_t planes = dib ? Word(image, 12) : Word(bytes, entry + 4);
    uint16_t bitCount = dib ? Word(image, 14) : Word(bytes, entry + 6);
    ByteWriter data;
    if (cursor) {
      data.Word(Word(bytes, entry + 4));  // hot spot x
      data.Word(Word(bytes, entry + 6));  // hot spot y
      // The directory gives the height of the colour and mask planes together, as the DIB does.
      group.Word(static_cast<uint16_t>(Dword(image, 4)));
      group.Word(static_cast<uint16_t>(Dword(image, 8)));
      group.Word(planes);
      group.Word(bitCount);
      group.Dword(size + 4);
    } else {
      group.Byte(static_cast<uint8_t>(bytes[entry]));
      group.Byte(static_cast<uint8_t>(bytes[entry + 1]));
      group.Byte(static_cast<uint8_t>(bytes[entry + 2]));
      group.Byte(0);
      group.Word(planes);
      group.Word(bitCount);
      group.Dword(size);
    }
    group.Word(imageId);
    data.Bytes(image.data(), image.size());
    images.push_back(Resource{static_cast<uint16_t>(cursor ? kRtCursor : kRtIcon), imageId, std::move(data.Data())});
  }
  Add(cursor ? kRtGroupCursor : kRtGroupIcon, id, where, std::move(group.Data()));
  for (Resource& image : images) Add(image.type, image.id, where, std::move(image.data));
}

}  // namespace rc
