// CTimecode: a frame number split into hours, minutes, seconds and frames at
// 25 frames a second, for the labels of the timeline's ruler.
#pragma once

#include "compat/afx.h"

class CTimecode {
 public:
  static constexpr UINT kFramesPerSecond = 25;

  explicit CTimecode(UINT frame);
  ~CTimecode() = default;

  // The four parts packed in one value: hours in the lowest byte, then
  // minutes, seconds and frames. From 60 hours on the time saturates at
  // 59:59:59 and the last frame of a second.
  DWORD Split(UINT frame) const;
  // "MM:SS:FF"; hours are not shown.
  CString ToString() const;

  UINT m_nFrame;
  BYTE m_byHours = 0;
  BYTE m_byMinutes = 0;
  BYTE m_bySeconds = 0;
  BYTE m_byFrames = 0;
  UINT m_nFramesPerSecond;
};
