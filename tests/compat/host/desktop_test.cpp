// The host: desktop sizes, input delivery order, and PNG capture checked by
// an independent reader (ImageMagick).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "compat/host.h"

namespace host = compat::host;

namespace {

std::string Shell(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[256];
  while (fgets(buffer, sizeof(buffer), pipe)) out += buffer;
  pclose(pipe);
  return out;
}

// "#RRGGBB" of one pixel, as ImageMagick reads it.
std::string PixelOf(const std::string& path, int x, int y) {
  std::string text = Shell("convert '" + path + "' -crop 1x1+" + std::to_string(x) + "+" + std::to_string(y) +
                         " -depth 8 txt:- 2>/dev/null");
  auto hash = text.find('#', text.find('\n'));
  return hash == std::string::npos ? "" : text.substr(hash, 7);
}

std::string TempPath(const char* name) { return ::testing::TempDir() + name; }

TEST(Desktop, ResetChecksTheSizeAndKeepsTheOldDesktopOnRefusal) {
  ASSERT_TRUE(host::ResetDesktop(320, 200));
  auto before = host::DesktopSurface();
  EXPECT_EQ(before->width, 320);
  EXPECT_EQ(before->pixels.size(), 320u * 200u);
  EXPECT_FALSE(host::ResetDesktop(0, 100));
  EXPECT_FALSE(host::ResetDesktop(-5, 100));
  EXPECT_FALSE(host::ResetDesktop(host::kMaxDesktopSide + 1, 10));
  EXPECT_EQ(host::DesktopSurface(), before);
  EXPECT_STREQ(host::DriverName(), "headless");
}

TEST(Desktop, InjectedInputReachesTheSinkAsAUserGivesIt) {
  std::vector<host::InputEvent> events;
  host::SetInputSink([&](const host::InputEvent& e) { events.push_back(e); });
  host::InjectClick(1, 30, 40);
  host::InjectWheel(-120, 5, 6);
  host::InjectKeyPress(0x41);
  host::SetInputSink(nullptr);
  ASSERT_EQ(events.size(), 8u);
  EXPECT_EQ(events[0].kind, host::InputKind::MouseMove);
  EXPECT_EQ(events[1].kind, host::InputKind::ButtonDown);
  EXPECT_EQ(events[1].button, 1);
  EXPECT_EQ(events[1].x, 30);
  EXPECT_EQ(events[3].kind, host::InputKind::ButtonUp);
  EXPECT_EQ(events[4].kind, host::InputKind::MouseMove);
  EXPECT_EQ(events[4].x, 5);
  EXPECT_EQ(events[5].kind, host::InputKind::Wheel);
  EXPECT_EQ(events[5].wheelDelta, -120);
  EXPECT_EQ(events[6].kind, host::InputKind::KeyDown);
  EXPECT_EQ(events[7].kind, host::InputKind::KeyUp);
  EXPECT_EQ(events[7].virtualKey, 0x41u);
  for (const auto& e : events) EXPECT_NE(e.time, 0u);
  // With no sink, input goes nowhere and nothing breaks.
  host::InjectClick(0, 1, 1);
}

TEST(Desktop, PngCaptureIsReadBackPixelForPixel) {
  host::Surface surface;
  surface.width = 40;
  surface.height = 30;
  surface.pixels.assign(40 * 30, 0xFF000000u);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      surface.Row(y)[x] = 0xFF000000u | (static_cast<uint32_t>(x * 6) << 16) | (static_cast<uint32_t>(y * 8) << 8) | 0x33;
  const std::string whole = TempPath("calvetta_whole.png");
  std::string error;
  ASSERT_TRUE(host::WriteSurfacePng(surface, nullptr, whole, &error)) << error;
  EXPECT_EQ(Shell("identify -format '%w %h' '" + whole + "'"), "40 30");
  EXPECT_EQ(PixelOf(whole, 0, 0), "#000033");
  EXPECT_EQ(PixelOf(whole, 39, 29), "#EAE833");
  EXPECT_EQ(PixelOf(whole, 10, 5), "#3C2833");
  // A rectangle partly outside is clipped to the surface.
  const std::string part = TempPath("calvetta_part.png");
  RECT rect{30, 20, 100, 100};
  ASSERT_TRUE(host::WriteSurfacePng(surface, &rect, part, &error)) << error;
  EXPECT_EQ(Shell("identify -format '%w %h' '" + part + "'"), "10 10");
  EXPECT_EQ(PixelOf(part, 0, 0), "#B4A033");
  // Nothing to capture, or nowhere to write: a failure with its reason.
  RECT outside{50, 50, 60, 60};
  EXPECT_FALSE(host::WriteSurfacePng(surface, &outside, part, &error));
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_FALSE(host::WriteSurfacePng(surface, nullptr, "/nonexistent-folder/x.png", &error));
  EXPECT_NE(error.find("/nonexistent-folder/x.png"), std::string::npos);
  std::remove(whole.c_str());
  std::remove(part.c_str());
}

}  // namespace
