// CFile on host files, CMemFile growth and seeking, and the exceptions
// callers catch.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "compat/afx.h"
#include "test_helpers.h"

namespace {

TEST(CFile, WritesSeeksAndReadsBackThroughProgramPaths) {
  TempFolder folder;
  CString path = folder.Path(u"data.bin");
  CFile file;
  ASSERT_TRUE(file.Open(path, CFile::modeCreate | CFile::modeReadWrite | CFile::typeBinary));
  file.Write("hello world", 11);
  EXPECT_EQ(file.GetLength(), 11u);
  EXPECT_EQ(file.Seek(-5, CFile::end), 6);
  char buffer[16] = {};
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 5u);
  EXPECT_STREQ(buffer, "world");
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
  file.SetLength(5);
  file.SeekToBegin();
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 5u);
  EXPECT_EQ(Text(file.GetFileName()), u"data.bin");
  EXPECT_EQ(Text(file.GetFileTitle()), u"data");
  file.Close();
  std::ifstream host(folder.Host() + "/data.bin", std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(host)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, "hello");
}

TEST(CFile, CreateWithoutNoTruncateEmptiesAndWithItKeeps) {
  TempFolder folder;
  CString path = folder.Path(u"keep.txt");
  { CFile f(path, CFile::modeCreate | CFile::modeWrite); f.Write("abcdef", 6); }
  { CFile f(path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite); f.Write("X", 1); }
  CFileStatus status;
  ASSERT_TRUE(CFile::GetStatus(path, status));
  EXPECT_EQ(status.m_size, 6);
  EXPECT_EQ(status.m_attribute & CFile::directory, 0);
  EXPECT_EQ(status.m_szFullName[0], u'\\');
  { CFile f(path, CFile::modeCreate | CFile::modeWrite); }
  ASSERT_TRUE(CFile::GetStatus(path, status));
  EXPECT_EQ(status.m_size, 0);
}

TEST(CFile, MissingFileFailsOpenAndThrowsFromTheConstructor) {
  TempFolder folder;
  CString path = folder.Path(u"missing.dat");
  CFile file;
  CFileException error;
  EXPECT_FALSE(file.Open(path, CFile::modeRead, &error));
  EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
  EXPECT_EQ(error.m_lOsError, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Text(error.m_strFileName), Text(path));
  int cause = -1;
  try {
    CFile thrower(path, CFile::modeRead);
  } catch (CFileException* e) {
    cause = e->m_cause;
    e->Delete();
  }
  EXPECT_EQ(cause, CFileException::fileNotFound);
  CFileStatus status;
  EXPECT_FALSE(CFile::GetStatus(path, status));
  EXPECT_FALSE(file.Open(folder.Path(u""), CFile::modeRead, &error));  // a folder
  EXPECT_EQ(error.m_cause, CFileException::accessDenied);
}

TEST(CFile, RenameRefusesToReplaceAndRemoveReportsMissingFiles) {
  TempFolder folder;
  CString a = folder.Path(u"a"), b = folder.Path(u"b");
  { CFile f(a, CFile::modeCreate | CFile::modeWrite); }
  { CFile f(b, CFile::modeCreate | CFile::modeWrite); }
  bool threw = false;
  try { CFile::Rename(a, b); } catch (CFileException* e) { threw = true; e->Delete(); }
  EXPECT_TRUE(threw);
  CFile::Remove(b);
  CFile::Rename(a, b);
  CFileStatus status;
  EXPECT_TRUE(CFile::GetStatus(b, status));
  int cause = -1;
  try { CFile::Remove(a); } catch (CFileException* e) { cause = e->m_cause; e->Delete(); }
  EXPECT_EQ(cause, CFileException::fileNotFound);
}

