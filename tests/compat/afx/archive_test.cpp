// CArchive byte images: fields, both string forms, raw blocks, the end of the
// file on every kind of read, and object references.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

#include "compat/afx.h"
#include "test_helpers.h"

namespace {

using Bytes = std::vector<BYTE>;

Bytes Store(const std::function<void(CArchive&)>& write) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    write(ar);
    ar.Close();
  }
  Bytes bytes(file.GetLength());
  file.SeekToBegin();
  file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
  return bytes;
}

// Runs `read` over a loading archive on a copy of `bytes`.
void Load(Bytes bytes, const std::function<void(CArchive&)>& read) {
  CMemFile file(bytes.empty() ? nullptr : bytes.data(), static_cast<UINT>(bytes.size()));
  CArchive ar(&file, CArchive::load);
  read(ar);
}

CString RoundTrip(const CString& text) {
  CString back;
  Load(Store([&](CArchive& ar) { ar << text; }), [&](CArchive& ar) { ar >> back; });
  return back;
}

int ArchiveErrorCause(Bytes bytes, const std::function<void(CArchive&)>& read) {
  int cause = -1;
  try {
    Load(std::move(bytes), read);
  } catch (CArchiveException* e) {
    cause = e->m_cause;
    e->Delete();
  }
  return cause;
}

TEST(CArchive, FieldsAreLittleEndianWithNothingBetween) {
  Bytes bytes = Store([](CArchive& ar) {
    ar << static_cast<DWORD>(0x11223344) << -2 << static_cast<WORD>(0xBEEF)
       << static_cast<BYTE>(7) << 1.0f << static_cast<LONGLONG>(-1) << 0.5;
  });
  Bytes expected = {0x44, 0x33, 0x22, 0x11, 0xFE, 0xFF, 0xFF, 0xFF, 0xEF, 0xBE, 0x07,
                    0x00, 0x00, 0x80, 0x3F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                    0, 0, 0, 0, 0, 0, 0xE0, 0x3F};
  EXPECT_EQ(bytes, expected);
}

TEST(CArchive, FloatsTravelBitExact) {
  std::vector<float> values = {-0.0f, std::numeric_limits<float>::denorm_min(),
                               std::numeric_limits<float>::infinity(), 3.14159274f,
                               std::numeric_limits<float>::quiet_NaN()};
  Bytes bytes = Store([&](CArchive& ar) { for (float v : values) ar << v; });
  ASSERT_EQ(bytes.size(), values.size() * 4);
  Load(bytes, [&](CArchive& ar) {
    for (float v : values) {
      float back;
      ar >> back;
      EXPECT_EQ(std::memcmp(&back, &v, 4), 0);
    }
  });
  EXPECT_EQ(std::memcmp(bytes.data(), values.data(), bytes.size()), 0);
}

TEST(CArchive, StringsCarryAWideMarkerAndTheShortestLengthForm) {
  EXPECT_EQ(Store([](CArchive& ar) { ar << CString(); }), (Bytes{0xFF, 0xFE, 0xFF, 0x00}));
  EXPECT_EQ(Store([](CArchive& ar) { ar << CString(u"Hi"); }),
            (Bytes{0xFF, 0xFE, 0xFF, 0x02, 'H', 0, 'i', 0}));

  Bytes s254 = Store([](CArchive& ar) { ar << CString(u'a', 254); });
  ASSERT_EQ(s254.size(), 4u + 508);
  EXPECT_EQ(Bytes(s254.begin(), s254.begin() + 4), (Bytes{0xFF, 0xFE, 0xFF, 0xFE}));

  Bytes s255 = Store([](CArchive& ar) { ar << CString(u'b', 255); });
  ASSERT_EQ(s255.size(), 6u + 510);
  EXPECT_EQ(Bytes(s255.begin(), s255.begin() + 6), (Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}));

  Bytes s300 = Store([](CArchive& ar) { ar << CString(u'c', 300); });
  ASSERT_EQ(s300.size(), 6u + 600);
  EXPECT_EQ(Bytes(s300.begin(), s300.begin() + 8), (Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01, 'c', 0}));

  Bytes s70000 = Store([](CArchive& ar) { ar << CString(u'd', 70000); });
  ASSERT_EQ(s70000.size(), 10u + 140000);
  EXPECT_EQ(Bytes(s70000.begin(), s70000.begin() + 11),
            (Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00, 'd'}));

  for (int length : {0, 1, 254, 255, 300, 0xFFFD, 0xFFFE, 70000}) {
    CString text(u'\u00e9', length);
    EXPECT_EQ(RoundTrip(text), text) << length;
  }
  EXPECT_EQ(Text(RoundTrip(CString(u"日本 \U0001F600"))), u"日本 \U0001F600");
}

