#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"

namespace {

class TBase : public TPersistent {
  KW_DECLARE_CLASS(TBase, TPersistent)
 public:
  int Value = 0;
  void Assign(const TPersistent* Source) override {
    if (auto* b = ObjectAs<TBase>(Source)) {
      Value = b->Value;
      return;
    }
    TPersistent::Assign(Source);
  }
};

class TDerived : public TBase {
  KW_DECLARE_CLASS(TDerived, TBase)
};

class TOther : public TPersistent {
  KW_DECLARE_CLASS(TOther, TPersistent)
};

TEST(ClassInfo, NamesParentsAndIsA) {
  TDerived d;
  EXPECT_EQ(d.ClassName(), "TDerived");
  EXPECT_STREQ(d.ClassType().Parent->Name, "TBase");
  EXPECT_TRUE(d.Is<TBase>());
  EXPECT_TRUE(d.Is<TPersistent>());
  EXPECT_TRUE(d.Is<TObject>());
  EXPECT_FALSE(d.Is<TOther>());
  TObject* asObject = &d;
  EXPECT_EQ(ObjectAs<TBase>(asObject), &d);
  EXPECT_EQ(ObjectAs<TOther>(asObject), nullptr);
}

TEST(Persistent, AssignCopiesOrRaisesWithBothClassNames) {
  TDerived a, b;
  b.Value = 7;
  a.Assign(&b);
  EXPECT_EQ(a.Value, 7);

  TOther other;
  try {
    a.Assign(&other);
    FAIL() << "expected EConvertError";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "Cannot assign a TOther to a TDerived");
  }
  try {
    a.Assign(nullptr);
    FAIL() << "expected EConvertError";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "Cannot assign a nil to a TDerived");
  }
}

TEST(Exceptions, KeepClassNameAndMessage) {
  try {
    throw EOSError("Access denied", 5);
  } catch (const Exception& e) {
    EXPECT_EQ(e.ClassName(), "EOSError");
    EXPECT_STREQ(e.what(), "Access denied");
    EXPECT_TRUE(e.Is<Exception>());
  }
  EXPECT_THROW(Abort(), EAbort);
}

}  // namespace
