// What the program's resource tests share: the bytes of one resource and the
// list of every dialog template.
#pragma once

#include <cstdint>
#include <vector>

#include "compat/win32.h"
#include "res/resource.h"

namespace restest {

inline std::vector<uint8_t> ResourceBytes(UINT id, LPCWSTR type) {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
  if (found == nullptr) return {};
  const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
  return std::vector<uint8_t>(data, data + SizeofResource(nullptr, found));
}

inline const UINT kAllDialogs[] = {
    IDD_ABOUTBOX,          IDD_SOURCE_PANE,       IDD_TARGET_PANE,       IDD_TIMELINE,       IDD_EXPORT,
    IDD_PREVIEW,           IDD_OUTPUT_SIZE,       IDD_MORPHER_SETUP,     IDD_VARY_COLOR,     IDD_COLOR_PICKER_PAGE,
    IDD_BRUSH_EDIT,        IDD_SELECT_BACKGROUND, IDD_IMAGE_SWATCH,      IDD_IMAGE_FILE,     IDD_COLOR_PICKER,
    IDD_LOAD_SAMPLE,       IDD_TRANSITION_PANEL,  IDD_PREVIEW_PLAY,      IDD_CLIP_AREA,      IDD_COLOR_ADJUST,
    IDD_FRAME_SAVE,        IDD_EDIT_SLIDER,       IDD_WAVE_SETTINGS,     IDD_WIPE_SETTINGS,  IDD_FLY_SETTINGS,
    IDD_SCALE_ROTATE_SETTINGS, IDD_EMPTY_SETTINGS, IDD_PAGE_CURL_SETTINGS, IDD_TILE_SETTINGS, IDD_SCALE_SETTINGS,
};

}  // namespace restest
