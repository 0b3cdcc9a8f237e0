// An independent reader of the swatch files, written from the record
// grammar alone (it shares no code with the program): it turns a file's
// bytes into one text line per field, or reports where the bytes stop
// making sense.
//
//   file      = count:u32 fill*count
//   fill      = type:i32 colour:u32 image? texture? pattern?
//   image     = flag:u32 (!= 0: kind:u32 value:f32)
//   texture   = flag:u32 (!= 0: kind:u32 value:f32 p1 p5 p4 p3 n:i32 p2)   p = x:f32 y:f32
//   pattern   = flag:u32 (!= 0: kind:u32 (1: kind:u32 string | 4: kind:u32 gradient gradient))
//   gradient  = stops:u16 (colour:u32 position:f32 [midpoint:f32 unless last])*stops
//               repeat:i32 angle:f32 mode:i32 style:i32 point*4 extra:u32
//   string    = 0xFF 0xFFFE length (UTF-16 units)*length
//   length    = u8 < 0xFF | 0xFF u16 < 0xFFFF | 0xFF 0xFFFF u32
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace swatchdump {

class Reader {
 public:
  explicit Reader(const std::vector<unsigned char>& bytes) : m_bytes(bytes) {}

  // The whole file as lines; throws std::runtime_error where it is short or
  // holds what the grammar does not allow.
  std::string DumpList() {
    const uint32_t count = U32();
    Line("count " + std::to_string(count));
    for (uint32_t i = 0; i < count; ++i) Fill();
    if (m_at != m_bytes.size()) throw std::runtime_error("bytes after the last record");
    return m_out;
  }
  std::string DumpFill() {
    Fill();
    if (m_at != m_bytes.size()) throw std::runtime_error("bytes after the record");
    return m_out;
  }

 private:
  void Fill() {
    const int32_t type = static_cast<int32_t>(U32());
    const uint32_t colour = U32();
    Line("fill type " + std::to_string(type) + " colour " + Hex(colour));
    if (U32()) {
      const uint32_t kind = U32();
      Line(" image kind " + std::to_string(kind) + " value " + Float(F32()));
    }
    if (U32()) {
      const uint32_t kind = U32();
      std::string line = " texture kind " + std::to_string(kind) + " value " + Float(F32());
      for (const char* name : {" p1 ", " p5 ", " p4 ", " p3 "}) line += name + Point();
      line += " n " + std::to_string(static_cast<int32_t>(U32()));
      line += " p2 " + Point();
      Line(line);
    }
    if (!U32()) return;
    const uint32_t kind = U32();
    if (kind == 1) {
      const uint32_t inner = U32();
      Line(" path kind " + std::to_string(inner) + " \"" + String() + "\"");
    } else if (kind == 4) {
      Line(" gradient kind " + std::to_string(U32()));
      Gradient();
      Gradient();
    } else {
      Line(" pattern kind " + std::to_string(kind) + " without a record");
    }
  }
  void Gradient() {
    const uint16_t stops = U16();
    if (stops > 256) throw std::runtime_error("more than 256 stops");
    Line("  stops " + std::to_string(stops));
    for (uint16_t i = 0; i < stops; ++i) {
      // One read per statement: the operands of + have no order.
      const uint32_t colour = U32();
      std::string line = "  stop " + Hex(colour);
      line += " at " + Float(F32());
      if (i + 1 < stops) line += " mid " + Float(F32());
      Line(line);
    }
    std::string line = "  repeat " + std::to_string(static_cast<int32_t>(U32()));
    line += " angle " + Float(F32());
    line += " mode " + std::to_string(static_cast<int32_t>(U32()));
    line += " style " + std::to_string(static_cast<int32_t>(U32()));
    for (int i = 0; i < 4; ++i) line += " " + Point();
    line += " extra " + Hex(U32());
    Line(line);
  }
  std::string String() {
    if (U8() != 0xFF || U16() != 0xFFFE) throw std::runtime_error("not a UTF-16 string");
    uint32_t length = U8();
    if (length == 0xFF) {
      length = U16();
      if (length == 0xFFFF) length = U32();
    }
    if (length > (m_bytes.size() - m_at) / 2) throw std::runtime_error("string beyond the file");
    std::string text;
    for (uint32_t i = 0; i < length; ++i) {
      const uint16_t unit = U16();
      text += unit < 0x80 ? std::string(1, static_cast<char>(unit)) : "\\u" + std::to_string(unit);
    }
    return text;
  }

  const unsigned char* Take(size_t n) {
    if (m_bytes.size() - m_at < n) throw std::runtime_error("short at byte " + std::to_string(m_at));
    const unsigned char* p = m_bytes.data() + m_at;
    m_at += n;
    return p;
  }
  uint8_t U8() { return *Take(1); }
  uint16_t U16() {
    const unsigned char* p = Take(2);
    return static_cast<uint16_t>(p[0] | p[1] << 8);
  }
  uint32_t U32() {
    const unsigned char* p = Take(4);
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
  }
  float F32() {
    const uint32_t bits = U32();
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
  }
  std::string Point() {
    const float x = F32();
    const float y = F32();
    return "(" + Float(x) + "," + Float(y) + ")";
  }
  static std::string Hex(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", v);
    return text;
  }
  static std::string Float(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(v));
    return text;
  }
  void Line(const std::string& line) { m_out += line + "\n"; }

  const std::vector<unsigned char>& m_bytes;
  size_t m_at = 0;
  std::string m_out;
};

}  // namespace swatchdump
