// Automation over loopback TCP: proxies behave like in-process objects, the
// server survives bad clients, and a client hears clearly about a server
// that is gone or silent.

#include <gtest/gtest.h>

#include <cstring>

#include "platform/com/AutoServer.h"
#include "platform/com/Protocol.h"
#include "platform/com/RemoteDispatch.h"
#include "tests/com/TestObjects.h"

using namespace kw_protocol;

namespace {

class AutoServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Server.AddClass("Test.Calc", [] { return static_cast<IDispatch*>(new TCalculator()); });
    Server.SetMaxRequestSize(4096);
    Server.Start("127.0.0.1", 0);
  }

  std::shared_ptr<TRemoteChannel> Connect(int CallTimeoutMs = 10000) {
    TRemoteChannel::TOptions options;
    options.CallTimeoutMs = CallTimeoutMs;
    return TRemoteChannel::Connect("127.0.0.1", Server.Port(), options);
  }

  // A socket speaking raw frames, for clients that misbehave.
  TSocketHandle Raw() { return ConnectTcp("127.0.0.1", Server.Port(), 5000); }

  static void SendBytes(const TSocketHandle& S, const std::string& Bytes) {
    SendAll(S.Fd(), Bytes.data(), Bytes.size(), nullptr, 0, 5000);
  }

  // The reply to a raw request, decoded (errors raised as exceptions).
  static Variant Answer(const TSocketHandle& S) {
    TByteBuffer reply;
    if (!ReadFrame(S.Fd(), reply, DefaultMaxReplySize, 5000, 5000, "no answer"))
      throw ESocketConnectionError("closed");
    std::vector<Variant> none;
    return DecodeReply(reply, none, {}, nullptr);
  }

  static bool ClosedByServer(const TSocketHandle& S) {
    TByteBuffer reply;
    return !ReadFrame(S.Fd(), reply, DefaultMaxReplySize, 5000, 5000, "no answer");
  }

  TAutoServer Server;
};

TEST_F(AutoServerTest, RemoteObjectsBehaveLikeInProcessOnes) {
  auto channel = Connect();
  Variant calc = channel->CreateObject("test.CALC");

  EXPECT_EQ(OleCall(calc, "Add", {2, 40}).AsInteger(), 42);
  Variant a = "left", b = 2;
  OleCall(calc, "Swap", {ByRef(a), ByRef(b)});
  EXPECT_EQ(a.AsInteger(), 2);
  EXPECT_EQ(b.AsString(), "left");
  Variant c = 1, d = 2;
  OleCall(calc, "Swap", {c, ByRef(d)});
  EXPECT_EQ(c.AsInteger(), 1);
  EXPECT_EQ(d.AsInteger(), 1);

  Variant filled;
  EXPECT_EQ(OleCall(calc, "Fill", {ByRef(filled), 1, 2, 3}).AsInteger(), 3);
  EXPECT_DOUBLE_EQ(filled[1][1].AsFloat(), 2.5);

  OleSet(calc, "Name", "remote");
  EXPECT_EQ(OleGet(calc, "name").AsString(), "remote");

  // The same error classes and texts as in-process.
  try {
    OleCall(calc, "Multiply");
    FAIL();
  } catch (const EOleError& e) {
    EXPECT_EQ(e.ClassName(), "EOleError");
    EXPECT_EQ(e.Message, "Method 'Multiply' not supported by automation object");
  }
  try {
    OleCall(calc, "Fail", {"no such voucher"});
    FAIL();
  } catch (const EOleException& e) {
    EXPECT_EQ(e.Message, "no such voucher");
    EXPECT_EQ(e.Source, "EConvertError");
  }
  EXPECT_THROW(OleCall(calc, "Add", {1}), EOleSysError);
  // After errors the connection goes on.
  EXPECT_EQ(OleCall(calc, "Add", {"a", "b"}).AsString(), "ab");
}

TEST_F(AutoServerTest, ReferencesTravelBothWaysAndAreGivenBack) {
  const int before = GLiveCalculators;
  auto channel = Connect();
  Variant calc = channel->CreateObject("Test.Calc");
  {
    Variant child = OleCall(calc, "Child");
    EXPECT_EQ(GLiveCalculators, before + 2);
    EXPECT_EQ(OleCall(child, "Add", {1, 2}).AsInteger(), 3);
    // A proxy passed back arrives as the server's own object.
    EXPECT_TRUE(OleCall(child, "IsSelf", {child}).AsBoolean());
    EXPECT_FALSE(OleCall(calc, "IsSelf", {child}).AsBoolean());
    // Objects of this process cannot be sent to the server.
    Variant local(DispatchPtr::Attach(new TCalculator()));
    EXPECT_THROW(OleCall(calc, "IsSelf", {local}), EMarshalError);
  }
  // The release travels with no reply; the next call is answered after it.
  EXPECT_EQ(OleCall(calc, "Add", {0, 0}).AsInteger(), 0);
  EXPECT_EQ(GLiveCalculators, before + 1);
  calc = Unassigned();
  channel->Close();
  Server.Stop();  // the connection's thread has finished with its objects
  EXPECT_EQ(GLiveCalculators, before);
}

TEST_F(AutoServerTest, UnservedClassesAreRefusedAsUnregistered) {
  auto channel = Connect();
  try {
    channel->CreateObject("Brannok.Class1");
    FAIL();
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.Message, "Invalid class string");
    EXPECT_EQ(e.ErrorCode, CO_E_CLASSSTRING_HR);
  }
  EXPECT_EQ(OleCall(channel->CreateObject("Test.Calc"), "Add", {1, 1}).AsInteger(), 2);
}