TEST(CMemFile, GrowsInWholeStepsAndZeroFillsGaps) {
  CMemFile file(16);
  file.Write("abc", 3);
  file.Seek(10, CFile::begin);
  file.Write("z", 1);
  EXPECT_EQ(file.GetLength(), 11u);
  file.SeekToBegin();
  char buffer[32];
  ASSERT_EQ(file.Read(buffer, sizeof buffer), 11u);
  EXPECT_EQ(std::memcmp(buffer, "abc\0\0\0\0\0\0\0z", 11), 0);
  std::vector<char> big(100, 'q');
  file.Write(big.data(), 100);
  EXPECT_EQ(file.GetLength(), 111u);
  file.Seek(0, CFile::begin);
  EXPECT_EQ(file.Seek(-1, CFile::end), 110);
  bool threw = false;
  try { file.Seek(-1, CFile::begin); } catch (CFileException* e) { threw = e->m_cause == CFileException::badSeek; e->Delete(); }
  EXPECT_TRUE(threw);
  DWORD length = file.GetLength();
  BYTE* block = file.Detach();
  EXPECT_EQ(block[110], 'q');
  EXPECT_EQ(length, 111u);
  EXPECT_EQ(file.GetLength(), 0u);
  free(block);
}

TEST(CMemFile, AttachedFixedBlockIsTheWholeFileAndDoesNotGrow) {
  BYTE block[4] = {1, 2, 3, 4};
  CMemFile file(block, sizeof block);
  EXPECT_EQ(file.GetLength(), 4u);
  BYTE read[8];
  EXPECT_EQ(file.Read(read, 8), 4u);
  file.SeekToBegin();
  file.Write("\x09", 1);
  EXPECT_EQ(block[0], 9);
  file.SeekToEnd();
  bool threw = false;
  try { file.Write("x", 1); } catch (CMemoryException* e) { threw = true; e->Delete(); }
  EXPECT_TRUE(threw);
  EXPECT_EQ(file.Detach(), block);
}

TEST(CException, CatchMacrosFreeTheExceptionUnlessDeletedOrRethrown) {
  int caught = 0;
  TRY {
    AfxThrowArchiveException(CArchiveException::badIndex);
  }
  CATCH(CFileException, e) {
    (void)e;
  }
  AND_CATCH(CArchiveException, e) {
    caught = e->m_cause;
  }
  END_CATCH
  EXPECT_EQ(caught, CArchiveException::badIndex);

  TRY { AfxThrowFileException(CFileException::diskFull); }
  CATCH_ALL(e) { e->Delete(); }  // an explicit Delete is not freed again
  END_CATCH_ALL

  CException* outer = nullptr;
  try {
    TRY { AfxThrowMemoryException(); }
    CATCH(CMemoryException, e) { THROW_LAST(); }
    END_CATCH
  } catch (CException* e) {
    outer = e;
  }
  ASSERT_NE(outer, nullptr);
  EXPECT_TRUE(outer->IsKindOf(RUNTIME_CLASS(CMemoryException)));
  TCHAR message[64];
  EXPECT_TRUE(outer->GetErrorMessage(message, 64));
  outer->Delete();
}

TEST(CTime, BreaksDownLocalTimeAndFormats) {
  CTime t(2024, 2, 29, 13, 5, 9);
  EXPECT_EQ(t.GetYear(), 2024);
  EXPECT_EQ(t.GetMonth(), 2);
  EXPECT_EQ(t.GetDay(), 29);
  EXPECT_EQ(t.GetHour(), 13);
  EXPECT_EQ(t.GetMinute(), 5);
  EXPECT_EQ(t.GetSecond(), 9);
  EXPECT_EQ(t.GetDayOfWeek(), 5);  // Thursday
  EXPECT_EQ(Text(t.Format(u"%Y-%m-%d %H:%M:%S")), u"2024-02-29 13:05:09");
  CTime later = t + CTimeSpan(1, 2, 3, 4);
  CTimeSpan span = later - t;
  EXPECT_EQ(span.GetDays(), 1);
  EXPECT_EQ(span.GetHours(), 2);
  EXPECT_EQ(span.GetMinutes(), 3);
  EXPECT_EQ(span.GetSeconds(), 4);
  EXPECT_TRUE(later > t);
  FILETIME epoch = {0xD53E8000u, 0x019DB1DEu};  // 1970-01-01 in file-time ticks
  EXPECT_EQ(CTime(epoch).GetTime(), 0);
  EXPECT_GT(CTime::GetCurrentTime().GetTime(), CTime(2020, 1, 1, 0, 0, 0).GetTime());
}

}  // namespace
