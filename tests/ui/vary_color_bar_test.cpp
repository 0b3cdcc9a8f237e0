// The gradient stop bar as a user works it: inserting, dragging, moving
// midpoints and deleting stops, and the records its parent receives.
#include "ui/vary_color_bar.h"

#include "ui/palette_icon_host.h"

#include "ui_test_support.h"

namespace {

struct BarRecord {
  int state;
  int index;
  DWORD stopColor;
  int stopCount;
};

// A 216 x 60 bar: the bar itself spans x 8..208 (200 pixels) and y 12..44,
// markers hang from y 44, handles sit from y 0.
class VaryColorBarTest : public uitest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ASSERT_TRUE(CVaryColorBar::RegisterClass(nullptr));
    Log().SetHandler(parent_, [this](HWND, UINT message, WPARAM, LPARAM lParam, LRESULT*) {
      if (message != WM_NOTIFY) return false;
      const auto* record = reinterpret_cast<const controls::NMFILLCHANGE*>(lParam);
      if (record->hdr.code == controls::kNotifyFillChanged && record->kind == controls::kFillChangeGradient)
        records_.push_back({record->stopState, record->stopIndex, record->stopColor, record->gradient.stopCount});
      return false;
    });
    hwnd_ = Make(u"VaryColorBar", u"", 0, 10, 10, 216, 60, 1017);
    ASSERT_NE(hwnd_, nullptr);
    bar_ = VaryColorBarFromHandle(hwnd_);
    ASSERT_NE(bar_, nullptr);
  }
  POINT At(int x, int y) const { return controltest::ControlTest::At(hwnd_, x, y); }
  std::vector<float> Positions() {
    std::vector<float> positions;
    for (const auto& stop : bar_->m_stops) positions.push_back(stop.position);
    return positions;
  }
  std::vector<int> States() const {
    std::vector<int> states;
    for (const BarRecord& r : records_) states.push_back(r.state);
    return states;
  }
  void Drag(POINT from, std::initializer_list<POINT> path) {
    Press(from);
    for (POINT p : path) MoveTo(p);
    ReleaseAt(*(path.end() - 1));
  }
  CGradientDesc Stops(std::initializer_list<std::pair<float, DWORD>> stops) {
    CGradientDesc desc;
    desc.stopCount = static_cast<WORD>(stops.size());
    int i = 0;
    for (const auto& [position, colour] : stops) {
      desc.positions[i] = position;
      desc.colors[i++] = colour;
    }
    return desc;
  }

  HWND hwnd_ = nullptr;
  CVaryColorBar* bar_ = nullptr;
  std::vector<BarRecord> records_;
};

TEST_F(VaryColorBarTest, APressUnderTheBarInsertsABlendedStopAndSelectsIt) {
  ASSERT_EQ(bar_->m_stops.size(), 5u) << "the default descriptor";
  Click(At(33, 48));  // t = 0.125, half way between blue and green
  ASSERT_EQ(bar_->m_stops.size(), 6u);
  EXPECT_FLOAT_EQ(bar_->m_stops[1].position, 0.125f);
  EXPECT_EQ(bar_->m_stops[1].color, 0xFF007F80u);
  EXPECT_EQ(bar_->m_nSelected, 1);
  ASSERT_EQ(States(), (std::vector<int>{kStopInserted, kStopReleased}));
  EXPECT_EQ(records_[0].index, 1);
  EXPECT_EQ(records_[0].stopCount, 6);
  EXPECT_EQ(records_[1].index, -1);
  EXPECT_EQ(records_[1].stopColor, 0xFF007F80u);
  WritePng(parent_, "vary_color_bar");
}

TEST_F(VaryColorBarTest, TheLimitOf256StopsHolds) {
  CGradientDesc full;
  full.stopCount = kMaxGradientStops;
  for (int i = 0; i < kMaxGradientStops; ++i) full.positions[i] = static_cast<float>(i) / (kMaxGradientStops - 1);
  bar_->SetGradient(full);
  Click(At(100, 48));
  EXPECT_EQ(bar_->m_stops.size(), 256u);
  EXPECT_TRUE(records_.empty() || records_.back().stopCount == 256);
  for (const BarRecord& r : records_) EXPECT_NE(r.state, kStopInserted);
}

