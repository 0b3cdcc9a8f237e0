// The Video for Windows calls the AVI writer makes: files, streams, the
// compressor choice and compressed streams, writing a standard AVI file.
#pragma once

#include "compat/win32/types.h"

typedef DWORD FOURCC;
#define mmioFOURCC(a, b, c, d) \
  ((DWORD)(BYTE)(a) | ((DWORD)(BYTE)(b) << 8) | ((DWORD)(BYTE)(c) << 16) | ((DWORD)(BYTE)(d) << 24))

#define streamtypeVIDEO mmioFOURCC('v', 'i', 'd', 's')
#define streamtypeAUDIO mmioFOURCC('a', 'u', 'd', 's')
#define streamtypeTEXT mmioFOURCC('t', 'x', 't', 's')

#define OF_READ 0x0000
#define OF_WRITE 0x0001
#define OF_READWRITE 0x0002
#define OF_CREATE 0x1000

#define AVIIF_KEYFRAME 0x00000010L
#define ICMF_CHOOSE_KEYFRAME 0x0001
#define ICMF_CHOOSE_DATARATE 0x0002
#define ICMF_CHOOSE_PREVIEW 0x0004

#define AVICOMPRESSF_INTERLEAVE 0x00000001
#define AVICOMPRESSF_DATARATE 0x00000002
#define AVICOMPRESSF_KEYFRAMES 0x00000004
#define AVICOMPRESSF_VALID 0x00000008

#define AVIERR_OK 0
#define AVIERR_UNSUPPORTED ((HRESULT)0x80044065)
#define AVIERR_BADFORMAT ((HRESULT)0x80044066)
#define AVIERR_MEMORY ((HRESULT)0x80044067)
#define AVIERR_INTERNAL ((HRESULT)0x80044068)
#define AVIERR_BADFLAGS ((HRESULT)0x80044069)
#define AVIERR_BADPARAM ((HRESULT)0x8004406A)
#define AVIERR_BADSIZE ((HRESULT)0x8004406B)
#define AVIERR_FILEWRITE ((HRESULT)0x8004406E)
#define AVIERR_FILEOPEN ((HRESULT)0x80044070)
#define AVIERR_COMPRESSOR ((HRESULT)0x80044071)
#define AVIERR_USERABORT ((HRESULT)0x800440C6)

// Handlers the compressor choice offers.
#define comptypeDIB mmioFOURCC('D', 'I', 'B', ' ')
#define comptypeMJPG mmioFOURCC('M', 'J', 'P', 'G')

struct AVISTREAMINFOW {
  DWORD fccType;
  DWORD fccHandler;
  DWORD dwFlags;
  DWORD dwCaps;
  WORD wPriority;
  WORD wLanguage;
  DWORD dwScale;
  DWORD dwRate;
  DWORD dwStart;
  DWORD dwLength;
  DWORD dwInitialFrames;
  DWORD dwSuggestedBufferSize;
  DWORD dwQuality;
  DWORD dwSampleSize;
  RECT rcFrame;
  DWORD dwEditCount;
  DWORD dwFormatChangeCount;
  WCHAR szName[64];
};
typedef AVISTREAMINFOW AVISTREAMINFO;
typedef AVISTREAMINFOW* LPAVISTREAMINFOW;

struct AVICOMPRESSOPTIONS {
  DWORD fccType;
  DWORD fccHandler;
  DWORD dwKeyFrameEvery;
  DWORD dwQuality;
  DWORD dwBytesPerSecond;
  DWORD dwFlags;
  LPVOID lpFormat;
  DWORD cbFormat;
  LPVOID lpParms;
  DWORD cbParms;
  DWORD dwInterleaveEvery;
};
typedef AVICOMPRESSOPTIONS* LPAVICOMPRESSOPTIONS;

class CAviFileObject;
class CAviStreamObject;
typedef CAviFileObject* PAVIFILE;
typedef CAviStreamObject* PAVISTREAM;

DWORD VideoForWindowsVersion();
void AVIFileInit();
void AVIFileExit();
HRESULT AVIFileOpenW(PAVIFILE* ppfile, LPCWSTR szFile, UINT uMode, CLSID* lpHandler);
ULONG AVIFileRelease(PAVIFILE pfile);
HRESULT AVIFileCreateStreamW(PAVIFILE pfile, PAVISTREAM* ppavi, AVISTREAMINFOW* psi);
BOOL AVISaveOptions(HWND hwnd, UINT uiFlags, int nStreams, PAVISTREAM* ppavi,
                    LPAVICOMPRESSOPTIONS* plpOptions);
LONG AVISaveOptionsFree(int nStreams, LPAVICOMPRESSOPTIONS* plpOptions);
HRESULT AVIMakeCompressedStream(PAVISTREAM* ppsCompressed, PAVISTREAM psSource,
                                AVICOMPRESSOPTIONS* lpOptions, CLSID* pclsidHandler);
HRESULT AVIStreamSetFormat(PAVISTREAM pavi, LONG lPos, LPVOID lpFormat, LONG cbFormat);
HRESULT AVIStreamWrite(PAVISTREAM pavi, LONG lStart, LONG lSamples, LPVOID lpBuffer, LONG cbBuffer,
                       DWORD dwFlags, LONG* plSampWritten, LONG* plBytesWritten);
ULONG AVIStreamRelease(PAVISTREAM pavi);

namespace compat {

// The compressor choice without a screen: the next AVISaveOptions answers
// with this handler (comptypeDIB or comptypeMJPG, quality 0..10000), or
// reports Cancel when `cancel` is set. The default is uncompressed frames.
void SetAviCompressorChoice(DWORD fccHandler, DWORD quality = 7500, bool cancel = false);
// The "Video Compression" dialog on or off (by default on with a display);
// with it on, the choice above is only where the dialog starts.
void SetRealCompressorDialog(bool on);

// Largest file the writer produces; past it a write fails cleanly and the
// file closes whole with the chunks before it. A plain AVI (no extended
// index) keeps its RIFF size and index offsets in 32 bits; ffprobe and
// ffmpeg read such a file in full up to the last byte those allow.
constexpr ULONGLONG kMaxAviFileBytes = 0xFFFFFFFFull;
// Files opened from now on stop at `bytes` instead (0: kMaxAviFileBytes);
// lets a test reach the limit without writing gigabytes.
void SetAviFileSizeLimit(ULONGLONG bytes);

}  // namespace compat
