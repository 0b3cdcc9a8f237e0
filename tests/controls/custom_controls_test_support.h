// The custom-control tests: the standard control fixture with the program's
// classes registered, the clock stopped, and the WM_NOTIFY records a parent
// received copied out as they arrived.
#pragma once

#include <string>
#include <vector>

#include "compat/afx.h"
#include "compat/controls/controls_test_support.h"
#include "controls/custom_controls.h"
#include "controls/custom_notify.h"

namespace customtest {

struct NotifyRecord {
  UINT_PTR id;
  UINT code;
  BYTE position;
  BYTE channel;
  int fullPosition;  // asked back from the sender while the record was delivered
  int frame;         // code 301
  DWORD color;       // codes 10, 33 and 34
  int mode;          // code 10
  int rgbOnly;       // codes 33 and 34
  int keepMarker;
};

class CustomControlTest : public controltest::ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    compat::StopClock();
    ASSERT_TRUE(controls::RegisterCustomControls(nullptr));
    Log().SetHandler(parent_, [this](HWND, UINT message, WPARAM, LPARAM lParam, LRESULT*) {
      if (message != WM_NOTIFY) return false;
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      NotifyRecord note{header->idFrom, header->code, 0, 0, -1, -1, 0, -1, -1, -1};
      // Only the slider notes carry the bytes after the header.
      if (header->code == controls::kNotifySliderMoving || header->code == controls::kNotifySliderReleased) {
        const auto* record = reinterpret_cast<const controls::NMSLIDER*>(lParam);
        note.position = record->position;
        note.channel = record->channel;
        SendMessageW(header->hwndFrom, WM_SLIDERPOS, 1, reinterpret_cast<LPARAM>(&note.fullPosition));
      }
      if (header->code == controls::kNotifyFrameChanged)
        note.frame = reinterpret_cast<const controls::NMFRAME*>(lParam)->frame;
      if (header->code == controls::kNotifyColorDragging || header->code == controls::kNotifyColorDragEnd) {
        const auto* record = reinterpret_cast<const controls::NMCOLORDRAG*>(lParam);
        note.color = record->color;
        note.rgbOnly = record->rgbOnly;
        note.keepMarker = record->keepMarker;
      }
      if (header->code == controls::kNotifyColorMode) {
        note.mode = reinterpret_cast<const controls::NMCOLORMODE*>(lParam)->mode;
        note.color = reinterpret_cast<const controls::NMCOLORMODE*>(lParam)->color;
      }
      notes_.push_back(note);
      return false;
    });
  }
  void TearDown() override {
    compat::ClearModalSteps();
    compat::RunClock();
    ControlTest::TearDown();
  }

  std::vector<UINT> NotifyCodes() const {
    std::vector<UINT> codes;
    for (const NotifyRecord& n : notes_) codes.push_back(n.code);
    return codes;
  }
  static void WritePng(HWND hwnd, const char* name) {
    for (int i = 0; i < 3; ++i) Pump();
    const std::string path = std::string(CALVETTA_CONTROLS_PNG_DIR) + "/" + name + ".png";
    EXPECT_TRUE(compat::WriteWindowPng(hwnd, path.c_str())) << path;
  }

  std::vector<NotifyRecord> notes_;
};

}  // namespace customtest
