// kitdemo's frame from its description file: the File popup of menu 128 as
// the popup menu manager draws it, and the description reader's checks.
#include <gtest/gtest.h>

#include "guitk_test_support.h"
#include "res/resource.h"

namespace {

using kittest::KitTest;
using kittest::OpenPopups;
using kittest::ScreenPixel;

class KitDemo : public KitTest {
 protected:
  void SetUp() override {
    KitTest::SetUp();
    std::string error;
    ASSERT_TRUE(kitdemo::LoadDescription(std::string(CALVETTA_KITDEMO_DIR) + "/file_menu.kit", &description_, &error))
        << error;
    frame_ = new kitdemo::CKitDemoFrame(description_);
    ASSERT_TRUE(frame_->Build());
    Pump();
  }
  void TearDown() override {
    frame_->DestroyWindow();
    KitTest::TearDown();
  }
  RECT ItemRect(HMENU popup, int position) {
    RECT r{};
    GetMenuItemRect(frame_->m_hWnd, popup, static_cast<UINT>(position), &r);
    return r;
  }
  // How many pixels of a rectangle of the desktop have the colour.
  static int Count(const RECT& r, COLORREF color) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += ScreenPixel(x, y) == color ? 1 : 0;
    return n;
  }

  kitdemo::Description description_;
  kitdemo::CKitDemoFrame* frame_ = nullptr;
};

TEST_F(KitDemo, TheFilePopupShowsPicturesAcceleratorsTheRadioBulletAndTheDisabledLook) {
  HMENU file = GetSubMenu(::GetMenu(frame_->m_hWnd), 0);
  kittest::MenuDriver driver;
  driver.HookWindow(frame_->m_hWnd);
  std::vector<std::u16string> captions;
  int newPicture = 0, openPictureColours = 0, savePictureColours = 0, saveEmbossDark = 0, radioBlack = 0, exitPicture = 0;
  const int column = frame_->m_menuManager.m_buttonSize.cx;
  driver.steps.push_back([&] {
    for (int i = 0; i < 4; ++i) captions.push_back(std::u16string(frame_->m_menuManager.GetItemCaption(file, static_cast<UINT>(i))));
    auto box = [&](int position) {
      RECT r = ItemRect(file, position);
      return RECT{r.left, r.top, r.left + column, r.bottom};
    };
    newPicture = Count(box(0), RGB(255, 255, 255));  // the New page is white
    const RECT save = box(2);
    saveEmbossDark = Count(save, GetSysColor(COLOR_3DSHADOW));
    savePictureColours = Count(save, RGB(0, 0, 0)) + Count(save, RGB(255, 255, 0));
    openPictureColours = Count(box(1), RGB(0, 0, 0)) + Count(box(1), RGB(255, 255, 0));
    radioBlack = Count(box(8), RGB(0, 0, 0));      // Export Current Frame
    exitPicture = Count(box(13), RGB(255, 255, 255));
    const std::string png = std::string(CALVETTA_GUITK_PNG_DIR) + "/guitk_kitdemo_file_popup.png";
    RECT whole;
    GetWindowRect(OpenPopups().at(0), &whole);
    InflateRect(&whole, 4, 4);
    EXPECT_TRUE(compat::host::WriteSurfacePng(*compat::host::DesktopSurface(), &whole, png));
  });
  RegisterPressedButton(ItemRect(::GetMenu(frame_->m_hWnd), 0), 0);
  const RECT title = ItemRect(::GetMenu(frame_->m_hWnd), 0);
  TrackPopupMenuEx(file, TPM_RETURNCMD, title.left, title.bottom, frame_->m_hWnd, nullptr);
  ASSERT_EQ(captions.size(), 4u);
  EXPECT_EQ(captions[0], u"&New\tCtrl+N");
  EXPECT_EQ(captions[1], u"&Open...\tCtrl+O");
  EXPECT_EQ(captions[3], u"Save &As...");
  EXPECT_GT(newPicture, 20);
  EXPECT_GT(saveEmbossDark, 10);       // the disabled picture is embossed in the shadow colour
  EXPECT_GT(openPictureColours, 10);
  EXPECT_EQ(savePictureColours, 0);    // and shows none of the colours an enabled picture has
  EXPECT_GT(radioBlack, 4);            // the radio dot
  EXPECT_EQ(exitPicture, 0);           // Exit has no button, so no picture
}

TEST_F(KitDemo, TheWindowTreeDump) {
  EXPECT_EQ(kitdemo::DumpWindowTree(frame_->m_hWnd),
            "Afx \"Kit demo\" id=0 (10,10)-(570,370)\n"
            "  ToolbarWindow32 \"\" id=59392 (0,0)-(552,28)\n");
}

TEST(KitDemoDescription, BadLinesAreNamed) {
  kitdemo::Description d;
  std::string error;
  EXPECT_FALSE(kitdemo::ParseDescription("menu 128\nsize 10 10\n", ".", &d, &error));
  EXPECT_EQ(error, "line 2: size needs a width and a height");
  EXPECT_FALSE(kitdemo::ParseDescription("style 0x1234\n", ".", &d, &error));
  EXPECT_FALSE(kitdemo::ParseDescription("wobble 1\n", ".", &d, &error));
  EXPECT_EQ(error, "line 1: unknown keyword \"wobble\"");
  EXPECT_TRUE(kitdemo::ParseDescription("# nothing\n\nradio 32885 # a comment\ntitle  Two words \n", ".", &d, &error));
  EXPECT_EQ(d.states.at(32885), kitdemo::CommandState::Radio);
  EXPECT_EQ(d.title, u"Two words");
}

}  // namespace
