// Marshalling of Variants and of calls: round trips of every kind, and
// defensive decoding of truncated, corrupted and lying input.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "platform/com/AutoServer.h"
#include "platform/com/Marshal.h"
#include "platform/com/Protocol.h"
#include "tests/com/TestObjects.h"

using namespace kw_protocol;

namespace {

// Same kind, same bounds, same elements (through the wire form, which holds
// every bit of a value).
void ExpectSame(const Variant& Expected, const Variant& Actual) {
  ASSERT_EQ(VarType(Expected), VarType(Actual));
  EXPECT_EQ(EncodeVariant(Expected), EncodeVariant(Actual));
}

Variant NestedSample() {
  Variant grid = VarArrayCreate({0, 1, 1, 3}, varVariant);
  grid.PutElement({0, 1}, "NCONDITION");
  grid.PutElement({1, 3}, 2.75);
  grid.PutElement({1, 1}, VarArrayOf({Null(), u"寬", Currency::FromScaled(123456)}));
  return VarArrayOf({grid, VarArrayOf({VarArrayOf({1, VarArrayOf({"deep"})})}), Variant()});
}

TEST(MarshalVariant, EveryScalarKindRoundTrips) {
  const Variant cases[] = {
      Variant(),
      Null(),
      Variant(static_cast<short>(-12345)),
      Variant(-2000000000),
      Variant(1.5f),
      Variant(-0.1),
      Variant(std::nan("")),
      Variant(Currency::FromScaled(-9223372036854775807LL)),
      Variant(TDateTime(45000.75)),
      Variant(true),
      Variant(false),
      Variant(static_cast<signed char>(-7)),
      Variant(static_cast<unsigned char>(200)),
      Variant(static_cast<unsigned short>(65000)),
      Variant(4000000000u),
      Variant(static_cast<int64_t>(-9000000000000LL)),
      Variant(static_cast<uint64_t>(18446744073709551615ULL)),
      VarAsError(static_cast<int32_t>(0x80020004)),
      Variant(""),
      Variant("\xB9\xCC\xB6\xA8\xD7\xCA\xB2\xFA"),  // GB bytes travel untouched
      Variant(AnsiString("nul\0inside", 10)),
      Variant(u""),
      Variant(u"寬頻 wide"),
      Variant(static_cast<IDispatch*>(nullptr)),
  };
  for (const Variant& v : cases) {
    SCOPED_TRACE(VarTypeAsText(VarType(v)));
    Variant back = DecodeVariant(EncodeVariant(v));
    ExpectSame(v, back);
  }
  // Spot checks that the values, not just the bytes, come back.
  EXPECT_EQ(DecodeVariant(EncodeVariant(Variant(static_cast<uint64_t>(18446744073709551615ULL)))).AsString(),
            "18446744073709551615");
  EXPECT_EQ(DecodeVariant(EncodeVariant(Variant(u"寬"))).AsWideString(), u"寬");
  EXPECT_EQ(DecodeVariant(EncodeVariant(Variant(Currency::FromScaled(15000)))).AsCurrency().Scaled, 15000);
}

TEST(MarshalVariant, ArraysKeepBoundsDimensionsAndElementTypes) {
  Variant bytes = BytesToVariant(std::string("\x00\x01\xFF", 3));
  Variant ints = VarArrayCreate({-2, 2}, varInteger);
  ints.PutElement({-2}, -5);
  ints.PutElement({2}, 77);
  Variant cube = VarArrayCreate({1, 2, 0, 0, 5, 7}, varDouble);
  cube.PutElement({2, 0, 6}, 3.25);
  Variant wide = VarArrayCreate({0, 1}, varOleStr);
  wide.PutElement({1}, u"二");
  Variant bools = VarArrayCreate({0, 2}, varBoolean);
  bools.PutElement({1}, true);
  Variant empty = VarArrayCreate({5, 4}, varVariant);  // no elements
  const Variant cases[] = {bytes, ints, cube, wide, bools, empty, NestedSample()};
  for (const Variant& v : cases) {
    SCOPED_TRACE(VarTypeAsText(VarType(v)));
    Variant back = DecodeVariant(EncodeVariant(v));
    ExpectSame(v, back);
    for (int d = 1; d <= VarArrayDimCount(v); ++d) {
      EXPECT_EQ(VarArrayLowBound(back, d), VarArrayLowBound(v, d));
      EXPECT_EQ(VarArrayHighBound(back, d), VarArrayHighBound(v, d));
    }
  }
  Variant cubeBack = DecodeVariant(EncodeVariant(cube));
  EXPECT_DOUBLE_EQ(cubeBack.GetElement({2, 0, 6}).AsFloat(), 3.25);
  Variant nested = DecodeVariant(EncodeVariant(NestedSample()));
  EXPECT_EQ(nested[1][0][1][0].AsString(), "deep");
  EXPECT_EQ(nested[0].GetElement({1, 1})[1].AsWideString(), u"寬");
  EXPECT_EQ(VariantBytes(DecodeVariant(EncodeVariant(bytes))), std::string("\x00\x01\xFF", 3));
}

TEST(MarshalVariant, ObjectReferencesNeedAMarshaler) {
  Variant calc(DispatchPtr::Attach(new TCalculator()));
  EXPECT_THROW(EncodeVariant(calc), EMarshalError);
  EXPECT_THROW(EncodeVariant(VarArrayOf({1, calc})), EMarshalError);
  // A reference number with nobody to resolve it.
  TWireWriter w;
  w.U16(varDispatch);
  w.U32(5);
  EXPECT_THROW(DecodeVariant(w.Buffer().View()), EMarshalError);
}

TEST(MarshalVariant, MalformedInputIsRefusedWithClearErrors) {
  auto frame = [](auto build) {
    TWireWriter w;
    build(w);
    return std::string(w.Buffer().View());
  };
  struct Case {
    const char* Name;
    std::string Data;
    const char* Expected;
  };
  const Case cases[] = {
      {"empty", "", "truncated"},
      {"unknown kind", frame([](TWireWriter& w) { w.U16(0x77); }), "unknown value type"},
      {"string longer than data", frame([](TWireWriter& w) { w.U16(varString); w.U32(1000); w.Raw("ab", 2); }),
       "text longer than the data"},
      {"wide text longer than data", frame([](TWireWriter& w) { w.U16(varOleStr); w.U32(0x80000000u); }),
       "text longer than the data"},
      {"bad boolean", frame([](TWireWriter& w) { w.U16(varBoolean); w.U8(7); }), "bad boolean"},
      {"huge array", frame([](TWireWriter& w) {
         w.U16(varArray | varVariant); w.U8(2); w.I32(0); w.U32(0x10000); w.I32(0); w.U32(0x10000);
       }), "array longer than the data"},
      {"array count beyond data", frame([](TWireWriter& w) {
         w.U16(varArray | varDouble); w.U8(1); w.I32(0); w.U32(1000); w.F64(1);
       }), "array longer than the data"},
      {"bound overflow", frame([](TWireWriter& w) {
         w.U16(varArray | varByte); w.U8(1); w.I32(0x7FFFFFFF); w.U32(2); w.U16(0);
       }), "array bound out of range"},
      {"zero dimensions", frame([](TWireWriter& w) { w.U16(varArray | varByte); w.U8(0); }),
       "bad array dimension count"},
      {"string element type", frame([](TWireWriter& w) { w.U16(varArray | varString); w.U8(1); }),
       "unknown array element type"},
      {"wrong element kind", frame([](TWireWriter& w) {
         w.U16(varArray | varOleStr); w.U8(1); w.I32(0); w.U32(1); w.U16(varInteger); w.I32(1);
       }), "wide text array holds another kind"},
      {"trailing bytes", frame([](TWireWriter& w) { w.U16(varNull); w.U8(0); }), "unexpected bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    try {
      DecodeVariant(c.Data);
      ADD_FAILURE() << "accepted";
    } catch (const EMarshalError& e) {
      EXPECT_NE(e.Message.find("Malformed data: "), AnsiString::npos) << e.Message;
      EXPECT_NE(e.Message.find(c.Expected), AnsiString::npos) << e.Message;
    }
  }

  // Arrays nested beyond the limit are refused instead of recursing on.
  std::string deep;
  for (int i = 0; i < 100; ++i) {
    TWireWriter w;
    w.U16(varArray | varVariant);
    w.U8(1);
    w.I32(0);
    w.U32(1);
    deep += w.Buffer().View();
  }
  deep += std::string("\x01\x00", 2);
  EXPECT_THROW(DecodeVariant(deep), EMarshalError);
}

// Every prefix of a valid encoding, and random corruptions of it, either
// decode or raise EMarshalError: nothing else escapes and nothing reads out
// of bounds (the sanitizer build watches for that).
TEST(MarshalVariant, TruncatedAndCorruptedEncodingsNeverEscape) {
  const std::string good = EncodeVariant(NestedSample());
  for (size_t n = 0; n < good.size(); ++n) EXPECT_THROW(DecodeVariant(good.substr(0, n)), EMarshalError) << n;

  std::mt19937 random(20240601);
  for (int round = 0; round < 3000; ++round) {
    std::string bad = good;
    int flips = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < flips; ++i) bad[random() % bad.size()] = static_cast<char>(random());
    try {
      DecodeVariant(bad);
    } catch (const EMarshalError&) {
    }
  }
  for (int round = 0; round < 2000; ++round) {
    std::string noise(random() % 64, '\0');
    for (char& ch : noise) ch = static_cast<char>(random() % 24);  // small numbers look like type codes
    try {
      DecodeVariant(noise);
    } catch (const EMarshalError&) {
    }
  }
}