TEST_F(VaryColorBarTest, ADraggedStopPushesItsNeighboursButNeverPassesTheLast) {
  // Stop 3 (x 158) to x 40: stops 1 and 2 come along, stop 0 stays.
  Drag(At(158, 50), {At(120, 50), At(40, 50)});
  EXPECT_EQ(Positions(), (std::vector<float>{0.0f, 0.16f, 0.16f, 0.16f, 1.0f}));
  // Stop 1 far to the right: it stops at the last stop and the others follow.
  bar_->SetGradient(Stops({{0.0f, 0xFF000000}, {0.25f, 0xFF111111}, {0.5f, 0xFF222222}, {0.75f, 0xFF333333}}));
  records_.clear();
  Drag(At(58, 50), {At(150, 50), At(400, 50)});
  EXPECT_EQ(Positions(), (std::vector<float>{0.0f, 0.75f, 0.75f, 0.75f}));
  EXPECT_EQ(States(), (std::vector<int>{kStopPressed, kStopReleased}));
  EXPECT_EQ(records_[1].stopCount, 4);
  // The last stop dragged left pushes everything before it.
  bar_->SetGradient(Stops({{0.0f, 0xFF000000}, {0.25f, 0xFF111111}, {0.5f, 0xFF222222}, {0.75f, 0xFF333333}}));
  Drag(At(158, 50), {At(-50, 50)});
  EXPECT_EQ(Positions(), (std::vector<float>{0.0f, 0.0f, 0.0f, 0.0f}));
}

TEST_F(VaryColorBarTest, AMidpointHandleStaysBetweenItsStops) {
  // The handle of the segment ending at stop 1: x 8 + 200 x 0.125 = 33.
  Drag(At(33, 6), {At(120, 6)});
  EXPECT_EQ(bar_->m_nSelected, kMidpointHandle + 1);
  EXPECT_FLOAT_EQ(bar_->m_stops[1].midpoint, 1.0f);
  Drag(At(57, 6), {At(0, 6)});
  EXPECT_FLOAT_EQ(bar_->m_stops[1].midpoint, 0.0f);
  Drag(At(8, 6), {At(20, 6)});
  EXPECT_NEAR(bar_->m_stops[1].midpoint, 12.0f / 50.0f, 1e-5);
  CGradientDesc desc;
  bar_->GetGradient(desc);
  EXPECT_NEAR(desc.midpoints[0], 12.0f / 50.0f, 1e-5);
  // A handle press sends no pressed record; its release carries colour 0.
  ASSERT_FALSE(records_.empty());
  EXPECT_EQ(records_.back().state, kStopReleased);
  EXPECT_EQ(records_.back().stopColor, 0u);
  for (const BarRecord& r : records_) EXPECT_NE(r.state, kStopPressed);
}

TEST_F(VaryColorBarTest, DeleteKeepsTwoStopsAndTheSelectionInRange) {
  bar_->SetGradient(Stops({{0.0f, 0xFF000000}, {0.5f, 0xFF808080}, {1.0f, 0xFFFFFFFF}}));
  Click(At(208, 50));  // the last stop
  ASSERT_EQ(bar_->m_nSelected, 2);
  records_.clear();
  Key(VK_DELETE);
  ASSERT_EQ(bar_->m_stops.size(), 2u);
  EXPECT_EQ(bar_->m_nSelected, 1) << "the selection moves onto the new last stop";
  ASSERT_EQ(records_.size(), 1u);
  EXPECT_EQ(records_[0].state, kStopDeleted);
  EXPECT_EQ(records_[0].index, 2);
  EXPECT_EQ(records_[0].stopColor, 0xFFFFFFFFu);
  Key(VK_DELETE);
  EXPECT_EQ(bar_->m_stops.size(), 2u) << "two stops stay";
  EXPECT_EQ(records_.size(), 1u);

  // Code 41 recolours the stop that is selected, which exists.
  controls::NMSETCOLOR colour{};
  colour.hdr = NMHDR{parent_, 0, kNotifyStopColor};
  colour.color = 0xFF00FF00;
  SendMessageW(hwnd_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&colour));
  EXPECT_EQ(bar_->m_stops[1].color, 0xFF00FF00u);
  CGradientDesc desc;
  bar_->GetGradient(desc);
  EXPECT_EQ(desc.stopCount, 2);
  EXPECT_EQ(desc.colors[1], 0xFF00FF00u);
}

TEST_F(VaryColorBarTest, ABarWithoutStopsPaintsAndIgnoresPresses) {
  CGradientDesc none;
  none.stopCount = 0;
  bar_->SetGradient(none);
  Click(At(100, 48));
  Drag(At(100, 30), {At(150, 30)});
  Key(VK_DELETE);
  WritePng(hwnd_, "vary_color_bar_empty");
  EXPECT_LE(bar_->m_stops.size(), 1u);
}

}  // namespace

namespace {

TEST(UiClasses, TheLibraryRegistersTheStopBarOnce) {
  ASSERT_TRUE(RegisterUiClasses(nullptr));
  WNDCLASSW wc{};
  ASSERT_TRUE(GetClassInfoW(GetModuleHandleW(nullptr), u"VaryColorBar", &wc));
  EXPECT_EQ(wc.style & (CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_PARENTDC),
            static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_PARENTDC));
  EXPECT_TRUE(RegisterUiClasses(nullptr)) << "registered already, with this procedure";
}

}  // namespace
