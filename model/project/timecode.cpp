// Frame number to timecode.
#include "model/project/timecode.h"

namespace {

constexpr UINT kSecondsPerMinute = 60;
constexpr UINT kSecondsPerHour = 3600;
constexpr UINT kSaturatingHours = 60;

}  // namespace

CTimecode::CTimecode(UINT frame) : m_nFrame(frame), m_nFramesPerSecond(kFramesPerSecond) {
  DWORD parts = Split(frame);
  m_byHours = LOBYTE(parts);
  m_byMinutes = HIBYTE(parts);
  m_bySeconds = LOBYTE(parts >> 16);
  m_byFrames = HIBYTE(parts >> 16);
}

DWORD CTimecode::Split(UINT frame) const {
  UINT rate = m_nFramesPerSecond;
  UINT frames = frame % rate;
  UINT s = frame / rate;
  UINT seconds = s % kSecondsPerMinute;
  UINT minutes = (s / kSecondsPerMinute) % kSecondsPerMinute;
  UINT hours = s / kSecondsPerHour;
  if (hours >= kSaturatingHours) {
    hours = minutes = seconds = kSaturatingHours - 1;
    frames = rate - 1;
  }
  return hours | (minutes << 8) | (seconds << 16) | (frames << 24);
}

CString CTimecode::ToString() const {
  CString text;
  text.Format(u"%02d:%02d:%02d", m_byMinutes, m_bySeconds, m_byFrames);
  return text;
}