TEST(CArchive, EightBitStringsReadAsUtf16) {
  CString text;
  Load(Bytes{0x05, 'H', 'e', 'l', 'l', 'o'}, [&](CArchive& ar) { ar >> text; });
  EXPECT_EQ(Text(text), u"Hello");
  Bytes longNarrow = {0xFF, 0x2C, 0x01};
  longNarrow.resize(3 + 300, 'x');
  Load(longNarrow, [&](CArchive& ar) { ar >> text; });
  EXPECT_EQ(Text(text), std::u16string(300, u'x'));
  Bytes dwordNarrow = {0xFF, 0xFF, 0xFF, 0x03, 0x00, 0x00, 0x00, 'a', 'b', 'c'};
  Load(dwordNarrow, [&](CArchive& ar) { ar >> text; });
  EXPECT_EQ(Text(text), u"abc");
  Load(Bytes{0x06, 'c', 'a', 'f', 0xC3, 0xA9, '!'}, [&](CArchive& ar) { ar >> text; });
  EXPECT_EQ(Text(text), u"café!");  // the ANSI code page, UTF-8 here
  Load(Bytes{0x05, 'c', 'a', 'f', 0xE9, 0x80}, [&](CArchive& ar) { ar >> text; });
  EXPECT_EQ(Text(text), u"café€");  // not UTF-8: a Western system's 1252
  Load(Bytes{0x00}, [&](CArchive& ar) { ar >> text; });
  EXPECT_TRUE(text.IsEmpty());
}

TEST(CArchive, ReadingPastTheEndThrowsOnEveryKindOfRead) {
  const int eof = CArchiveException::endOfFile;
  Bytes three = {1, 2, 3};
  EXPECT_EQ(ArchiveErrorCause(three, [](CArchive& ar) { DWORD d; ar >> d; }), eof);
  EXPECT_EQ(ArchiveErrorCause(three, [](CArchive& ar) { int i; ar >> i; }), eof);
  EXPECT_EQ(ArchiveErrorCause(three, [](CArchive& ar) { float f; ar >> f; }), eof);
  EXPECT_EQ(ArchiveErrorCause({1}, [](CArchive& ar) { WORD w; ar >> w; }), eof);
  EXPECT_EQ(ArchiveErrorCause({}, [](CArchive& ar) { BYTE b; ar >> b; }), eof);
  EXPECT_EQ(ArchiveErrorCause(three, [](CArchive& ar) { BYTE raw[4]; ar.Read(raw, 4); }), eof);
  EXPECT_EQ(ArchiveErrorCause(Bytes(5000, 0), [](CArchive& ar) {
              std::vector<BYTE> raw(6000);
              ar.Read(raw.data(), 6000);
            }), eof);
  // Strings: cut inside the length, inside the characters, and a length far
  // beyond the data (no allocation of the stated size happens first).
  EXPECT_EQ(ArchiveErrorCause({0xFF, 0xFE}, [](CArchive& ar) { CString s; ar >> s; }), eof);
  EXPECT_EQ(ArchiveErrorCause({0xFF, 0xFE, 0xFF, 0x03, 'a', 0}, [](CArchive& ar) { CString s; ar >> s; }), eof);
  EXPECT_EQ(ArchiveErrorCause({0x04, 'a', 'b'}, [](CArchive& ar) { CString s; ar >> s; }), eof);
  EXPECT_EQ(ArchiveErrorCause({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 0},
                           [](CArchive& ar) { CString s; ar >> s; }), eof);
  // Fields before the end stay read.
  DWORD first = 0;
  EXPECT_EQ(ArchiveErrorCause({9, 0, 0, 0, 1}, [&](CArchive& ar) { ar >> first >> first; }), eof);
  EXPECT_EQ(first, 9u);
}

TEST(CArchive, RawBlocksOfAnySizeCrossTheBuffer) {
  std::vector<BYTE> block(10000);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<BYTE>(i * 7);
  Bytes bytes = Store([&](CArchive& ar) {
    ar << static_cast<BYTE>(1);
    ar.Write(block.data(), 4095);
    ar.Write(block.data(), 10000);
    ar << static_cast<WORD>(2);
  });
  ASSERT_EQ(bytes.size(), 1u + 4095 + 10000 + 2);
  Load(bytes, [&](CArchive& ar) {
    BYTE b;
    std::vector<BYTE> back(10000);
    WORD w;
    ar >> b;
    EXPECT_EQ(ar.Read(back.data(), 4095), 4095u);
    EXPECT_EQ(std::memcmp(back.data(), block.data(), 4095), 0);
    ar.Read(back.data(), 10000);
    EXPECT_EQ(back, block);
    ar >> w;
    EXPECT_EQ(w, 2);
  });
}