TEST(MarshalCall, RequestsAndRepliesRoundTrip) {
  std::vector<Variant> args{1, NestedSample(), "x"};
  auto request = EncodeInvoke(9, TInvokeKind::PropertyPut, "Items", args, {false, true, false}, nullptr);
  TRequest q = DecodeRequest(request, nullptr);
  EXPECT_EQ(q.Kind, mkInvoke);
  EXPECT_EQ(q.ObjectId, 9u);
  EXPECT_EQ(q.InvokeKind, TInvokeKind::PropertyPut);
  EXPECT_EQ(q.Name, "Items");
  ASSERT_EQ(q.Args.size(), 3u);
  ExpectSame(args[1], q.Args[1]);
  EXPECT_EQ(q.ByRef, (std::vector<bool>{false, true, false}));

  // Only by-reference arguments travel back, into the caller's places.
  std::vector<Variant> written{10, "changed", 30};
  auto reply = EncodeResult("done", written, {false, true, false}, nullptr);
  std::vector<Variant> callerArgs{1, 2, 3};
  EXPECT_EQ(DecodeReply(reply, callerArgs, {false, true, false}, nullptr).AsString(), "done");
  EXPECT_EQ(callerArgs[0].AsInteger(), 1);
  EXPECT_EQ(callerArgs[1].AsString(), "changed");

  // A reply that writes into an argument the caller passed by value is a
  // protocol violation and changes nothing.
  std::vector<Variant> strict{1, 2, 3};
  EXPECT_THROW(DecodeReply(reply, strict, {false, false, false}, nullptr), EMarshalError);
  EXPECT_EQ(strict[1].AsInteger(), 2);

  // Error replies come back as the exception class they describe.
  try {
    DecodeReply(EncodeError(ecOleException, 0x1234, "boom", "EConvertError"), callerArgs, {}, nullptr);
    FAIL();
  } catch (const EOleException& e) {
    EXPECT_EQ(e.Message, "boom");
    EXPECT_EQ(e.Source, "EConvertError");
    EXPECT_EQ(e.ErrorCode, 0x1234);
  }
  EXPECT_THROW(DecodeReply(EncodeError(ecOleSysError, CO_E_CLASSSTRING_HR, "Invalid class string", ""),
                           callerArgs, {}, nullptr),
               EOleSysError);
}

