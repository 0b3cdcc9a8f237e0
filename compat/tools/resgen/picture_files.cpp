// The platform's picture files: BITMAPFILEHEADER + DIB, and icon/cursor directories of DIBs.
#include "compat/tools/resgen/picture_files.h"

#include <cstdint>
#include <fstream>
#include <string>

namespace resgen {
namespace {

constexpr uint32_t kVgaPalette[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                      0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                      0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

class Bytes {
 public:
  void Byte(uint8_t v) { data_.push_back(static_cast<char>(v)); }
  void Word(uint16_t v) { Byte(v & 0xFF); Byte(v >> 8); }
  void Dword(uint32_t v) { Word(v & 0xFFFF); Word(v >> 16); }
  void Append(const Bytes& other) { data_ += other.data_; }
  size_t Size() const { return data_.size(); }
  bool Save(const std::filesystem::path& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data_.data(), static_cast<std::streamsize>(data_.size()));
    return static_cast<bool>(out.flush());
  }

 private:
  std::string data_;
};

uint32_t RowBytes(int width, int bitCount) { return ((static_cast<uint32_t>(width) * bitCount + 31) / 32) * 4; }

void InfoHeader(Bytes& out, int width, int height, int bitCount, uint32_t imageBytes) {
  out.Dword(40);
  out.Dword(static_cast<uint32_t>(width));
  out.Dword(static_cast<uint32_t>(height));
  out.Word(1);
  out.Word(static_cast<uint16_t>(bitCount));
  out.Dword(0);  // BI_RGB
  out.Dword(imageBytes);
  out.Dword(0);
  out.Dword(0);
  out.Dword(0);
  out.Dword(0);
}

// 1 bit: black and white. 4 bits: the VGA colours. 8 bits: the VGA colours,
// black and white for the two mask indices, then the picture's own colours.
void Palette(Bytes& out, int bitCount, const std::vector<uint32_t>& extra) {
  if (bitCount == 1) {
    out.Dword(0x000000);
    out.Dword(0xFFFFFF);
    return;
  }
  for (uint32_t rgb : kVgaPalette) out.Dword(rgb);  // RGBQUAD is blue, green, red, 0: the same DWORD
  if (bitCount == 4) return;
  out.Dword(0x000000);
  out.Dword(0xFFFFFF);
  for (size_t i = kFirstExtraColour; i < 256; ++i) out.Dword(i - kFirstExtraColour < extra.size() ? extra[i - kFirstExtraColour] : 0);
}

// Bottom-up rows of `bitCount` bits, each padded to a DWORD; `value` maps a pixel to its bits.
template <typename Value>
void Plane(Bytes& out, const Canvas& canvas, int bitCount, Value value) {
  uint32_t rowBytes = RowBytes(canvas.Width(), bitCount);
  for (int y = canvas.Height() - 1; y >= 0; --y) {
    std::string row(rowBytes, '\0');
    for (int x = 0; x < canvas.Width(); ++x) {
      unsigned bits = value(canvas.At(x, y)) & ((1u << bitCount) - 1);
      size_t bit = static_cast<size_t>(x) * bitCount;
      row[bit / 8] = static_cast<char>(row[bit / 8] | bits << (8 - bitCount - bit % 8));
    }
    for (char c : row) out.Byte(static_cast<uint8_t>(c));
  }
}

uint8_t MonoColour(uint8_t pixel) { return pixel == kWhite || pixel == kInvert ? 1 : 0; }
uint8_t MaskBit(uint8_t pixel) { return pixel == kTransparent || pixel == kInvert ? 1 : 0; }
uint8_t VgaColour(uint8_t pixel) {
  if (pixel < 16) return pixel;
  return pixel == kInvert ? uint8_t{kWhite} : uint8_t{kBlack};
}
uint8_t PaletteColour(uint8_t pixel) { return pixel < 16 || pixel >= kFirstExtraColour ? pixel : VgaColour(pixel); }

auto ColourOf(int bitCount) {
  return bitCount == 1 ? MonoColour : bitCount == 4 ? VgaColour : PaletteColour;
}

// A DIB for an icon or cursor: the header's height covers the colour and mask planes.
Bytes IconImage(const Canvas& canvas, int bitCount, const std::vector<uint32_t>& extra) {
  Bytes image;
  uint32_t colourBytes = RowBytes(canvas.Width(), bitCount) * canvas.Height();
  uint32_t maskBytes = RowBytes(canvas.Width(), 1) * canvas.Height();
  InfoHeader(image, canvas.Width(), canvas.Height() * 2, bitCount, colourBytes + maskBytes);
  Palette(image, bitCount, extra);
  Plane(image, canvas, bitCount, ColourOf(bitCount));
  Plane(image, canvas, 1, MaskBit);
  return image;
}

uint8_t DirSize(int size) { return size >= 256 ? 0 : static_cast<uint8_t>(size); }

}  // namespace

bool WriteBitmap(const std::filesystem::path& path, const Canvas& canvas, int bitCount,
                 const std::vector<uint32_t>& extraColours) {
  uint32_t paletteBytes = 4u << bitCount;
  uint32_t imageBytes = RowBytes(canvas.Width(), bitCount) * canvas.Height();
  uint32_t offset = 14 + 40 + paletteBytes;
  Bytes out;
  out.Byte('B');
  out.Byte('M');
  out.Dword(offset + imageBytes);
  out.Word(0);
  out.Word(0);
  out.Dword(offset);
  InfoHeader(out, canvas.Width(), canvas.Height(), bitCount, imageBytes);
  Palette(out, bitCount, extraColours);
  Plane(out, canvas, bitCount, ColourOf(bitCount));
  return out.Save(path);
}

bool WriteCursor(const std::filesystem::path& path, const CursorPicture& cursor, int bitCount,
                 const std::vector<uint32_t>& extraColours) {
  Bytes image = IconImage(cursor.canvas, bitCount, extraColours);
  Bytes out;
  out.Word(0);
  out.Word(2);  // cursor
  out.Word(1);
  out.Byte(DirSize(cursor.canvas.Width()));
  out.Byte(DirSize(cursor.canvas.Height()));
  out.Byte(bitCount >= 8 ? 0 : static_cast<uint8_t>(1u << bitCount));  // colours; 0 for 256
  out.Byte(0);
  out.Word(static_cast<uint16_t>(cursor.hotX));
  out.Word(static_cast<uint16_t>(cursor.hotY));
  out.Dword(static_cast<uint32_t>(image.Size()));
  out.Dword(6 + 16);
  out.Append(image);
  return out.Save(path);
}

bool WriteIcon(const std::filesystem::path& path, const std::vector<Canvas>& images, int bitCount,
               const std::vector<uint32_t>& extraColours) {
  std::vector<Bytes> dibs;
  for (const Canvas& canvas : images) dibs.push_back(IconImage(canvas, bitCount, extraColours));
  Bytes out;
  out.Word(0);
  out.Word(1);  // icon
  out.Word(static_cast<uint16_t>(images.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    out.Byte(DirSize(images[i].Width()));
    out.Byte(DirSize(images[i].Height()));
    out.Byte(bitCount >= 8 ? 0 : static_cast<uint8_t>(1u << bitCount));
    out.Byte(0);
    out.Word(1);  // planes
    out.Word(static_cast<uint16_t>(bitCount));
    out.Dword(static_cast<uint32_t>(dibs[i].Size()));
    out.Dword(offset);
    offset += static_cast<uint32_t>(dibs[i].Size());
  }
  for (const Bytes& dib : dibs) out.Append(dib);
  return out.Save(path);
}

}  // namespace resgen
