// Colour-variation fills: a gradient description painted over an area as a
// linear band, rings round the centre or a sweep round the centre.
#pragma once

#include <vector>

#include "compat/win32/types.h"
#include "model/raster/gradient_desc.h"

// Ramp routines shared by the styles.
void FillColorRamp(DWORD* dst, DWORD c0, DWORD c1, int count);
void CopyRampRun(DWORD* dst, const DWORD* src, int count, bool forward);

// One style instance lives for one rendering: Prepare, ColorAt per pixel.
class CColorStyle {
 public:
  virtual ~CColorStyle() = default;
  virtual DWORD ColorAt(const int& x, const int& y) const = 0;
  virtual int Prepare(const CGradientDesc& desc, int width, int height);
  virtual int Extent(const CGradientDesc& desc, int width, int height) const;

 protected:
  // The ramp entry at i, read within the ramp whatever i is.
  DWORD RampAt(int64_t i) const;
  DWORD RampColor(float v) const;

  int m_width = 0;
  int m_height = 0;
  CGradientDesc m_desc;
  int m_baseLength = 0;
  int m_total = 0;
  std::vector<DWORD> m_ramp;
};

class CLinearColorStyle : public CColorStyle {
 public:
  DWORD ColorAt(const int& x, const int& y) const override;
  int Prepare(const CGradientDesc& desc, int width, int height) override;
  int Extent(const CGradientDesc& desc, int width, int height) const override;

 private:
  std::vector<float> m_columns;
  std::vector<float> m_rows;
};

class CRadialColorStyle : public CColorStyle {
 public:
  DWORD ColorAt(const int& x, const int& y) const override;
  int Prepare(const CGradientDesc& desc, int width, int height) override;
  int Extent(const CGradientDesc& desc, int width, int height) const override;

 private:
  int m_cx = 0;
  int m_cy = 0;
};

class CAngularColorStyle : public CColorStyle {
 public:
  DWORD ColorAt(const int& x, const int& y) const override;
  int Prepare(const CGradientDesc& desc, int width, int height) override;

 private:
  struct Ring {
    int level;
    float fraction;
    int samples;
  };
  DWORD LevelColor(int level, int samples, double turns) const;

  int m_cx = 0;
  int m_cy = 0;
  std::vector<std::vector<DWORD>> m_levels;  // level k holds 2^k colours
  std::vector<Ring> m_rings;
};

// width x height ARGB pixels, rows top-down; the caller frees them with
// delete[]. Null for an empty or oversized area.
DWORD* RenderVaryColorFill(const SIZE& size, const CGradientDesc& desc);