TEST(MarshalCall, DispatcherAnswersGarbageWithErrorRepliesAndKeepsItsObjects) {
  TAutoDispatcher dispatcher([](const AnsiString& Name) -> Variant {
    if (Name != "Calc") throw EOleSysError("Invalid class string", CO_E_CLASSSTRING_HR);
    return Variant(DispatchPtr::Attach(new TCalculator()));
  });
  std::vector<Variant> none;
  Variant root = DecodeReply(dispatcher.Handle(EncodeCreateObject("Calc")), none, {}, &dispatcher);
  ASSERT_TRUE(VarIsDispatch(root));
  EXPECT_EQ(dispatcher.ObjectCount(), 1u);

  const std::string good(EncodeInvoke(1, TInvokeKind::Method, "Add", {2, 40}, {false, false}, nullptr).View());
  std::mt19937 random(7);
  for (int round = 0; round < 3000; ++round) {
    std::string bad = good.substr(0, random() % (good.size() + 1));
    if (!bad.empty() && round % 2) bad[random() % bad.size()] = static_cast<char>(random());
    auto reply = dispatcher.Handle(bad);
    // A reply is always a well-formed result or error.
    std::vector<Variant> args{2, 40};
    try {
      DecodeReply(reply, args, {false, false}, &dispatcher);
    } catch (const EOleError&) {
    }
  }
  // Still serving, with the same object table.
  std::vector<Variant> args{2, 40};
  EXPECT_EQ(DecodeReply(dispatcher.Handle(good), args, {}, &dispatcher).AsInteger(), 42);
  EXPECT_GE(dispatcher.ObjectCount(), 1u);

  try {
    DecodeReply(dispatcher.Handle(std::string("\x02\x01", 2)), none, {}, nullptr);
    FAIL();
  } catch (const EMarshalError& e) {
    EXPECT_EQ(e.Message, "The server refused the request: Malformed data: truncated (at byte 1)");
  }
  try {
    DecodeReply(dispatcher.Handle(EncodeInvoke(77, TInvokeKind::Method, "Add", {}, {}, nullptr)), none, {},
                nullptr);
    FAIL();
  } catch (const EMarshalError& e) {
    EXPECT_NE(e.Message.find("Unknown object number 77"), AnsiString::npos);
  }
}

}  // namespace
