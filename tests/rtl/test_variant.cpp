#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <ostream>
#include <utility>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Variant.h"

// Readable failure output: the type and, where there is one, the text.
void PrintTo(const Variant& V, std::ostream* Out) {
  *Out << VarTypeAsText(V.VarType());
  if (!V.IsNull() && !V.IsArray() && V.VarType() != varDispatch && V.VarType() != varError)
    *Out << " '" << V.AsString() << "'";
}

namespace {

// 资产 ("assets") in code page 936 and in UTF-16.
const char* const kAssetsGB = "\xD7\xCA\xB2\xFA";
const char16_t* const kAssetsWide = u"\u8D44\u4EA7";

// Runs a test under a given process code page and restores the previous one.
class TCodePageGuard {
 public:
  explicit TCodePageGuard(unsigned CodePage) : FSaved(GetACP()) { SetACP(CodePage); }
  ~TCodePageGuard() { SetACP(FSaved); }

 private:
  unsigned FSaved;
};

template <class E>
void ExpectRaise(const std::function<void()>& Action, const AnsiString& Message,
                 const std::string& Context) {
  try {
    Action();
    ADD_FAILURE() << Context << ": nothing raised, expected " << E::StaticClass().Name;
  } catch (const E& e) {
    EXPECT_EQ(e.Message, Message) << Context;
  } catch (const Exception& e) {
    ADD_FAILURE() << Context << ": raised " << e.ClassName() << " '" << e.Message << "', expected "
                  << E::StaticClass().Name;
  }
}

AnsiString CastText(const char* From, const char* To) {
  return AnsiString("Could not convert variant of type (") + From + ") into type (" + To + ")";
}
AnsiString OverflowText(const char* From, const char* To) {
  return AnsiString("Overflow while converting variant of type (") + From + ") into type (" + To + ")";
}
const char* const kBadIndex = "Variant or safe array index out of bounds";

// ---- construction ---------------------------------------------------------------

TEST(VariantConstruction, EachSourceTypeGivesTheRunTimeKind) {
  struct Case {
    Variant Value;
    TVarType Type;
  } cases[] = {
      {Variant(), varEmpty},
      {Variant::Null(), varNull},
      {Null(), varNull},
      {Unassigned(), varEmpty},
      {true, varBoolean},
      {42, varInteger},
      {int64_t{42}, varInt64},
      {static_cast<short>(4), varSmallint},
      {static_cast<signed char>(4), varShortInt},
      {static_cast<unsigned char>(4), varByte},
      {static_cast<unsigned short>(4), varWord},
      {4u, varLongWord},
      {uint64_t{4}, varUInt64},
      {1.5, varDouble},
      {1.5f, varSingle},
      {Currency::FromScaled(15000), varCurrency},
      {TDateTime(45000.5), varDate},
      {"text", varString},
      {AnsiString("text"), varString},
      {'x', varString},
      {WideString(u"text"), varOleStr},
      {u"text", varOleStr},
      {VarAsError(-2147352572), varError},
  };
  for (const Case& c : cases) EXPECT_EQ(c.Value.VarType(), c.Type) << VarTypeAsText(c.Type);
}

TEST(VariantConstruction, TypeNamesAsTheRunTimeWritesThem) {
  struct Case {
    TVarType Type;
    const char* Name;
  } cases[] = {
      {varEmpty, "Empty"},       {varNull, "Null"},         {varSmallint, "Smallint"},
      {varInteger, "Integer"},   {varSingle, "Single"},     {varDouble, "Double"},
      {varCurrency, "Currency"}, {varDate, "Date"},         {varOleStr, "OleStr"},
      {varDispatch, "Dispatch"}, {varError, "Error"},       {varBoolean, "Boolean"},
      {varVariant, "Variant"},   {varUnknown, "Unknown"},   {varShortInt, "ShortInt"},
      {varByte, "Byte"},         {varWord, "Word"},         {varLongWord, "LongWord"},
      {varInt64, "Int64"},       {varString, "String"},     {varArray | varVariant, "Array Variant"},
      {varArray | varByte, "Array Byte"},                   {0x000F, "$000F"},
  };
  for (const Case& c : cases) EXPECT_EQ(VarTypeAsText(c.Type), c.Name);
}

// ---- conversions ----------------------------------------------------------------

TEST(VariantToText, EveryKind) {
  TCodePageGuard codePage(936);
  struct Case {
    Variant Value;
    AnsiString Text;
  } cases[] = {
      {Variant(), ""},
      {42, "42"},
      {int64_t{-9000000000}, "-9000000000"},
      {static_cast<unsigned char>(255), "255"},
      {std::numeric_limits<uint64_t>::max(), "18446744073709551615"},
      {true, "True"},
      {false, "False"},
      {1.5, "1.5"},
      {1e20, "1E20"},
      {0.5f, "0.5"},
      {Currency::FromScaled(123400), "12.34"},
      {EncodeDate(2024, 3, 5), "2024/3/5"},
      {TDateTime(EncodeDate(2024, 3, 5) + EncodeTime(13, 45, 0, 0)), "2024/3/5 13:45:00"},
      {"abc", "abc"},
      {AnsiString("a\0b", 3), AnsiString("a\0b", 3)},
      {WideString(kAssetsWide), kAssetsGB},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.Value.AsString(), c.Text) << VarTypeAsText(c.Value.VarType());
    EXPECT_EQ(VarToStr(c.Value), c.Text);
  }
}

