// What the system says about itself: processors, version; and MulDiv.
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <thread>

#include "compat/win32/kernel.h"

namespace {

// The program was shaped for the NT family; 5.1 gives it its newest looks.
constexpr DWORD kMajorVersion = 5;
constexpr DWORD kMinorVersion = 1;
constexpr DWORD kBuildNumber = 2600;

}  // namespace

void GetSystemInfo(LPSYSTEM_INFO lpSystemInfo) {
  SYSTEM_INFO& info = *lpSystemInfo;
  info = SYSTEM_INFO{};
  info.wProcessorArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
  info.dwPageSize = static_cast<DWORD>(sysconf(_SC_PAGESIZE));
  unsigned processors = std::thread::hardware_concurrency();
  info.dwNumberOfProcessors = processors ? processors : 1;
  info.dwActiveProcessorMask = info.dwNumberOfProcessors >= 64 ? ~DWORD_PTR{0}
                                                                 : (DWORD_PTR{1} << info.dwNumberOfProcessors) - 1;
  info.dwAllocationGranularity = 65536;
  info.lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(0x10000);
  info.lpMaximumApplicationAddress = reinterpret_cast<LPVOID>(0x7FFFFFFEFFFF);
  info.dwProcessorType = 8664;
  info.wProcessorLevel = 6;
}

DWORD GetVersion() { return kMajorVersion | (kMinorVersion << 8) | (kBuildNumber << 16); }

BOOL GetVersionExW(LPOSVERSIONINFOW lpVersionInformation) {
  if (!lpVersionInformation || lpVersionInformation->dwOSVersionInfoSize < sizeof(OSVERSIONINFOW)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  lpVersionInformation->dwMajorVersion = kMajorVersion;
  lpVersionInformation->dwMinorVersion = kMinorVersion;
  lpVersionInformation->dwBuildNumber = kBuildNumber;
  lpVersionInformation->dwPlatformId = VER_PLATFORM_WIN32_NT;
  std::memset(lpVersionInformation->szCSDVersion, 0, sizeof lpVersionInformation->szCSDVersion);
  return TRUE;
}

int MulDiv(int nNumber, int nNumerator, int nDenominator) {
  if (nDenominator == 0) return -1;
  int64_t product = static_cast<int64_t>(nNumber) * nNumerator;
  int64_t denominator = nDenominator;
  if (denominator < 0) {
    product = -product;
    denominator = -denominator;
  }
  int64_t half = denominator / 2;
  int64_t result = product >= 0 ? (product + half) / denominator : -((-product + half) / denominator);
  if (result > INT32_MAX || result < INT32_MIN) return -1;
  return static_cast<int>(result);
}