TEST_F(AutoServerTest, BadClientsAreRefusedWhileOthersAreServed) {
  auto good = Connect();
  Variant calc = good->CreateObject("Test.Calc");
  auto stillServed = [&] { EXPECT_EQ(OleCall(calc, "Add", {20, 22}).AsInteger(), 42); };

  // A well-framed request with garbage inside: an error reply, and the
  // connection stays usable.
  {
    TSocketHandle s = Raw();
    std::string garbage = "\x02\xFF\xFF";
    WriteFrame(s.Fd(), garbage, 5000);
    try {
      Answer(s);
      FAIL();
    } catch (const EMarshalError& e) {
      EXPECT_NE(e.Message.find("The server refused the request: Malformed data"), AnsiString::npos);
    }
    WriteFrame(s.Fd(), EncodeCreateObject("Test.Calc"), 5000);
    TByteBuffer reply;
    ASSERT_TRUE(ReadFrame(s.Fd(), reply, DefaultMaxReplySize, 5000, 5000, "no answer"));
    EXPECT_EQ(static_cast<uint8_t>(reply[0]), mkResult);
    stillServed();
  }

  struct Case {
    const char* Name;
    std::string Bytes;
    const char* Expected;
  };
  std::string oversized = FrameHeader(4097);
  const Case cases[] = {
      {"not this protocol", "GET / HTTP/1.1\r\n\r\n", "Not an automation protocol frame"},
      {"other version", std::string("KWA\x09\x01\x00\x00\x00\x01", 9), "Unsupported protocol version 9"},
      {"over the size limit", oversized, "Frame of 4097 bytes exceeds the limit of 4096 bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TSocketHandle s = Raw();
    SendBytes(s, c.Bytes);
    try {
      Answer(s);
      ADD_FAILURE() << "no error reply";
    } catch (const EMarshalError& e) {
      EXPECT_NE(e.Message.find(c.Expected), AnsiString::npos) << e.Message;
    }
    EXPECT_TRUE(ClosedByServer(s));
    stillServed();
  }

  // A client that dies in the middle of a frame.
  {
    TSocketHandle s = Raw();
    SendBytes(s, FrameHeader(100) + "abc");
  }
  stillServed();
}

TEST_F(AutoServerTest, AClientStalledInsideAFrameIsDroppedOthersAreNot) {
  Server.Stop();
  Server.SetFrameTimeout(100);
  Server.Start("127.0.0.1", 0);
  auto good = Connect();
  Variant calc = good->CreateObject("Test.Calc");
  TSocketHandle stalled = Raw();
  SendBytes(stalled, FrameHeader(50) + "partial");
  EXPECT_EQ(OleCall(calc, "Add", {1, 2}).AsInteger(), 3);
  EXPECT_TRUE(ClosedByServer(stalled));
  EXPECT_EQ(OleCall(calc, "Add", {1, 3}).AsInteger(), 4);
}

TEST_F(AutoServerTest, ConnectionsBeyondTheLimitAreTurnedAway) {
  Server.Stop();
  Server.SetMaxConnections(1);
  Server.Start("127.0.0.1", 0);
  auto first = Connect();
  Variant calc = first->CreateObject("Test.Calc");
  TSocketHandle second = Raw();
  try {
    Answer(second);
    FAIL();
  } catch (const EMarshalError& e) {
    EXPECT_NE(e.Message.find("Too many connections"), AnsiString::npos);
  }
  EXPECT_EQ(OleCall(calc, "Add", {1, 1}).AsInteger(), 2);
}

TEST_F(AutoServerTest, AServerThatGoesAwayGivesAClearErrorNotAHang) {
  auto channel = Connect();
  Variant calc = channel->CreateObject("Test.Calc");
  EXPECT_EQ(OleCall(calc, "Add", {1, 1}).AsInteger(), 2);
  Server.Stop();
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      OleCall(calc, "Add", {1, 1});
      FAIL();
    } catch (const ESocketConnectionError& e) {
      EXPECT_EQ(e.Message, "Connection closed by server");
    }
  }
  EXPECT_FALSE(channel->Connected());
}

TEST(AutoClient, RefusedConnectionsAndSilentServersRaiseClearErrors) {
  // A port that was free a moment ago: nobody listens there now.
  int port = 0;
  { TSocketHandle probe = ListenTcp("127.0.0.1", 0, port); }
  try {
    TRemoteChannel::Connect("127.0.0.1", port);
    FAIL();
  } catch (const ESocketConnectionError& e) {
    EXPECT_EQ(e.Message, "Cannot connect to 127.0.0.1:" + std::to_string(port) + ": Connection refused");
  }

  // A listener that accepts connections (the backlog does) but never answers.
  int silentPort = 0;
  TSocketHandle silent = ListenTcp("127.0.0.1", 0, silentPort);
  TRemoteChannel::TOptions options;
  options.CallTimeoutMs = 50;
  auto channel = TRemoteChannel::Connect("127.0.0.1", silentPort, options);
  try {
    channel->CreateObject("Test.Calc");
    FAIL();
  } catch (const ESocketConnectionError& e) {
    EXPECT_EQ(e.Message, "The server 127.0.0.1:" + std::to_string(silentPort) + " did not answer within 50 ms");
  }
  EXPECT_FALSE(channel->Connected());
  EXPECT_THROW(channel->CreateObject("Test.Calc"), ESocketConnectionError);
}

}  // namespace
