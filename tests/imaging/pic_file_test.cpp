// Memory and stdio streams of the codec library.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "imaging/pic_file.h"

TEST(PicMemFile, GrowsInWholeSteps) {
  CPicMemFile file;
  ASSERT_TRUE(file.Open());
  BYTE one = 7;
  EXPECT_EQ(file.Write(&one, 1, 1), 1u);
  EXPECT_EQ(file.Capacity(), 4096u);

  CPicMemFile big;
  big.Open();
  std::vector<BYTE> bytes(4097, 1);
  EXPECT_EQ(big.Write(bytes.data(), 1, bytes.size()), bytes.size());
  EXPECT_EQ(big.Capacity(), 8192u);
  std::vector<BYTE> more(8193 - 4097, 2);
  big.Write(more.data(), more.size(), 1);
  EXPECT_EQ(big.Capacity(), 12288u);
  EXPECT_EQ(big.Size(), 8193);
}

TEST(PicMemFile, SeekRulesAndReadsPastTheEnd) {
  CPicMemFile file;
  file.Open();
  file.Write("abcde", 1, 5);
  EXPECT_TRUE(file.Seek(2, SEEK_SET));
  EXPECT_FALSE(file.Seek(-1, SEEK_SET));
  EXPECT_EQ(file.Tell(), 2);
  EXPECT_FALSE(file.Seek(0, 7));
  EXPECT_TRUE(file.Seek(10, SEEK_END));
  EXPECT_TRUE(file.Eof());
  EXPECT_EQ(file.Error(), 1);
  char buffer[4];
  EXPECT_EQ(file.Read(buffer, 1, 4), 0u);
  EXPECT_EQ(file.GetC(), -1);
}

TEST(PicMemFile, ReadReturnsWholeElementsAndCopiesTheRest) {
  BYTE data[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0xFF};
  CPicMemFile file(data, sizeof(data));
  BYTE buffer[12] = {};
  EXPECT_EQ(file.Read(buffer, 4, 3), 2u);
  EXPECT_EQ(memcmp(buffer, data, 10), 0);
  EXPECT_TRUE(file.Eof());
  file.Seek(9, SEEK_SET);
  EXPECT_EQ(file.GetC(), 255);
}

TEST(PicMemFile, CallerBufferIsNeverFreedNorReallocated) {
  BYTE data[4] = {1, 2, 3, 4};
  {
    CPicMemFile file(data, sizeof(data));
    EXPECT_FALSE(file.IsOwner());
    file.Seek(0, SEEK_END);
    BYTE extra[3] = {5, 6, 7};
    // Growing copies into a heap block of the file's own.
    EXPECT_EQ(file.Write(extra, 1, 3), 3u);
    EXPECT_TRUE(file.IsOwner());
    EXPECT_EQ(file.Size(), 7);
    EXPECT_EQ(file.GetBuffer(false)[6], 7);
  }
  EXPECT_EQ(data[3], 4);
  CPicMemFile file(data, sizeof(data));
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(data[0], 1);
}

TEST(PicMemFile, DetachedBufferOutlivesTheFile) {
  BYTE* taken;
  {
    CPicMemFile file;
    file.Open();
    file.Write("xyz", 1, 3);
    taken = file.GetBuffer(true);
    EXPECT_FALSE(file.IsOwner());
  }
  EXPECT_EQ(memcmp(taken, "xyz", 3), 0);
  free(taken);
}

TEST(PicMemFile, GapLeftBySeekingPastTheEndReadsAsZero) {
  CPicMemFile file;
  file.Open();
  file.Write("ab", 1, 2);
  file.Seek(6, SEEK_SET);
  file.PutC('z');
  EXPECT_EQ(file.Size(), 7);
  file.Seek(0, SEEK_SET);
  BYTE bytes[7];
  EXPECT_EQ(file.Read(bytes, 1, 7), 7u);
  EXPECT_EQ(memcmp(bytes, "ab\0\0\0\0z", 7), 0);
}

TEST(PicMemFile, WithoutBufferEverythingFails) {
  CPicMemFile file;
  BYTE byte = 0;
  EXPECT_EQ(file.Write(&byte, 1, 1), 0u);
  EXPECT_FALSE(file.PutC(1));
  EXPECT_EQ(file.Tell(), -1);
  EXPECT_EQ(file.Size(), -1);
  EXPECT_TRUE(file.Eof());
  EXPECT_EQ(file.Error(), -1);
}

TEST(PicMemFile, OversizedRequestsAreRefused) {
  CPicMemFile file;
  file.Open();
  BYTE byte = 0;
  EXPECT_EQ(file.Write(&byte, 0x40000000, 4), 0u);
  EXPECT_EQ(file.Write(&byte, SIZE_MAX, 2), 0u);
  EXPECT_EQ(file.Size(), 0);
}

TEST(PicIOFile, WrapsACallerStreamWithoutClosingIt) {
  FILE* stream = tmpfile();
  ASSERT_NE(stream, nullptr);
  {
    CPicIOFile file(stream);
    EXPECT_TRUE(file.PutC(0xAB));
    EXPECT_EQ(file.Write("cd", 1, 2), 2u);
    EXPECT_EQ(file.Size(), 3);
    EXPECT_EQ(file.Tell(), 3);
    EXPECT_TRUE(file.Seek(0, SEEK_SET));
    EXPECT_EQ(file.GetC(), 0xAB);
    EXPECT_TRUE(file.Close());
  }
  EXPECT_EQ(fseek(stream, 0, SEEK_SET), 0);  // still open
  fclose(stream);
  CPicIOFile none;
  EXPECT_EQ(none.Size(), -1);
  EXPECT_EQ(none.Error(), -1);
  EXPECT_TRUE(none.Eof());
}
