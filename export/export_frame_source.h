// Where the export's frames come from. The render thread asks the pair's
// frame grabs; any other picture maker with the same contract can stand in
// (benchmarks of the writers, tests without a renderer).
#pragma once

class CMorphPair;
struct CPixelBuffer;

class CExportFrameSource {
 public:
  virtual ~CExportFrameSource() = default;
  // The pair's current frame over the buffer's rectangle: 32-bit pixels
  // (blue, green, red, alpha), rows top-down.
  virtual void GrabPixels(CMorphPair* pair, CPixelBuffer* buffer) = 0;
  // The same frame as 24-bit pixels (blue, green, red), rows bottom-up and
  // packed, in the first width x height x 3 bytes of the buffer.
  virtual void GrabDib24(CMorphPair* pair, CPixelBuffer* buffer) = 0;
};
