// Helpers of the effect tests: a source picture whose colour tells where each
// pixel came from, one effect frame rendered into a target holder, and an
// effect's parameter block stored to and loaded from bytes.
#pragma once

#include <cmath>
#include <cstdlib>
#include <vector>

#include "compat/afx.h"
#include "model/project/effect.h"
#include "render/render_fixture.h"

// Red encodes the source column, green the source row (steps of 4 and 5, so a
// half-texel blend stays readable), blue is fixed and alpha opaque.
class CodedPictureTest : public RendererTest {
 protected:
  static constexpr int kW = 64;
  static constexpr int kH = 48;

  static DWORD Coded(int x, int y) {
    return 0xFF000000u | static_cast<DWORD>(x * 4) << 16 | static_cast<DWORD>(y * 5) << 8 | 0x80u;
  }
  static int Red(DWORD c) { return static_cast<int>(c >> 16 & 0xFF); }
  static int Green(DWORD c) { return static_cast<int>(c >> 8 & 0xFF); }
  static int Alpha(DWORD c) { return static_cast<int>(c >> 24); }

  void SetUp() override {
    RendererTest::SetUp();
    MakePicture(source_, kW, kH, FALSE, [](int x, int y) { return Coded(x, y); });
    MakePicture(target_, kW, kH, TRUE, [](int, int) { return 0xFF00FF00u; });
  }

  std::vector<DWORD> RenderFrame(CEffect& effect, float progress) {
    effect.Prepare(Device());
    effect.Render(&renderer_, Device(), &source_, &target_, progress);
    return ReadPicture(target_);
  }

  DWORD At(const std::vector<DWORD>& frame, int x, int y) { return frame[static_cast<size_t>(y) * kW + x]; }

  // Whether target pixel (x, y) shows source pixel (sx, sy), opaque.
  ::testing::AssertionResult Shows(const std::vector<DWORD>& frame, int x, int y, int sx, int sy) {
    const DWORD c = At(frame, x, y);
    if (Alpha(c) > 250 && std::abs(Red(c) - sx * 4) <= 2 && std::abs(Green(c) - sy * 5) <= 2)
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") = " << std::hex << c << std::dec
                                         << ", not source (" << sx << ", " << sy << ")";
  }
  // Same, for a source position between pixels (a squeezed picture blends
  // neighbours): sx, sy in pixels, centres at whole numbers.
  ::testing::AssertionResult ShowsNear(const std::vector<DWORD>& frame, int x, int y, double sx, double sy) {
    const DWORD c = At(frame, x, y);
    if (Alpha(c) > 250 && std::abs(Red(c) - sx * 4) <= 2.5 && std::abs(Green(c) - sy * 5) <= 2.5)
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") = " << std::hex << c << std::dec
                                         << ", not source (" << sx << ", " << sy << ")";
  }
  ::testing::AssertionResult Clear(const std::vector<DWORD>& frame, int x, int y) {
    const DWORD c = At(frame, x, y);
    if (c == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") = " << std::hex << c;
  }
  // Whole frame equal to the source, within a filtering tolerance.
  ::testing::AssertionResult ShowsWholeSource(const std::vector<DWORD>& frame) {
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        if (auto r = Shows(frame, x, y, x, y); !r) return r;
    return ::testing::AssertionSuccess();
  }
  ::testing::AssertionResult AllClear(const std::vector<DWORD>& frame) {
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        if (auto r = Clear(frame, x, y); !r) return r;
    return ::testing::AssertionSuccess();
  }

  CTextureHolder source_, target_;
};

// Little-endian words of an expected parameter block.
class BlockBytes {
 public:
  BlockBytes& Word(DWORD v) { return Raw(&v); }
  BlockBytes& Float(float v) { return Raw(&v); }
  const std::vector<BYTE>& bytes() const { return m_bytes; }

 private:
  BlockBytes& Raw(const void* p) {
    const BYTE* b = static_cast<const BYTE*>(p);
    m_bytes.insert(m_bytes.end(), b, b + 4);
    return *this;
  }
  std::vector<BYTE> m_bytes;
};

inline std::vector<BYTE> StoreBlock(CEffect& effect) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    effect.Serialize(ar);
  }
  std::vector<BYTE> bytes(static_cast<size_t>(file.GetLength()));
  file.SeekToBegin();
  if (!bytes.empty()) file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
  return bytes;
}

// FALSE when the archive gave up (the block ran short).
inline BOOL LoadBlock(const std::vector<BYTE>& bytes, CEffect& effect) {
  std::vector<BYTE> copy(bytes);
  CMemFile file(copy.empty() ? nullptr : copy.data(), static_cast<UINT>(copy.size()));
  CArchive ar(&file, CArchive::load);
  try {
    effect.Serialize(ar);
  } catch (CArchiveException* e) {
    e->Delete();
    return FALSE;
  }
  return TRUE;
}
