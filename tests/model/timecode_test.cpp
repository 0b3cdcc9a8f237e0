// Timecode labels of the timeline ruler at 25 frames a second.
#include <gtest/gtest.h>

#include "model/project/timecode.h"

namespace {

std::u16string Label(UINT frame) { return CTimecode(frame).ToString().Native(); }

TEST(CTimecode, LabelsShowMinutesSecondsAndFrames) {
  EXPECT_EQ(Label(0), u"00:00:00");
  EXPECT_EQ(Label(24), u"00:00:24");
  EXPECT_EQ(Label(25), u"00:01:00");
  EXPECT_EQ(Label(1500), u"01:00:00");
  EXPECT_EQ(Label(1500 * 59 + 25 * 59 + 24), u"59:59:24");
}

TEST(CTimecode, HoursAreKeptButNotShown) {
  CTimecode hour(90000);
  EXPECT_EQ(hour.m_byHours, 1);
  EXPECT_EQ(hour.ToString().Native(), u"00:00:00");
  CTimecode mixed(2 * 90000 + 3 * 1500 + 4 * 25 + 5);
  EXPECT_EQ(mixed.Split(mixed.m_nFrame), 0x05040302u);  // hours in the lowest byte
  EXPECT_EQ(mixed.ToString().Native(), u"03:04:05");
}

TEST(CTimecode, SaturatesFromSixtyHoursOn) {
  for (UINT frame : {5400000u - 1, 5400000u, 5400001u, 0xFFFFFFFFu}) {
    CTimecode t(frame);
    if (frame < 5400000u) {
      EXPECT_EQ(t.m_byHours, 59);
      EXPECT_EQ(t.ToString().Native(), u"59:59:24");
      continue;
    }
    EXPECT_EQ(t.Split(frame), 0x183B3B3Bu) << frame;  // 59, 59, 59, 24
    EXPECT_EQ(t.ToString().Native(), u"59:59:24");
  }
}

}  // namespace
