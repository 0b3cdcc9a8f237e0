// The export tests' project, frame source and owner window.
#include "export_fixture.h"

#include "compat/vfw.h"

namespace exporttest {

namespace {

constexpr WCHAR kOwnerClass[] = u"CalvettaExportOwner";
OwnerWindow* g_owner = nullptr;

}  // namespace

OwnerWindow::OwnerWindow() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.lpszClassName = kOwnerClass;
  RegisterClassW(&wc);
  g_owner = this;
  HWND hwnd = CreateWindowExW(0, kOwnerClass, u"Export", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                              nullptr);
  m_wnd.Attach(hwnd);
}

OwnerWindow::~OwnerWindow() {
  HWND hwnd = m_wnd.Detach();
  if (hwnd) DestroyWindow(hwnd);
  if (g_owner == this) g_owner = nullptr;
}

std::vector<int> OwnerWindow::Frames() {
  std::vector<int> frames;
  for (const Progress& p : Received()) frames.push_back(p.frame);
  return frames;
}

LRESULT CALLBACK OwnerWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_RENDER_PROGRESS || !g_owner) return DefWindowProcW(hwnd, message, wParam, lParam);
  Progress progress{static_cast<int>(lParam), wParam ? std::u16string(reinterpret_cast<const WCHAR*>(wParam)) : u""};
  {
    std::lock_guard<std::mutex> guard(g_owner->m_lock);
    g_owner->m_received.push_back(progress);
  }
  if (g_owner->onProgress) g_owner->onProgress(progress);
  return 0;
}

void ExportTest::SetUp() {
  compat::ResetDesktop(800, 600);
  compat::ResetMessageBoxLog();
  compat::SetAviCompressorChoice(comptypeDIB);
  CMorphProject* project = GetMorphProject();
  while (project->GetPairCount() < 2) project->InsertPair();
  while (project->GetPairCount() > 2) project->DeleteCurrentPair();
  for (int p = 0; p < 2; ++p) project->PairAt(p)->SetFrameCount(kFrames / 2);
  project->SetOutputSize(kWidth, kHeight);
  project->SetFps(kFps);
  owner_ = std::make_unique<OwnerWindow>();
}

void ExportTest::TearDown() {
  thread_.reset();
  owner_.reset();
  compat::SetAviCompressorChoice(comptypeDIB);
}

std::u16string ExportTest::ProgramPath(const std::string& name) const {
  return compat::FromHostPath(dir_.File(name));
}

void ExportTest::RunExport(const std::string& name, int quality) { RunExportToHost(dir_.File(name), quality); }

void ExportTest::RunExportToHost(const std::string& hostPath, int quality) {
  thread_ = std::make_unique<CRenerThread>();
  thread_->m_pMainWnd = owner_->Wnd();
  thread_->SetQuality(quality);
  thread_->SetOutputPath(CString(compat::FromHostPath(hostPath).c_str()));
  thread_->SetFps(GetMorphProject()->GetFps());
  thread_->SetFrameSource(source_);
  ASSERT_TRUE(thread_->CreateThread(0, 0, nullptr));
  ASSERT_TRUE(thread_->WaitForEnd());
}

}  // namespace exporttest
