// File kinds by name ending, and data-folder relocation of stored paths.
#include "imaging/image_file_types.h"

#include "platform/file_presence.h"
#include "platform/program_folder.h"

namespace {

struct Ending {
  const char16_t* text;
  int type;
};

// Tested in this order on the lower-cased last three characters.
const Ending kEndings[] = {
    {u"avi", IMAGE_FILE_AVI}, {u"gif", IMAGE_FILE_GIF}, {u"tga", IMAGE_FILE_TGA},
    {u"bmp", IMAGE_FILE_BMP}, {u"jpg", IMAGE_FILE_JPG}, {u"png", IMAGE_FILE_PNG},
    {u"ico", IMAGE_FILE_ICO}, {u"tif", IMAGE_FILE_TIF}, {u"emf", IMAGE_FILE_METAFILE},
    {u"wmf", IMAGE_FILE_METAFILE}, {u"pcx", IMAGE_FILE_PCX}, {u"swf", IMAGE_FILE_SWF},
};

const char16_t* SubfolderText(int kind) {
  switch (kind) {
    case SUBFOLDER_LIGHT: return u"\\Light\\";
    case SUBFOLDER_MASK: return u"\\Mask\\";
    case SUBFOLDER_WIPE: return u"\\Wipe\\";
    default: return u"\\Image\\";
  }
}

// A path that cannot be resolved is kept too: its reader reports it.
bool Exists(const CString& path) { return PathNamesFile(path) != FALSE; }

}  // namespace

int GetImageFileType(CString fileName) {
  if (fileName.Right(4).CompareNoCase(u"WBMP") == 0) return IMAGE_FILE_WBMP;
  CString last = fileName.Right(3);
  last.MakeLower();
  for (const Ending& e : kEndings)
    if (last == e.text) return e.type;
  return IMAGE_FILE_UNKNOWN;
}

CString AppSubfolderPath(CString path, int kind) {
  const int slash = path.ReverseFind(u'\\');
  if (slash >= 1 && Exists(path)) return path;
  CString name = path.Mid(slash + 1);
  CString folder = GetProgramFolder() + SubfolderText(kind);
  CreateDirectoryW(folder, nullptr);
  CString relocated = folder + name;
  if (slash >= 1 && Exists(relocated)) return relocated;
  return CString();
}
