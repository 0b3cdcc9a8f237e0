// A reader of the platform's resource layouts, written from the published record layouts
// and sharing nothing with the compiler, so that the two can check each other.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rctest {

struct NameOrId {
  bool isId = false;
  uint16_t id = 0;
  std::u16string name;
};

struct DecodedItem {
  uint32_t style = 0, exStyle = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  uint16_t id = 0;
  NameOrId windowClass, title;
  uint16_t creationBytes = 0;
};

struct DecodedDialog {
  uint32_t style = 0, exStyle = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  NameOrId menu, windowClass;
  std::u16string title;
  uint16_t pointSize = 0;
  std::u16string face;
  std::vector<DecodedItem> items;
};

struct DecodedMenuItem {
  uint16_t flags = 0;
  uint16_t id = 0;
  std::u16string text;
  std::vector<DecodedMenuItem> children;
};

struct DecodedAccel {
  uint16_t flags, key, command;
};

struct DecodedDlgInit {
  uint16_t control, message;
  std::string text;  // without its NUL
};

// Each returns nothing when the bytes do not follow the layout exactly (all consumed).
std::optional<DecodedDialog> DecodeDialog(const std::vector<uint8_t>& bytes);
std::optional<std::vector<DecodedMenuItem>> DecodeMenu(const std::vector<uint8_t>& bytes);
std::optional<std::vector<DecodedAccel>> DecodeAccelerators(const std::vector<uint8_t>& bytes);
std::optional<std::vector<std::u16string>> DecodeStringBundle(const std::vector<uint8_t>& bytes);
std::optional<std::vector<DecodedDlgInit>> DecodeDlgInit(const std::vector<uint8_t>& bytes);

}  // namespace rctest