TEST(VariantToText, WideTextsUseTheProcessCodePage) {
  {
    TCodePageGuard codePage(936);
    EXPECT_EQ(Variant(kAssetsGB).AsWideString(), kAssetsWide);
    EXPECT_EQ(Variant(kAssetsWide).AsString(), kAssetsGB);
  }
  {
    // 資產 in Big5.
    TCodePageGuard codePage(950);
    EXPECT_EQ(Variant(u"\u8CC7\u7522").AsString(), "\xB8\xEA\xB2\xA3");
    EXPECT_EQ(Variant("\xB8\xEA\xB2\xA3").AsWideString(), u"\u8CC7\u7522");
  }
  EXPECT_EQ(VarToWideStr(Variant(12)), u"12");
  EXPECT_EQ(VarToWideStr(Variant::Null()), u"");
  EXPECT_EQ(VarToWideStrDef(Variant::Null(), u"none"), u"none");
}

TEST(VariantToText, NullRaisesExceptThroughVarToStr) {
  ExpectRaise<EVariantTypeCastError>([] { Variant::Null().AsString(); }, CastText("Null", "String"),
                                     "AsString");
  ExpectRaise<EVariantTypeCastError>([] { Variant::Null().AsWideString(); },
                                     CastText("Null", "OleStr"), "AsWideString");
  EXPECT_EQ(VarToStr(Variant::Null()), "");
  EXPECT_EQ(VarToStrDef(Variant::Null(), "n/a"), "n/a");
  // Only Null takes the default; Empty is the empty text.
  EXPECT_EQ(VarToStrDef(Variant(), "n/a"), "");
  ExpectRaise<EVariantTypeCastError>([] { VarToStr(VarArrayOf({1})); },
                                     CastText("Array Variant", "String"), "array");
}

TEST(VariantToInteger, ConversionsRoundHalfToEven) {
  struct Case {
    Variant Value;
    int Expected;
  } cases[] = {
      {Variant(), 0},
      {true, -1},
      {false, 0},
      {2.5, 2},
      {3.5, 4},
      {-2.5, -2},
      {-3.5, -4},
      {2.4999, 2},
      {Currency::FromScaled(25000), 2},
      {Currency::FromScaled(35000), 4},
      {Currency::FromScaled(-25001), -3},
      {TDateTime(45000.75), 45001},
      {"  42 ", 42},
      {"-17", -17},
      {"$1F", 31},
      {"2.5", 2},
      {"3.5", 4},
      {"1E3", 1000},
      {u"12", 12},
      {static_cast<unsigned char>(200), 200},
      {int64_t{-2147483648LL}, std::numeric_limits<int>::min()},
  };
  for (const Case& c : cases) EXPECT_EQ(c.Value.AsInteger(), c.Expected) << ::testing::PrintToString(c.Value);
}

TEST(VariantToInteger, ErrorsNameBothTypes) {
  struct Case {
    Variant Value;
    bool Overflow;
    AnsiString Message;
  } cases[] = {
      {Variant::Null(), false, CastText("Null", "Integer")},
      {"abc", false, CastText("String", "Integer")},
      {"", false, CastText("String", "Integer")},
      {"12abc", false, CastText("String", "Integer")},
      {u"x", false, CastText("OleStr", "Integer")},
      {VarArrayOf({1}), false, CastText("Array Variant", "Integer")},
      {VarAsError(1), false, CastText("Error", "Integer")},
      {3e9, true, OverflowText("Double", "Integer")},
      {std::nan(""), true, OverflowText("Double", "Integer")},
      {int64_t{5000000000}, true, OverflowText("Int64", "Integer")},
      {4000000000u, true, OverflowText("LongWord", "Integer")},
      {"99999999999", true, OverflowText("String", "Integer")},
      {Currency::FromScaled(int64_t{30000000000000}), true, OverflowText("Currency", "Integer")},
  };
  for (const Case& c : cases) {
    std::string context = ::testing::PrintToString(c.Message);
    if (c.Overflow)
      ExpectRaise<EVariantOverflowError>([&] { c.Value.AsInteger(); }, c.Message, context);
    else
      ExpectRaise<EVariantTypeCastError>([&] { c.Value.AsInteger(); }, c.Message, context);
  }
}

