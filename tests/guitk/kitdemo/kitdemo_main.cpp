// kitdemo: makes a toolkit frame from a description file, and can dump its
// window tree and write pictures of it and of its popup menus.
//
//   kitdemo DESCRIPTION [--dump FILE|-] [--png DIR] [--popup N [--select K]] [--drawn-popup N] [--tour]
//           [--periphery] [--mdi]
// --tour (a toolkit frame's description, with --png): the desktop with the File popup open.
// --periphery and --mdi write pictures of the periphery windows and of the MDI frame to the --png folder.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "compat/host.h"
#include "kit_demo.h"
#include "kit_frame_demo.h"
#include "kit_periphery.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: kitdemo DESCRIPTION [--dump FILE|-] [--png DIR] [--popup N [--select K]] [--drawn-popup N] [--tour]"
               " [--periphery] [--mdi]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  std::string dump, pngDir;
  int popup = -1, drawnPopup = -1, select = 0;
  bool tour = false;
  bool periphery = false, mdi = false;
  for (int i = 2; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (!std::strcmp(argv[i], "--dump") && hasValue) dump = argv[++i];
    else if (!std::strcmp(argv[i], "--png") && hasValue) pngDir = argv[++i];
    else if (!std::strcmp(argv[i], "--popup") && hasValue) popup = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--drawn-popup") && hasValue) drawnPopup = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--select") && hasValue) select = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--tour")) tour = true;
    else if (!std::strcmp(argv[i], "--periphery")) periphery = true;
    else if (!std::strcmp(argv[i], "--mdi")) mdi = true;
    else return Usage();
  }
  kitdemo::Description description;
  std::string error;
  if (!kitdemo::LoadDescription(argv[1], &description, &error)) {
    std::fprintf(stderr, "kitdemo: %s\n", error.c_str());
    return 1;
  }
  compat::ResetDesktop(description.width + 120, description.height + 200);
  if (description.kitFrame) {
    if (tour && pngDir.empty()) return Usage();
    return kitdemo::RunKitFrame(description, dump, pngDir, tour);
  }
  auto* frame = new kitdemo::CKitDemoFrame(description);
  if (!frame->Build()) {
    std::fprintf(stderr, "kitdemo: the frame could not be made\n");
    return 1;
  }
  compat::PumpMessages();
  int result = 0;
  if (!dump.empty()) {
    const std::string tree = kitdemo::DumpWindowTree(frame->m_hWnd);
    if (dump == "-") {
      std::fputs(tree.c_str(), stdout);
    } else if (!(std::ofstream(dump) << tree)) {
      std::fprintf(stderr, "kitdemo: cannot write %s\n", dump.c_str());
      result = 1;
    }
  }
  if (!pngDir.empty() && !compat::WriteWindowPng(frame->m_hWnd, (pngDir + "/kitdemo_frame.png").c_str())) result = 1;
  if (popup >= 0 && !kitdemo::WritePopupPng(frame, popup, select, false, pngDir + "/kitdemo_popup.png")) result = 1;
  if (drawnPopup >= 0 &&
      !kitdemo::WritePopupPng(frame, drawnPopup, select, true, pngDir + "/kitdemo_drawn_popup.png"))
    result = 1;
  frame->DestroyWindow();
  if (periphery) {
    auto* window = new kitdemo::CPeripheryFrame;
    if (!window->Build()) return 1;
    compat::PumpMessages();
    if (!pngDir.empty() && !compat::WriteWindowPng(window->m_hWnd, (pngDir + "/kitdemo_periphery.png").c_str())) result = 1;
    window->DestroyWindow();
  }
  if (mdi) {
    auto* window = new kitdemo::CMdiDemoFrame;
    if (!window->Build()) return 1;
    compat::PumpMessages();
    // The idle update an application's loop gives its bars: the menu bar takes the maximised document.
    window->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
    compat::PumpMessages();
    if (window->m_wndTabs.GetTabCount() != 2) {
      std::fprintf(stderr, "kitdemo: the MDI tabs show %d windows, not 2\n", window->m_wndTabs.GetTabCount());
      result = 1;
    }
    if (!pngDir.empty() && !compat::WriteWindowPng(window->m_hWnd, (pngDir + "/kitdemo_mdi.png").c_str())) result = 1;
    window->DestroyWindow();
  }
  return result;
}
