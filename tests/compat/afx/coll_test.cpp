// Collections: array growth steps, insert/remove edges, list positions, map
// iteration and the typed pointer wrappers.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "compat/afx.h"
#include "test_helpers.h"

namespace {

// Exposes the capacity so the growth rule can be checked.
template <class T>
class CArrayProbe : public CArray<T, const T&> {
 public:
  int Capacity() const { return this->m_nMaxSize; }
};

TEST(CArray, GrowsByAnEighthClampedToFourAnd1024) {
  CArrayProbe<int> a;
  a.Add(1);
  EXPECT_EQ(a.Capacity(), 1);  // the first block is exactly what was asked
  a.Add(2);
  EXPECT_EQ(a.Capacity(), 5);  // 1/8 of 1 -> at least 4
  CArrayProbe<int> sixtyFour;
  sixtyFour.SetSize(64);
  sixtyFour.Add(0);
  EXPECT_EQ(sixtyFour.Capacity(), 72);  // 64/8
  CArrayProbe<int> forty;
  forty.SetSize(40);
  forty.Add(0);
  EXPECT_EQ(forty.Capacity(), 45);  // 40/8 = 5
  CArrayProbe<BYTE> big;
  big.SetSize(20000);
  big.Add(1);
  EXPECT_EQ(big.Capacity(), 20000 + 1024);
  CArrayProbe<int> fixedStep;
  fixedStep.SetSize(0, 100);
  fixedStep.SetSize(1);
  fixedStep.Add(1);
  EXPECT_EQ(fixedStep.Capacity(), 101);
}

TEST(CArray, InsertRemoveAndOutOfRangeArguments) {
  CDWordArray a;
  for (DWORD i = 0; i < 5; ++i) a.Add(i);
  a.InsertAt(2, 99, 2);
  a.RemoveAt(0);
  ASSERT_EQ(a.GetSize(), 6);
  EXPECT_EQ(a[0], 1u);
  EXPECT_EQ(a[1], 99u);
  EXPECT_EQ(a[2], 99u);
  EXPECT_EQ(a[3], 2u);
  a.RemoveAt(4, 100);  // clamped to the end
  EXPECT_EQ(a.GetUpperBound(), 3);
  a.RemoveAt(10);
  a.RemoveAt(-1);
  a.SetAt(50, 7);
  EXPECT_EQ(a.GetSize(), 4);
  a.InsertAt(6, 5);  // past the end: grows with zeros
  ASSERT_EQ(a.GetSize(), 7);
  EXPECT_EQ(a[4], 0u);
  EXPECT_EQ(a[6], 5u);
  a.SetAtGrow(9, 3);
  EXPECT_EQ(a.GetSize(), 10);
  a.RemoveAll();
  EXPECT_TRUE(a.IsEmpty());
}

TEST(CArray, AddingAnElementOfItselfSurvivesReallocation) {
  CStringArray names;
  names.Add(u"first");
  for (int i = 0; i < 40; ++i) names.Add(names[0]);
  EXPECT_EQ(Text(names[40]), u"first");
  CStringArray copy;
  copy.Copy(names);
  copy.Append(copy);
  EXPECT_EQ(copy.GetSize(), 82);
  EXPECT_EQ(Text(copy[81]), u"first");
  CStringArray front;
  front.Add(u"a");
  front.InsertAt(0, &names);
  EXPECT_EQ(front.GetSize(), 42);
  EXPECT_EQ(Text(front[41]), u"a");
}

TEST(CList, PositionsWalkBothWaysAndSurviveRemoval) {
  CStringList list;
  list.AddTail(u"b");
  list.AddHead(u"a");
  POSITION c = list.AddTail(u"c");
  list.InsertBefore(c, u"b2");
  list.InsertAfter(c, u"d");
  std::u16string forward;
  for (POSITION p = list.GetHeadPosition(); p != nullptr;) forward += list.GetNext(p).Native() + u",";
  EXPECT_EQ(forward, u"a,b,b2,c,d,");
  std::u16string backward;
  for (POSITION p = list.GetTailPosition(); p != nullptr;) backward += list.GetPrev(p).Native();
  EXPECT_EQ(backward, u"dcb2ba");
  EXPECT_EQ(list.Find(u"c"), c);
  EXPECT_EQ(list.Find(u"c", c), nullptr);
  EXPECT_EQ(list.FindIndex(3), c);
  EXPECT_EQ(list.FindIndex(5), nullptr);
  list.RemoveAt(c);
  EXPECT_EQ(Text(list.RemoveHead()), u"a");
  EXPECT_EQ(Text(list.RemoveTail()), u"d");
  EXPECT_EQ(list.GetCount(), 2);
  EXPECT_EQ(Text(list.GetHead()), u"b");
  EXPECT_EQ(Text(list.GetTail()), u"b2");
  CStringList other;
  other.AddTail(u"x");
  other.AddTail(u"y");
  list.AddHead(&other);
  EXPECT_EQ(Text(list.GetHead()), u"x");
  EXPECT_EQ(Text(list.GetAt(list.FindIndex(1))), u"y");
}

TEST(CMap, IterationVisitsEveryEntryOnceAndRemovalIsSafeDuringIt) {
  CMap<int, int, CString, const CString&> map;
  for (int i = 0; i < 100; ++i) map[i * 37].Format(u"v%d", i);
  map.SetAt(0, u"zero");
  EXPECT_EQ(map.GetCount(), 100);
  std::set<int> seen;
  POSITION p = map.GetStartPosition();
  while (p != nullptr) {
    int key;
    CString value;
    map.GetNextAssoc(p, key, value);
    EXPECT_TRUE(seen.insert(key).second);
    if (key % 2 == 1) map.RemoveKey(key);
  }
  EXPECT_EQ(seen.size(), 100u);
  EXPECT_EQ(map.GetCount(), 50);
  CString value;
  EXPECT_TRUE(map.Lookup(0, value));
  EXPECT_EQ(Text(value), u"zero");
  EXPECT_FALSE(map.Lookup(37, value));
  EXPECT_FALSE(map.RemoveKey(37));
  map.RemoveAll();
  EXPECT_EQ(map.GetStartPosition(), nullptr);
}

TEST(CMap, StringKeysCompareByTextNotPointer) {
  CMapStringToPtr map;
  map.InitHashTable(7);
  int one = 1, two = 2;
  map[u"alpha"] = &one;
  CString key(u"alpha");
  void* found = nullptr;
  EXPECT_TRUE(map.Lookup(key, found));
  EXPECT_EQ(found, &one);
  map.SetAt(CString(u"al") + u"pha", &two);
  EXPECT_EQ(map.GetCount(), 1);
  EXPECT_TRUE(map.Lookup(u"alpha", found));
  EXPECT_EQ(found, &two);
  EXPECT_FALSE(map.Lookup(u"ALPHA", found));
}

struct CItemForTest : public CObject {
  int id = 0;
};

TEST(TypedPtrCollections, HandOutTheStoredType) {
  CItemForTest a, b;
  a.id = 1;
  b.id = 2;
  CTypedPtrArray<CObArray, CItemForTest*> array;
  array.Add(&a);
  array.Add(&b);
  EXPECT_EQ(array[1]->id, 2);
  array.ElementAt(0) = &b;
  EXPECT_EQ(array.GetAt(0)->id, 2);

  CTypedPtrList<CPtrList, CItemForTest*> list;
  list.AddTail(&a);
  list.AddTail(&b);
  POSITION p = list.GetHeadPosition();
  EXPECT_EQ(list.GetNext(p)->id, 1);
  EXPECT_EQ(list.GetNext(p)->id, 2);
  EXPECT_EQ(p, nullptr);

  CTypedPtrMap<CMapStringToPtr, CString, CItemForTest*> map;
  map.SetAt(u"a", &a);
  map[u"b"] = &b;
  CItemForTest* found = nullptr;
  EXPECT_TRUE(map.Lookup(u"b", found));
  EXPECT_EQ(found, &b);
  std::map<std::u16string, int> all;
  for (POSITION q = map.GetStartPosition(); q != nullptr;) {
    CString key;
    CItemForTest* item;
    map.GetNextAssoc(q, key, item);
    all[key.Native()] = item->id;
  }
  EXPECT_EQ(all, (std::map<std::u16string, int>{{u"a", 1}, {u"b", 2}}));
}

}  // namespace
