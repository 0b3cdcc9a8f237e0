// Run-time class records: kind tests, creation by name, schemas.
#include <gtest/gtest.h>

#include <cstring>

#include "compat/afx.h"

class CShapeForTest : public CObject {
  DECLARE_DYNAMIC(CShapeForTest)
};

class CCircleForTest : public CShapeForTest {
  DECLARE_DYNCREATE(CCircleForTest)
 public:
  int radius = 5;
};

class CStoredForTest : public CObject {
  DECLARE_SERIAL(CStoredForTest)
};

IMPLEMENT_DYNAMIC(CShapeForTest, CObject)
IMPLEMENT_DYNCREATE(CCircleForTest, CShapeForTest)
IMPLEMENT_SERIAL(CStoredForTest, CObject, 3)

namespace {

TEST(CRuntimeClass, KindFollowsTheBaseChainOnly) {
  CCircleForTest circle;
  EXPECT_TRUE(circle.IsKindOf(RUNTIME_CLASS(CCircleForTest)));
  EXPECT_TRUE(circle.IsKindOf(RUNTIME_CLASS(CShapeForTest)));
  EXPECT_TRUE(circle.IsKindOf(RUNTIME_CLASS(CObject)));
  EXPECT_FALSE(circle.IsKindOf(RUNTIME_CLASS(CStoredForTest)));
  const CObject& asObject = circle;
  EXPECT_EQ(asObject.GetRuntimeClass(), RUNTIME_CLASS(CCircleForTest));
  EXPECT_STREQ(asObject.GetRuntimeClass()->m_lpszClassName, "CCircleForTest");
  EXPECT_EQ(RUNTIME_CLASS(CCircleForTest)->m_nObjectSize, static_cast<int>(sizeof(CCircleForTest)));
}

TEST(CRuntimeClass, CreatesObjectsByRecordAndByName) {
  CObject* made = RUNTIME_CLASS(CCircleForTest)->CreateObject();
  ASSERT_NE(made, nullptr);
  EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CCircleForTest)));
  EXPECT_EQ(static_cast<CCircleForTest*>(made)->radius, 5);
  delete made;
  EXPECT_EQ(RUNTIME_CLASS(CShapeForTest)->CreateObject(), nullptr);  // not creatable
  EXPECT_EQ(CRuntimeClass::FromName(u"CStoredForTest"), RUNTIME_CLASS(CStoredForTest));
  EXPECT_EQ(CRuntimeClass::FromName("CObject"), RUNTIME_CLASS(CObject));
  EXPECT_EQ(CRuntimeClass::FromName("NoSuchClass"), nullptr);
  CObject* byName = CRuntimeClass::CreateObject(u"CStoredForTest");
  ASSERT_NE(byName, nullptr);
  EXPECT_TRUE(byName->IsSerializable());
  EXPECT_EQ(byName->GetRuntimeClass()->m_wSchema, 3u);
  delete byName;
  EXPECT_FALSE(CCircleForTest().IsSerializable());
}

TEST(Diagnostics, AssertCostsNothingAndVerifyEvaluates) {
  int calls = 0;
  ASSERT(++calls == 1);
  EXPECT_EQ(calls, 0);
  VERIFY(++calls == 1);
  EXPECT_EQ(calls, 1);
  TRACE(u"%d\n", calls);
}

}  // namespace