TEST(VariantToInt64, FullRangeAndOverflow) {
  EXPECT_EQ(Variant("9223372036854775807").AsInt64(), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(Variant(-9.0e18).AsInt64(), int64_t{-9000000000000000000});
  EXPECT_EQ(Variant(4000000000u).AsInt64(), 4000000000);
  ExpectRaise<EVariantOverflowError>([] { Variant(1e19).AsInt64(); }, OverflowText("Double", "Int64"),
                                     "double");
  ExpectRaise<EVariantOverflowError>([] { Variant(std::numeric_limits<uint64_t>::max()).AsInt64(); },
                                     OverflowText("UInt64", "Int64"), "uint64");
  ExpectRaise<EVariantOverflowError>([] { Variant("99999999999999999999").AsInt64(); },
                                     OverflowText("String", "Int64"), "text");
}

TEST(VariantToFloat, EveryKind) {
  struct Case {
    Variant Value;
    double Expected;
  } cases[] = {
      {Variant(), 0},           {true, -1},
      {7, 7},                   {int64_t{1} << 40, 1099511627776.0},
      {0.25f, 0.25},            {Currency::FromScaled(12345), 1.2345},
      {TDateTime(45000.5), 45000.5}, {" 1.25 ", 1.25},
      {"-3E2", -300},           {u"0.5", 0.5},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(c.Value.AsFloat(), c.Expected) << ::testing::PrintToString(c.Value);
  ExpectRaise<EVariantTypeCastError>([] { Variant("1.2.3").AsFloat(); }, CastText("String", "Double"),
                                     "bad text");
  ExpectRaise<EVariantTypeCastError>([] { Variant::Null().AsFloat(); }, CastText("Null", "Double"),
                                     "null");
}

TEST(VariantToFloat, TextFollowsTheDecimalSeparator) {
  TFormatSettingsGuard guard;
  FormatSettings.DecimalSeparator = ',';
  EXPECT_DOUBLE_EQ(Variant("1,25").AsFloat(), 1.25);
  EXPECT_EQ(Variant(1.25).AsString(), "1,25");
}

TEST(VariantToCurrency, RoundsToFourDecimals) {
  struct Case {
    Variant Value;
    int64_t Scaled;
  } cases[] = {
      {1.23456, 12346},
      {-1.23454, -12345},
      {0.00004, 0},
      {5, 50000},
      {true, -10000},
      {"12.34", 123400},
      {"922337203685477.5807", std::numeric_limits<int64_t>::max()},
      {Variant(), 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.Value.AsCurrency().Scaled, c.Scaled) << ::testing::PrintToString(c.Value);
  ExpectRaise<EVariantOverflowError>([] { Variant(1e20).AsCurrency(); },
                                     OverflowText("Double", "Currency"), "double");
  ExpectRaise<EVariantOverflowError>([] { Variant(std::numeric_limits<int64_t>::max()).AsCurrency(); },
                                     OverflowText("Int64", "Currency"), "int64");
  ExpectRaise<EVariantTypeCastError>([] { Variant("ten").AsCurrency(); },
                                     CastText("String", "Currency"), "text");
}

TEST(VariantToBoolean, NumbersAndWords) {
  struct Case {
    Variant Value;
    bool Expected;
  } cases[] = {
      {Variant(), false}, {0, false},   {-1, true},   {2, true},
      {0.0, false},       {0.001, true}, {Currency::FromScaled(1), true},
      {"TRUE", true},     {"false", false}, {" True ", true}, {"0", false},
      {"2", true},        {u"False", false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.Value.AsBoolean(), c.Expected) << ::testing::PrintToString(c.Value);
  ExpectRaise<EVariantTypeCastError>([] { Variant("yes").AsBoolean(); },
                                     CastText("String", "Boolean"), "word");
  ExpectRaise<EVariantTypeCastError>([] { Variant::Null().AsBoolean(); },
                                     CastText("Null", "Boolean"), "null");
}

TEST(VariantToDate, TextsAndNumbers) {
  const TDateTime march5 = EncodeDate(2024, 3, 5);
  struct Case {
    Variant Value;
    double Expected;
  } cases[] = {
      {Variant(), 0},
      {"2024/3/5", march5},
      {" 2024/03/05 ", march5},
      {"2024/3/5 12:00:00", march5 + 0.5},
      {45000, 45000},
      {45000.25, 45000.25},
      {march5, march5},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(c.Value.AsDate(), c.Expected) << ::testing::PrintToString(c.Value);
  ExpectRaise<EVariantTypeCastError>([] { Variant("not a date").AsDate(); },
                                     CastText("String", "Date"), "text");
  ExpectRaise<EVariantTypeCastError>([] { Variant::Null().AsDate(); }, CastText("Null", "Date"), "null");
}

TEST(VariantAsType, ConvertsToEachSimpleType) {
  struct Case {
    Variant Value;
    TVarType Target;
    Variant Expected;
  } cases[] = {
      {3.7, varInteger, 4},
      {"12", varSmallint, static_cast<short>(12)},
      {255, varByte, static_cast<unsigned char>(255)},
      {"-128", varShortInt, static_cast<signed char>(-128)},
      {65535, varWord, static_cast<unsigned short>(65535)},
      {1.5e19, varUInt64, uint64_t{15000000000000000000u}},
      {5, varString, "5"},
      {"1.5", varDouble, 1.5},
      {"1.5", varSingle, 1.5f},
      {"x", varOleStr, u"x"},
      {1, varBoolean, true},
      {"2024/3/5", varDate, EncodeDate(2024, 3, 5)},
      {2, varCurrency, Currency::FromScaled(20000)},
      {Variant::Null(), varNull, Variant::Null()},
      {42, varEmpty, Variant()},
      {Variant(), varDispatch, Variant(static_cast<IDispatch*>(nullptr))},
  };
  for (const Case& c : cases) {
    Variant result = VarAsType(c.Value, c.Target);
    EXPECT_EQ(result.VarType(), c.Target) << VarTypeAsText(c.Target);
    if (c.Target != varDispatch) {
      EXPECT_TRUE(VarSameValue(result, c.Expected)) << VarTypeAsText(c.Target);
    }
  }
}

TEST(VariantAsType, RangeAndKindErrors) {
  struct Case {
    Variant Value;
    TVarType Target;
    bool Overflow;
    AnsiString Message;
  } cases[] = {
      {300, varByte, true, OverflowText("Integer", "Byte")},
      {-1, varWord, true, OverflowText("Integer", "Word")},
      {-1, varLongWord, true, OverflowText("Integer", "LongWord")},
      {40000, varSmallint, true, OverflowText("Integer", "Smallint")},
      {1e39, varSingle, true, OverflowText("Double", "Single")},
      {-1, varUInt64, true, OverflowText("Integer", "UInt64")},
      {Variant::Null(), varInteger, false, CastText("Null", "Integer")},
      {Variant::Null(), varString, false, CastText("Null", "String")},
      {VarArrayOf({1}), varInteger, false, CastText("Array Variant", "Integer")},
      {1, varArray | varVariant, false, CastText("Integer", "Array Variant")},
      {1, varDispatch, false, CastText("Integer", "Dispatch")},
  };
  for (const Case& c : cases) {
    std::string context = ::testing::PrintToString(c.Message);
    if (c.Overflow)
      ExpectRaise<EVariantOverflowError>([&] { VarAsType(c.Value, c.Target); }, c.Message, context);
    else
      ExpectRaise<EVariantTypeCastError>([&] { VarAsType(c.Value, c.Target); }, c.Message, context);
  }
}

TEST(VariantPredicates, ClassifyEachKind) {
  struct Case {
    Variant Value;
    bool Str, Ordinal, Float, Numeric, Clear;
  } cases[] = {
      {Variant(), false, false, false, false, true},
      {Variant::Null(), false, false, false, false, false},
      {"a", true, false, false, false, false},
      {u"a", true, false, false, false, false},
      {1, false, true, false, true, false},
      {true, false, true, false, true, false},
      {static_cast<unsigned char>(1), false, true, false, true, false},
      {1.0, false, false, true, true, false},
      {1.0f, false, false, true, true, false},
      {Currency(), false, false, true, true, false},
      {TDateTime(1), false, false, false, false, false},
      {static_cast<IDispatch*>(nullptr), false, false, false, false, true},
      {VarArrayOf({}), false, false, false, false, false},
  };
  for (const Case& c : cases) {
    std::string name = VarTypeAsText(c.Value.VarType());
    EXPECT_EQ(VarIsStr(c.Value), c.Str) << name;
    EXPECT_EQ(VarIsOrdinal(c.Value), c.Ordinal) << name;
    EXPECT_EQ(VarIsFloat(c.Value), c.Float) << name;
    EXPECT_EQ(VarIsNumeric(c.Value), c.Numeric) << name;
    EXPECT_EQ(VarIsClear(c.Value), c.Clear) << name;
  }
}

// ---- comparison and arithmetic ---------------------------------------------------

TEST(VariantCompare, SameKindCrossKindNullAndEmpty) {
  enum Relation { Less, Equal, Greater, Unordered };
  struct Case {
    Variant A, B;
    Relation Expected;
  } cases[] = {
      {1, 1.0, Equal},
      {2, int64_t{2}, Equal},
      {std::numeric_limits<uint64_t>::max(), -1, Greater},
      {std::numeric_limits<uint64_t>::max(), std::numeric_limits<int64_t>::max(), Greater},
      {true, -1, Equal},
      {Currency::FromScaled(15000), 1.5, Equal},
      {Currency::FromScaled(15001), 1, Greater},
      {EncodeDate(2024, 3, 5), static_cast<double>(EncodeDate(2024, 3, 5)), Equal},
      {"abc", "abd", Less},
      {"abc", "abc", Equal},
      {u"abc", "abc", Equal},
      {"10", 10, Equal},
      {"10", 9.5, Greater},
      {"2024/3/5", EncodeDate(2024, 3, 5), Equal},
      {"true", true, Equal},
      {Variant::Null(), Variant::Null(), Equal},
      {Variant::Null(), 0, Less},
      {-5, Variant::Null(), Greater},
      {Variant::Null(), Variant(), Less},
      {Variant(), Variant(), Equal},
      {Variant(), 0, Equal},
      {Variant(), "", Equal},
      {Variant(), false, Equal},
      {Variant(), 1, Less},
      {"a", Variant(), Greater},
      {std::nan(""), std::nan(""), Unordered},
  };
  for (const Case& c : cases) {
    std::string context = ::testing::PrintToString(c.A) + " vs " + ::testing::PrintToString(c.B);
    EXPECT_EQ(c.A == c.B, c.Expected == Equal) << context;
    EXPECT_EQ(c.A != c.B, c.Expected != Equal) << context;
    EXPECT_EQ(c.A < c.B, c.Expected == Less) << context;
    EXPECT_EQ(c.A > c.B, c.Expected == Greater) << context;
    EXPECT_EQ(c.A <= c.B, c.Expected == Less || c.Expected == Equal) << context;
    EXPECT_EQ(c.A >= c.B, c.Expected == Greater || c.Expected == Equal) << context;
  }
}

TEST(VariantCompare, ImpossibleComparisonsRaise) {
  ExpectRaise<EVariantInvalidOpError>([] { (void)(VarArrayOf({1}) == VarArrayOf({1})); },
                                      "Invalid variant operation", "arrays");
  ExpectRaise<EVariantInvalidOpError>([] { (void)(Variant::Null() == VarArrayOf({})); },
                                      "Invalid variant operation", "null and array");
  ExpectRaise<EVariantTypeCastError>([] { (void)(Variant("abc") == Variant(1)); },
                                     CastText("String", "Double"), "text and number");
}

TEST(VariantCompare, SameValueAndRelationshipKeepEmptyAndNullApart) {
  struct Case {
    Variant A, B;
    bool Same;
    TVariantRelationship Relation;
  } cases[] = {
      {Variant(), Variant(), true, vrEqual},
      {Variant::Null(), Variant::Null(), true, vrEqual},
      {Variant(), 0, false, vrNotEqual},
      {0, Variant(), false, vrNotEqual},
      {Variant(), Variant::Null(), false, vrNotEqual},
      {Variant::Null(), 0, false, vrNotEqual},
      {1, 1.0, true, vrEqual},
      {1, 2, false, vrLessThan},
      {"b", "a", false, vrGreaterThan},
  };
  for (const Case& c : cases) {
    std::string context = ::testing::PrintToString(c.A) + " vs " + ::testing::PrintToString(c.B);
    EXPECT_EQ(VarSameValue(c.A, c.B), c.Same) << context;
    EXPECT_EQ(VarCompareValue(c.A, c.B), c.Relation) << context;
  }
}

TEST(VariantArithmetic, ResultKindsAndValues) {
  const TDateTime day = EncodeDate(2024, 3, 5);
  struct Case {
    Variant Result;
    TVarType Type;
    Variant Expected;
  } cases[] = {
      {Variant(2) + Variant(3), varInteger, 5},
      {Variant(std::numeric_limits<int>::max()) + Variant(1), varInt64, int64_t{2147483648}},
      {Variant(std::numeric_limits<int64_t>::max()) + Variant(1), varDouble, 9223372036854775808.0},
      {Variant(int64_t{5}) - Variant(7), varInt64, int64_t{-2}},
      {Variant(true) + Variant(true), varInteger, -2},
      {Variant(6) * Variant(7), varInteger, 42},
      {Variant(7) / Variant(2), varDouble, 3.5},
      {Variant(1.5) + Variant(1), varDouble, 2.5},
      {Variant(1.5f) + Variant(1.0f), varSingle, 2.5f},
      {Variant("ab") + Variant("cd"), varString, "abcd"},
      {Variant("ab") + Variant(u"cd"), varOleStr, u"abcd"},
      {Variant() + Variant("x"), varString, "x"},
      {Variant("1") + Variant(2), varDouble, 3.0},
      {Variant("3") - Variant("1"), varDouble, 2.0},
      {Variant() + Variant(), varInteger, 0},
      {Variant() + Variant(5), varInteger, 5},
      {Variant::Null() + Variant(1), varNull, Variant::Null()},
      {Variant("x") + Variant::Null(), varNull, Variant::Null()},
      {Variant(day) + Variant(1), varDate, TDateTime(day + 1)},
      {Variant(day) - Variant(0.5), varDate, TDateTime(day - 0.5)},
      {Variant(TDateTime(day + 3)) - Variant(day), varDouble, 3.0},
      {Variant(Currency::FromScaled(15000)) + Variant(2), varCurrency, Currency::FromScaled(35000)},
      {Variant(Currency::FromScaled(15000)) * Variant(Currency::FromScaled(15000)), varCurrency,
       Currency::FromScaled(22500)},
      {Variant(Currency::FromScaled(1)) * Variant(Currency::FromScaled(5000)), varCurrency,
       Currency::FromScaled(0)},
      {Variant(Currency::FromScaled(3)) * Variant(Currency::FromScaled(5000)), varCurrency,
       Currency::FromScaled(2)},
  };
  for (const Case& c : cases) {
    std::string context = ::testing::PrintToString(c.Expected);
    EXPECT_EQ(c.Result.VarType(), c.Type) << context;
    EXPECT_TRUE(VarSameValue(c.Result, c.Expected)) << context << " got " << ::testing::PrintToString(c.Result);
  }
  Variant total = 0;
  for (int i = 1; i <= 4; ++i) total += i;
  EXPECT_EQ(total.AsInteger(), 10);
}

TEST(VariantArithmetic, InvalidOperationsRaise) {
  ExpectRaise<EVariantInvalidOpError>([] { VarArrayOf({1}) + Variant(1); }, "Invalid variant operation",
                                      "array");
  ExpectRaise<EZeroDivide>([] { Variant(1) / Variant(0); }, "Floating point division by zero", "zero");
  ExpectRaise<EVariantTypeCastError>([] { Variant("x") - Variant(1); }, CastText("String", "Double"),
                                     "text minus number");
  ExpectRaise<EVariantOverflowError>(
      [] { Variant(Currency::FromScaled(std::numeric_limits<int64_t>::max())) + Variant(1); },
      "Variant overflow", "currency");
}

// ---- arrays -----------------------------------------------------------------------

TEST(VariantArray, BoundsOfSeveralDimensionsWithNonZeroLowBounds) {
  Variant a = VarArrayCreate({-2, 1, 5, 7, 1, 1}, varVariant);
  EXPECT_TRUE(VarIsArray(a));
  EXPECT_EQ(a.VarType(), varArray | varVariant);
  ASSERT_EQ(VarArrayDimCount(a), 3);
  const int expected[3][2] = {{-2, 1}, {5, 7}, {1, 1}};
  for (int dim = 1; dim <= 3; ++dim) {
    EXPECT_EQ(VarArrayLowBound(a, dim), expected[dim - 1][0]) << dim;
    EXPECT_EQ(VarArrayHighBound(a, dim), expected[dim - 1][1]) << dim;
  }
  // Every cell is its own place: write all, read all back.
  for (int i = -2; i <= 1; ++i)
    for (int j = 5; j <= 7; ++j) a.PutElement({i, j, 1}, i * 10 + j);
  for (int i = -2; i <= 1; ++i)
    for (int j = 5; j <= 7; ++j) EXPECT_EQ(a.GetElement({i, j, 1}).AsInteger(), i * 10 + j);
  EXPECT_TRUE(VarArrayCreate({0, 1}, varVariant).GetElement({1}).IsEmpty());
}

TEST(VariantArray, BadIndexesAndDimensionsRaise) {
  Variant a = VarArrayCreate({-2, 1, 5, 7}, varVariant);
  const std::vector<int> badIndexes[] = {{-3, 5}, {2, 5}, {0, 4}, {0, 8}, {0}, {0, 5, 0}};
  for (const auto& index : badIndexes) {
    std::string context = ::testing::PrintToString(index);
    ExpectRaise<EVariantBadIndexError>([&] { a.GetElement(index); }, kBadIndex, context);
    ExpectRaise<EVariantBadIndexError>([&] { a.PutElement(index, 1); }, kBadIndex, context);
  }
  Variant list = VarArrayOf({1, 2});
  ExpectRaise<EVariantBadIndexError>([&] { list[2] = 0; }, kBadIndex, "operator[]");
  ExpectRaise<EVariantBadIndexError>([&] { std::as_const(list)[-1]; }, kBadIndex, "const operator[]");
  ExpectRaise<EVariantBadIndexError>([&] { a[0]; }, kBadIndex, "operator[] on two dimensions");
  for (int dim : {0, 3, -1}) {
    ExpectRaise<EVariantBadIndexError>([&] { VarArrayLowBound(a, dim); }, kBadIndex, "low dim");
    ExpectRaise<EVariantBadIndexError>([&] { VarArrayHighBound(a, dim); }, kBadIndex, "high dim");
  }
  ExpectRaise<EVariantInvalidArgError>([] { VarArrayHighBound(Variant(1), 1); }, "Invalid argument",
                                       "not an array");
  ExpectRaise<EVariantNotAnArrayError>([] { Variant("x").GetElement({0}); }, "Variant is not an array",
                                       "element of a scalar");
  EXPECT_EQ(VarArrayDimCount(Variant(1)), 0);
}

TEST(VariantArray, CreationErrors) {
  ExpectRaise<EVariantInvalidArgError>([] { VarArrayCreate({0, 1, 2}, varVariant); }, "Invalid argument",
                                       "odd bounds");
  ExpectRaise<EVariantInvalidArgError>([] { VarArrayCreate(std::vector<int>{}, varVariant); },
                                       "Invalid argument", "no bounds");
  ExpectRaise<EVariantArrayCreateError>([] { VarArrayCreate({5, 3}, varVariant); },
                                        "Error creating variant or safe array", "high below low");
  ExpectRaise<EVariantArrayCreateError>([] { VarArrayCreate({0, 1}, varString); },
                                        "Error creating variant or safe array", "ANSI text elements");
  Variant empty = VarArrayCreate({0, -1}, varVariant);
  EXPECT_EQ(VarArrayHighBound(empty, 1), -1);
  EXPECT_EQ(VarArrayHighBound(VarArrayOf({}), 1), -1);
}

TEST(VariantArray, VarArrayOfKeepsTheElementKinds) {
  Variant a = VarArrayOf({1, "two", Variant::Null(), 4.5});
  EXPECT_EQ(VarArrayLowBound(a, 1), 0);
  EXPECT_EQ(VarArrayHighBound(a, 1), 3);
  const TVarType types[] = {varInteger, varString, varNull, varDouble};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(a[i].VarType(), types[i]) << i;
  EXPECT_EQ(a[1].AsString(), "two");
}

TEST(VariantArray, ArraysOfArraysCopyDeeply) {
  Variant outer = VarArrayOf({VarArrayOf({1, 2}), VarArrayOf({"a", VarArrayOf({"deep"})})});
  Variant copy = outer;
  copy[0][1] = 20;
  copy[1][1][0] = "changed";
  copy[1].PutElement({0}, "b");

  EXPECT_EQ(outer[0][1].AsInteger(), 2);
  EXPECT_EQ(outer[1][0].AsString(), "a");
  EXPECT_EQ(outer[1][1][0].AsString(), "deep");
  EXPECT_EQ(copy[0][1].AsInteger(), 20);
  EXPECT_EQ(copy[1][0].AsString(), "b");
  EXPECT_EQ(copy[1][1][0].AsString(), "changed");

  // An element read out is a copy too.
  Variant inner = outer.GetElement({0});
  inner[0] = 100;
  EXPECT_EQ(outer[0][0].AsInteger(), 1);

  // Assigning a variant its own element, or an element another element,
  // must not read freed memory.
  outer[1] = outer[0];
  EXPECT_EQ(outer[1][1].AsInteger(), 2);
  outer = outer[0];
  EXPECT_EQ(VarArrayHighBound(outer, 1), 1);
  EXPECT_EQ(outer[0].AsInteger(), 1);
  Variant moved = VarArrayOf({VarArrayOf({7})});
  moved = std::move(moved[0]);
  EXPECT_EQ(moved[0].AsInteger(), 7);
}

TEST(VariantArray, RedimKeepsElementsOfEveryDimension) {
  Variant a = VarArrayCreate({1, 2, 0, 1}, varVariant);
  for (int i = 1; i <= 2; ++i)
    for (int j = 0; j <= 1; ++j) a.PutElement({i, j}, i * 10 + j);
  VarArrayRedim(a, 3);
  EXPECT_EQ(VarArrayHighBound(a, 2), 3);
  EXPECT_EQ(VarArrayHighBound(a, 1), 2);
  for (int i = 1; i <= 2; ++i) {
    for (int j = 0; j <= 1; ++j) EXPECT_EQ(a.GetElement({i, j}).AsInteger(), i * 10 + j);
    for (int j = 2; j <= 3; ++j) EXPECT_TRUE(a.GetElement({i, j}).IsEmpty());
  }
  VarArrayRedim(a, 0);
  EXPECT_EQ(a.GetElement({2, 0}).AsInteger(), 20);
  ExpectRaise<EVariantBadIndexError>([&] { a.GetElement({1, 1}); }, kBadIndex, "shrunk away");
  VarArrayRedim(a, -1);
  EXPECT_EQ(VarArrayHighBound(a, 2), -1);
  ExpectRaise<EVariantArrayCreateError>([&] { VarArrayRedim(a, -2); },
                                        "Error creating variant or safe array", "negative count");
  Variant scalar = 1;
  ExpectRaise<EVariantInvalidArgError>([&] { VarArrayRedim(scalar, 3); }, "Invalid argument", "scalar");
}

TEST(VariantArray, TypedArraysConvertOnPutAndExposeRawElements) {
  Variant bytes = VarArrayCreate({0, 3}, varByte);
  EXPECT_EQ(bytes.VarType(), varArray | varByte);
  EXPECT_EQ(bytes.GetElement({0}).VarType(), varByte);
  EXPECT_EQ(bytes.GetElement({0}).AsInteger(), 0);
  bytes.PutElement({1}, "7");
  bytes.PutElement({2}, 255.0);
  ExpectRaise<EVariantOverflowError>([&] { bytes.PutElement({3}, 256); }, OverflowText("Integer", "Byte"),
                                     "byte range");
  ExpectRaise<EVariantInvalidArgError>([&] { bytes[0] = 1; }, "Invalid argument", "reference into bytes");
  EXPECT_EQ(std::as_const(bytes)[1].AsInteger(), 7);

  auto* raw = static_cast<unsigned char*>(VarArrayLock(bytes));
  EXPECT_EQ(raw[1], 7);
  EXPECT_EQ(raw[2], 255);
  raw[3] = 42;
  ExpectRaise<EVariantArrayLockedError>([&] { VarArrayRedim(bytes, 10); }, "Variant or safe array is locked",
                                        "locked");
  Variant copy = bytes;  // a copy is a new, unlocked array
  VarArrayRedim(copy, 5);
  VarArrayUnlock(bytes);
  EXPECT_EQ(bytes.GetElement({3}).AsInteger(), 42);
  VarArrayRedim(bytes, 5);
  EXPECT_EQ(bytes.GetElement({5}).AsInteger(), 0);

  struct Case {
    TVarType Type;
    Variant Put;
    Variant Expected;
  } cases[] = {
      {varInteger, "12", 12},
      {varDouble, 1, 1.0},
      {varBoolean, "true", true},
      {varCurrency, 1.5, Currency::FromScaled(15000)},
      {varDate, "2024/3/5", EncodeDate(2024, 3, 5)},
      {varOleStr, 5, u"5"},
      {varInt64, "9000000000", int64_t{9000000000}},
      {varSingle, 0.5, 0.5f},
  };
  for (const Case& c : cases) {
    Variant a = VarArrayCreate({1, 2}, c.Type);
    a.PutElement({2}, c.Put);
    Variant got = a.GetElement({2});
    EXPECT_EQ(got.VarType(), c.Type) << VarTypeAsText(c.Type);
    EXPECT_TRUE(VarSameValue(got, c.Expected)) << VarTypeAsText(c.Type);
    EXPECT_EQ(a.GetElement({1}).VarType(), c.Type) << "initial element of " << VarTypeAsText(c.Type);
  }
}

// ---- automation references ------------------------------------------------------

class TCountedObject : public IDispatch {
 public:
  explicit TCountedObject(bool& Destroyed) : FDestroyed(Destroyed) {}
  ~TCountedObject() override { FDestroyed = true; }
  long AddRef() override { return ++Refs; }
  long Release() override {
    long left = --Refs;
    if (left == 0) delete this;
    return left;
  }
  // "Double" doubles its by-reference argument and returns the old value.
  Variant Invoke(const AnsiString& Name, TInvokeKind Kind, std::vector<Variant>& Args) override {
    if (Name == "Double" && Kind == TInvokeKind::Method && Args.size() == 1) {
      Variant old = Args[0];
      Args[0] = Args[0] + Args[0];
      return old;
    }
    throw EVariantDispatchError("Unknown name");
  }
  long Refs = 1;

 private:
  bool& FDestroyed;
};

TEST(VariantDispatch, CopiesAddRefAndDestructionReleases) {
  bool destroyed = false;
  auto* object = new TCountedObject(destroyed);
  DispatchPtr owner = DispatchPtr::Attach(object);
  {
    Variant v = object;
    EXPECT_EQ(v.VarType(), varDispatch);
    EXPECT_EQ(object->Refs, 2);
    Variant copy = v;
    EXPECT_EQ(object->Refs, 3);
    Variant moved = std::move(copy);
    EXPECT_EQ(object->Refs, 3);
    EXPECT_EQ(moved.AsDispatch(), object);
    Variant list = VarArrayOf({v, v});
    EXPECT_EQ(object->Refs, 5);
    Variant listCopy = list;
    EXPECT_EQ(object->Refs, 7);
    listCopy = 0;
    EXPECT_EQ(object->Refs, 5);
    VarClear(list);
    EXPECT_EQ(object->Refs, 3);
    Variant fromPtr = owner;
    EXPECT_EQ(object->Refs, 4);
  }
  EXPECT_EQ(object->Refs, 1);
  EXPECT_FALSE(destroyed);
  {
    DispatchPtr second = owner;
    EXPECT_EQ(object->Refs, 2);
  }
  EXPECT_EQ(object->Refs, 1);

  Variant last = owner;
  owner.Reset();
  EXPECT_FALSE(destroyed);
  last = Variant();
  EXPECT_TRUE(destroyed);
}

TEST(VariantDispatch, CallsGoThroughTheHeldReference) {
  bool destroyed = false;
  Variant server = DispatchPtr::Attach(new TCountedObject(destroyed));
  std::vector<Variant> args{21};
  Variant result = server.AsDispatch()->Invoke("Double", TInvokeKind::Method, args);
  EXPECT_EQ(result.AsInteger(), 21);
  EXPECT_EQ(args[0].AsInteger(), 42);
  ExpectRaise<EVariantTypeCastError>([&] { server.AsInteger(); }, CastText("Dispatch", "Integer"),
                                     "dispatch to number");
  ExpectRaise<EVariantTypeCastError>([] { Variant(1).AsDispatch(); }, CastText("Integer", "Dispatch"),
                                     "number to dispatch");
  EXPECT_EQ(Variant().AsDispatch(), nullptr);
  server = Variant();
  EXPECT_TRUE(destroyed);
}

}  // namespace