TEST(CArchive, WorksOverHostFilesAndGivesBackReadAhead) {
  TempFolder folder;
  CString path = folder.Path(u"fields.bin");
  {
    CFile file(path, CFile::modeCreate | CFile::modeWrite);
    CArchive ar(&file, CArchive::store);
    ar << 42 << CString(u"name") << CPoint(3, -4) << CRect(1, 2, 3, 4);
  }  // the destructor flushes
  CFile file(path, CFile::modeRead);
  EXPECT_EQ(file.GetLength(), 4u + 12 + 8 + 16);
  CArchive ar(&file, CArchive::load);
  int n;
  CString name;
  CPoint p;
  ar >> n >> name >> p;
  EXPECT_EQ(n, 42);
  EXPECT_EQ(Text(name), u"name");
  EXPECT_EQ(p, CPoint(3, -4));
  ar.Flush();
  EXPECT_EQ(file.GetPosition(), 24u);
  EXPECT_EQ(ArchiveErrorCause({}, [](CArchive& a) { a.WriteString(u"x"); }), CArchiveException::readOnly);
}

TEST(CArchive, TextLinesDropTheirLineEnds) {
  Bytes bytes = Store([](CArchive& ar) { ar.WriteString(u"one\r\ntwo\nthree"); });
  Load(bytes, [](CArchive& ar) {
    CString line;
    EXPECT_TRUE(ar.ReadString(line));
    EXPECT_EQ(Text(line), u"one");
    EXPECT_TRUE(ar.ReadString(line));
    EXPECT_EQ(Text(line), u"two");
    EXPECT_TRUE(ar.ReadString(line));
    EXPECT_EQ(Text(line), u"three");
    EXPECT_FALSE(ar.ReadString(line));
  });
}

class CNodeForTest : public CObject {
  DECLARE_SERIAL(CNodeForTest)
 public:
  ~CNodeForTest() override = default;
  void Serialize(CArchive& ar) override {
    if (ar.IsStoring()) {
      ar << value << next;
    } else {
      ar >> value;
      ar >> next;
    }
  }
  int value = 0;
  CNodeForTest* next = nullptr;
};
IMPLEMENT_SERIAL(CNodeForTest, CObject, 2)

TEST(CArchive, ObjectsAreWrittenOnceAndReferencedAfterwards) {
  CNodeForTest a, b;
  a.value = 1;
  a.next = &b;
  b.value = 2;
  b.next = &a;  // a cycle back to the first object
  Bytes bytes = Store([&](CArchive& ar) { ar << static_cast<CObject*>(&a); });
  Bytes expected = {0xFF, 0xFF, 0x02, 0x00, 0x0C, 0x00};
  for (char c : std::string("CNodeForTest")) expected.push_back(static_cast<BYTE>(c));
  Bytes tail = {1, 0, 0, 0,   // a.value
                0x01, 0x80,   // class index 1
                2, 0, 0, 0,   // b.value
                0x02, 0x00};  // object index 2: a
  expected.insert(expected.end(), tail.begin(), tail.end());
  EXPECT_EQ(bytes, expected);

  CNodeForTest* loaded = nullptr;
  Load(bytes, [&](CArchive& ar) { ar >> loaded; });
  ASSERT_NE(loaded, nullptr);
  ASSERT_NE(loaded->next, nullptr);
  EXPECT_EQ(loaded->value, 1);
  EXPECT_EQ(loaded->next->value, 2);
  EXPECT_EQ(loaded->next->next, loaded);
  delete loaded->next;
  delete loaded;

  Bytes badIndex = {0x05, 0x00};
  EXPECT_EQ(ArchiveErrorCause(badIndex, [](CArchive& ar) { CObject* o; ar >> o; }), CArchiveException::badIndex);
  Bytes oldSchema = {0xFF, 0xFF, 0x01, 0x00, 0x0C, 0x00};
  for (char c : std::string("CNodeForTest")) oldSchema.push_back(static_cast<BYTE>(c));
  oldSchema.insert(oldSchema.end(), {1, 0, 0, 0, 0, 0});
  EXPECT_EQ(ArchiveErrorCause(oldSchema, [](CArchive& ar) { CObject* o; ar >> o; }), CArchiveException::badSchema);
  Bytes unknown = {0xFF, 0xFF, 0x01, 0x00, 0x03, 0x00, 'X', 'y', 'z'};
  EXPECT_EQ(ArchiveErrorCause(unknown, [](CArchive& ar) { CObject* o; ar >> o; }), CArchiveException::badClass);
}

}  // namespace
