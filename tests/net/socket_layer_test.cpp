// The socket layer: reply codes, error texts, host and port resolution, and the
// line and stream I/O against the fault-injecting server.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <utility>
#include <thread>
#include <vector>

#include "net/mxsmtp.h"
#include "net/net_errors.h"
#include "net/net_strings.h"
#include "net/nssocket.h"
#include "runtime/streams.h"
#include "support/message_of.h"
#include "support/test_servers.h"

namespace parvex {
namespace {

using Clock = std::chrono::steady_clock;

std::unique_ptr<TnsSocket> NewSocket(const std::string& server, int timeOut = 2) {
  auto socket = std::make_unique<TnsSocket>(test::Host(), test::Pump());
  socket->SetWinsockLoaded(true);
  socket->Server = server;
  socket->ServiceName = "smtp";
  socket->DefaultPort = 25;
  socket->SetTimeOut(timeOut);
  return socket;
}

std::string Loopback(int port) { return "127.0.0.1:" + std::to_string(port); }

// Opens a socket made elsewhere and connects it to a fault scenario.
void OpenAndConnect(TnsSocket& socket, const std::string& scenario, int timeOut = 2) {
  socket.Server = Loopback(test::FaultPort(scenario));
  socket.SetTimeOut(timeOut);
  socket.ResetState();
  socket.Open();
  socket.ConnectSocket();
}

// Opens and connects to a fault scenario.
std::unique_ptr<TnsSocket> ConnectTo(const std::string& scenario, int timeOut = 2) {
  auto socket = NewSocket("", timeOut);
  OpenAndConnect(*socket, scenario, timeOut);
  return socket;
}

// The system's Winsock with the look-ups and sends watched: the calls, not only
// their results, are what a test of the resolution rules must see.
struct WatchedCalls {
  int hostLookups = 0;
  int serviceLookups = 0;
  std::vector<int> sendLengths;
  // Sabotage: connects that fail on the spot, as without a network; host
  // look-ups that are never answered (their window and message kept).
  int failingConnects = 0;
  int pendingError = 0;
  bool hostLookupsHang = false;
  winsock::WindowHandle lookupWindow = 0;
  unsigned lookupMessage = 0;
  std::vector<winsock::AsyncHandle> cancelled;
  winsock::WSAAsyncGetHostByNameFn realHost = nullptr;
  winsock::WSAAsyncGetServByNameFn realService = nullptr;
  winsock::SendFn realSend = nullptr;
  winsock::ConnectFn realConnect = nullptr;
  winsock::WSACancelAsyncRequestFn realCancel = nullptr;
  winsock::WSAGetLastErrorFn realLastError = nullptr;
};
WatchedCalls* watched = nullptr;  // the one watching loader at a time

constexpr winsock::AsyncHandle kHangingRequest = 0x7777;

winsock::AsyncHandle PARVEX_WINAPI WatchedHostLookup(winsock::WindowHandle w, unsigned m, const char* name, char* b,
                                                     int n) {
  ++watched->hostLookups;
  if (watched->hostLookupsHang) {
    watched->lookupWindow = w;
    watched->lookupMessage = m;
    return kHangingRequest;
  }
  return watched->realHost(w, m, name, b, n);
}
int PARVEX_WINAPI WatchedCancel(winsock::AsyncHandle request) {
  watched->cancelled.push_back(request);
  return request == kHangingRequest ? 0 : watched->realCancel(request);
}
int PARVEX_WINAPI WatchedConnect(winsock::Socket s, const winsock::SockAddrIn* address, int length) {
  if (watched->failingConnects > 0) {
    --watched->failingConnects;
    watched->pendingError = winsock::kWsaEnetunreach;
    return winsock::kSocketError;
  }
  return watched->realConnect(s, address, length);
}
int PARVEX_WINAPI WatchedLastError() {
  return std::exchange(watched->pendingError, 0) ? winsock::kWsaEnetunreach : watched->realLastError();
}
winsock::AsyncHandle PARVEX_WINAPI WatchedServiceLookup(winsock::WindowHandle w, unsigned m, const char* name,
                                                        const char* proto, char* b, int n) {
  ++watched->serviceLookups;
  return watched->realService(w, m, name, proto, b, n);
}
int PARVEX_WINAPI WatchedSend(winsock::Socket s, const char* buffer, int length, int flags) {
  watched->sendLengths.push_back(length);
  return watched->realSend(s, buffer, length, flags);
}

class WatchingLoader final : public LibraryLoader {
 public:
  explicit WatchingLoader(WatchedCalls& calls) { watched = &calls; }
  ~WatchingLoader() override { watched = nullptr; }
  unsigned SetProcessErrorMode(unsigned mode) override { return system_.SetProcessErrorMode(mode); }
  LibraryHandle LoadModule(const std::string& name) override { return system_.LoadModule(name); }
  void ReleaseModule(LibraryHandle library) override { system_.ReleaseModule(library); }
  std::string LoadResourceString(LibraryHandle library, unsigned id) override {
    return system_.LoadResourceString(library, id);
  }
  void* FindProc(LibraryHandle library, const std::string& name) override {
    void* real = system_.FindProc(library, name);
    if (!real) return nullptr;
    if (name == "WSAAsyncGetHostByName") {
      watched->realHost = reinterpret_cast<winsock::WSAAsyncGetHostByNameFn>(real);
      return reinterpret_cast<void*>(&WatchedHostLookup);
    }
    if (name == "WSAAsyncGetServByName") {
      watched->realService = reinterpret_cast<winsock::WSAAsyncGetServByNameFn>(real);
      return reinterpret_cast<void*>(&WatchedServiceLookup);
    }
    if (name == "send") {
      watched->realSend = reinterpret_cast<winsock::SendFn>(real);
      return reinterpret_cast<void*>(&WatchedSend);
    }
    if (name == "connect") {
      watched->realConnect = reinterpret_cast<winsock::ConnectFn>(real);
      return reinterpret_cast<void*>(&WatchedConnect);
    }
    if (name == "WSAGetLastError") {
      watched->realLastError = reinterpret_cast<winsock::WSAGetLastErrorFn>(real);
      return reinterpret_cast<void*>(&WatchedLastError);
    }
    if (name == "WSACancelAsyncRequest") {
      watched->realCancel = reinterpret_cast<winsock::WSACancelAsyncRequestFn>(real);
      return reinterpret_cast<void*>(&WatchedCancel);
    }
    return real;
  }

 private:
  LibraryLoader& system_ = SystemLibraryLoader();
};

using testing::MessageOf;

TEST(SocketReplyCode, FirstThreeCharactersAsDecimal) {
  auto socket = NewSocket("x");
  const std::pair<const char*, int> cases[] = {
      {"250 ok", 250}, {"354 go", 354}, {"250-more", 250}, {"25", 25}, {"", -1}, {"abc", -1}, {"2x0 no", -1},
  };
  for (auto [line, code] : cases) EXPECT_EQ(socket->ReplyCode(line), code) << line;
}

TEST(SocketErrors, TextsForStringIdsAndWinsockCodes) {
  auto socket = NewSocket("x");
  const std::pair<unsigned, const char*> cases[] = {
      {57002, "Server property is required"},
      {57008, "You have to connect to the server first"},
      {10061, "Connection refused"},
      {11001, "Host not found"},
      {10101, "Error #10101"},
      {57099, "Error #57099"},
  };
  for (auto [code, text] : cases) {
    EXPECT_EQ(MessageOf<ESocketError>([&] { socket->SocketError(code); }), text) << code;
  }
  EXPECT_NO_THROW(socket->SocketError(0));
}

TEST(SocketErrors, OnErrorMayChangeTheTextAndResetCloses) {
  auto socket = NewSocket("127.0.0.1:9");
  socket->ResetState();
  socket->Open();  // creates the socket; nothing is connected yet
  ASSERT_TRUE(socket->Connected());
  int closed = 0;
  socket->OnClosed = [&](TnsSocket&) { ++closed; };
  socket->OnError = [](TnsSocket&, std::string& msg) { msg = "mine: " + msg; };
  EXPECT_EQ(MessageOf<ESocketError>([&] { socket->SocketError(10022); }), "mine: Invalid argument");
  EXPECT_TRUE(socket->Connected());
  // A broken connection is closed, so that the next send does not talk into it.
  for (unsigned broken : {10054u, 10053u}) {
    socket->ResetState();
    socket->Open();
    ASSERT_TRUE(socket->Connected());
    EXPECT_THROW(socket->SocketError(broken), ESocketError);
    EXPECT_FALSE(socket->Connected()) << broken;
  }
  EXPECT_EQ(closed, 2);
}

TEST(SocketErrors, LineIoNeedsAConnection) {
  auto socket = NewSocket("127.0.0.1:9");
  std::string line;
  EXPECT_EQ(MessageOf<ESocketError>([&] { socket->ReadLine(line); }), "You have to connect to the server first");
  EXPECT_EQ(MessageOf<ESocketError>([&] { socket->SendLine("x"); }), "You have to connect to the server first");
  socket->Server.clear();
  EXPECT_EQ(MessageOf<ESocketError>([&] { socket->Open(); }), "Server property is required");
}

TEST(SocketResolution, PortSuffixAndServiceFallback) {
  struct Case {
    const char* server;
    const char* service;
    int expectedPort;
  };
  const Case cases[] = {
      {"127.0.0.1:2525", "smtp", 2525},
      {"127.0.0.1", "smtp", 25},                      // no port: the "smtp" entry
      {"127.0.0.1", "parvex-no-such-service", 2600},  // no entry: DefaultPort
      {"127.0.0.1:65535", "", 65535},                 // a port needs no service name
  };
  for (const Case& c : cases) {
    auto socket = NewSocket(c.server);
    socket->ServiceName = c.service;
    socket->DefaultPort = 2600;
    socket->ResetState();
    socket->Open();
    EXPECT_EQ(socket->RemotePort(), c.expectedPort) << c.server << " " << c.service;
    EXPECT_EQ(socket->RemoteAddr(), 0x0100007Fu) << c.server;  // network order
    socket->Close();
  }
  auto socket = NewSocket("127.0.0.1");
  socket->ServiceName.clear();
  socket->ResetState();
  EXPECT_EQ(MessageOf<ESocketError>([&] { socket->Open(); }), "Service name is required");
  // A port typed wrongly is told, not replaced by another one.
  for (const char* server : {"127.0.0.1:abc", "127.0.0.1:0", "127.0.0.1:70000", "host:", ":0"}) {
    auto wrong = NewSocket(server);
    wrong->ResetState();
    EXPECT_EQ(MessageOf<ESocketError>([&] { wrong->Open(); }),
              std::string("The port in the server \"") + server + "\" is not a number from 1 to 65535.");
  }
}

TEST(SocketResolution, PortSuffixAndDottedAddressNeedNoLookup) {
  struct Case {
    const char* server;
    int hostLookups, serviceLookups;
  } cases[] = {
      {"127.0.0.1:2525", 0, 0},
      {"127.0.0.1", 0, 1},
      {"localhost:2525", 1, 0},
  };
  for (const Case& c : cases) {
    WatchedCalls calls;
    WatchingLoader loader(calls);
    TnsWinsock binding(loader);
    TnsSocket socket(test::Host(), test::Pump(), binding);
    socket.SetWinsockLoaded(true);
    socket.Server = c.server;
    socket.ServiceName = "smtp";
    socket.DefaultPort = 25;
    socket.ResetState();
    socket.Open();
    EXPECT_EQ(calls.hostLookups, c.hostLookups) << c.server;
    EXPECT_EQ(calls.serviceLookups, c.serviceLookups) << c.server;
    socket.Close();
  }
}

TEST(SocketTimeCounter, ATimeOutOfZeroOrLessExpiresAtTheFirstTick) {
  for (int timeOut : {0, -1, -60}) {
    TTimeCounter counter(test::Host());
    counter.TimeOut = timeOut;
    counter.Start();
    EXPECT_FALSE(counter.Expired) << timeOut;
    counter.Tick();
    EXPECT_TRUE(counter.Expired) << timeOut;
    counter.Stop();
  }
}

TEST(SocketResolution, HostNames) {
  auto socket = NewSocket("localhost:2525");
  socket->ResetState();
  socket->Open();
  EXPECT_EQ(socket->RemoteAddr(), 0x0100007Fu);
  EXPECT_FALSE(socket->LocalHost().empty());
  socket->Close();

  auto unknown = NewSocket("no-such-host.invalid:25");
  unknown->ResetState();
  EXPECT_EQ(MessageOf<ESocketError>([&] { unknown->Open(); }), "Host not found");
}

TEST(LiveSocketResolution, ATimedOutLookUpIsCancelledAndItsLateAnswerIgnored) {
  REQUIRE_SERVERS();
  WatchedCalls calls;
  calls.hostLookupsHang = true;
  WatchingLoader loader(calls);
  TnsWinsock binding(loader);
  TnsSocket socket(test::Host(), test::Pump(), binding);
  socket.SetWinsockLoaded(true);
  socket.Server = "slow-resolver.invalid:25";
  socket.SetTimeOut(1);
  socket.ResetState();
  EXPECT_EQ(MessageOf<ETimedOutError>([&] { socket.Open(); }), "Operation timed out");
  EXPECT_EQ(calls.cancelled, std::vector<winsock::AsyncHandle>{kHangingRequest});

  // The answer comes after all, as a failure: it must not fail the next connection.
  calls.hostLookupsHang = false;
  static char late[winsock::kAsyncBufferSize];
  ASSERT_NE(calls.realHost(calls.lookupWindow, calls.lookupMessage, "no-such-host.invalid", late, sizeof late), 0u);
  socket.Server = Loopback(test::FaultPort("normal"));
  socket.ResetState();
  socket.Open();
  socket.ConnectSocket();
  std::string line;
  EXPECT_EQ(socket.ReadLine(line), 220);
  socket.Close();
}

// The test host, counting the socket notifications that reach a socket's window.
struct CountingHost final : SocketHost {
  winsock::WindowHandle window = 0;
  std::vector<std::uintptr_t> socketEvents;  // their socket handles
  std::unique_ptr<HiddenWindow> CreateHiddenWindow(NotifyProc proc) override {
    auto created = test::Host().CreateHiddenWindow(
        [this, proc = std::move(proc)](unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
          if (message == winsock::kMsgSocketEvent) socketEvents.push_back(wParam);
          return proc(message, wParam, lParam);
        });
    window = created->Handle();
    return created;
  }
  std::unique_ptr<TickTimer> CreateTimer(unsigned intervalMs, std::function<void()> onTick) override {
    return test::Host().CreateTimer(intervalMs, std::move(onTick));
  }
};

TEST(LiveSocketClose, NotificationsStillQueuedForTheClosedSocketAreDropped) {
  REQUIRE_SERVERS();
  CountingHost host;
  TnsSocket socket(host, test::Pump());
  socket.SetWinsockLoaded(true);
  OpenAndConnect(socket, "normal");
  ASSERT_FALSE(host.socketEvents.empty()) << "no connect notification";
  const std::uintptr_t closed = host.socketEvents.back();
  test::PostNotification(host.window, winsock::kMsgSocketEvent, closed, winsock::MakeSelectReply(winsock::kFdClose, 0));
  socket.Close();
  host.socketEvents.clear();
  for (int i = 0; i < 5; ++i) test::Pump().processMessages();
  EXPECT_EQ(host.socketEvents, std::vector<std::uintptr_t>{});
}

TEST(LiveSocketRecovery, AConnectionThatFailedOnTheSpotDoesNotBreakTheNextSend) {
  REQUIRE_SERVERS();
  WatchedCalls calls;
  calls.failingConnects = 1;
  WatchingLoader loader(calls);
  TnsWinsock binding(loader);
  TmxSMTP smtp(test::Host(), test::Pump(), binding);
  smtp.SetWinsockLoaded(true);
  smtp.SetTimeOut(2);
  TmxMessage message;
  message.Sender().SetAddress("monitor@example.com");
  message.Recipients().AddAddress("one@example.com", "One");
  smtp.MailMessage = &message;
  smtp.Server = Loopback(test::FaultPort("normal"));
  EXPECT_THROW(smtp.SendMail(), ESocketError);
  EXPECT_FALSE(smtp.Connected());
  EXPECT_NO_THROW(smtp.SendMail());
  EXPECT_NE(test::FaultTranscript("normal").find("C: HELO "), std::string::npos);
}

// Told at once in Winsock's words: a minute's wait for "timed out" sent users
// looking for a firewall.
TEST(SocketConnect, RefusedConnectionIsToldAtOnce) {
  auto socket = NewSocket("127.0.0.1:1", 10);
  socket->ResetState();
  socket->Open();
  auto start = Clock::now();
  EXPECT_EQ(MessageOf<ESocketError>([&] { socket->ConnectSocket(); }), WinsockErrorText(winsock::kWsaEconnrefused));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  EXPECT_FALSE(socket->Connected());
}

// A reply that did arrive is taken even when a handler dispatched during the
// wait (a dialog's loop, say) ran past the time-out.
TEST(LiveSocketReplies, AReplyThatCameIsTakenAfterALongHandler) {
  REQUIRE_SERVERS();
  auto socket = ConnectTo("normal", 1);
  std::unique_ptr<TickTimer> timer;
  bool ran = false;
  timer = test::Host().CreateTimer(10, [&] {
    timer->SetEnabled(false);
    ran = true;
    // A nested loop that outlasts the time-out and dispatches what came meanwhile.
    std::this_thread::sleep_for(std::chrono::milliseconds(2200));
    test::Pump().processMessages();
  });
  timer->SetEnabled(true);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the handler is due at the wait's first look
  int code = 0;
  EXPECT_NO_THROW(code = socket->ReadReply());
  EXPECT_TRUE(ran);
  EXPECT_EQ(code, 220);
  socket->Close();
}

// A stream that ends before its size is a failed read: the message must not go
// out cut as if it were whole.
TEST(LiveSocketStreams, AShortReadBeforeTheEndFailsTheSend) {
  REQUIRE_SERVERS();
  struct ShortStream final : TMemoryStream {
    std::size_t Read(void* buffer, std::size_t count) override {
      return TMemoryStream::Read(buffer, std::min<std::size_t>(count, Position() < 3000 ? count : 0));
    }
  } stream;
  const std::string text(10000, 'x');
  stream.Write(text.data(), text.size());
  auto socket = ConnectTo("normal");
  socket->ReadReply();
  EXPECT_EQ(MessageOf<EReadError>([&] { socket->SendStream(stream); }), "Could not read the mail's temporary file.");
  socket->Close();
}

TEST(LiveSocketReplies, MultiLineAndOddLineEnds) {
  REQUIRE_SERVERS();
  auto multi = ConnectTo("multiline");
  EXPECT_EQ(multi->ReadReply(), 220);
  EXPECT_EQ(multi->LastReply(), "220 third line");
  multi->Close();

  auto odd = ConnectTo("odd_endings");
  EXPECT_EQ(odd->ReadReply(), 220);
  EXPECT_EQ(odd->LastReply(), "220 cr cr lf");  // CR CR LF
  odd->SendLine("HELO me");
  EXPECT_EQ(odd->ReadReply(), 250);
  EXPECT_EQ(odd->LastReply(), "250 bare lf");  // LF alone
  odd->Close();
}

TEST(LiveSocketReplies, ALastLineOfOnlyTheCodeEndsTheReply) {
  REQUIRE_SERVERS();
  auto socket = ConnectTo("three_digits", 30);
  auto start = Clock::now();
  EXPECT_EQ(socket->ReadReply(), 220);
  EXPECT_EQ(socket->LastReply(), "220");
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(20)) << "waited for the time-out";
  socket->Close();
}

TEST(LiveSocketReplies, LineLengthLimit) {
  REQUIRE_SERVERS();
  auto fits = ConnectTo("line_1024");
  EXPECT_EQ(fits->ReadReply(), 220);
  EXPECT_EQ(fits->LastReply().size(), 1022u);  // 1024 bytes with CR LF
  fits->Close();

  auto tooLong = ConnectTo("line_1025");
  try {
    tooLong->ReadReply();
    ADD_FAILURE() << "no range error";
  } catch (const ERangeError& e) {
    EXPECT_EQ(e.Message(), "Range check error");
  }
  // The rest of the line is unread, so the connection cannot be used any more.
  EXPECT_FALSE(tooLong->Connected());
}

TEST(LiveSocketReplies, HandlerDispatchedDuringAWaitMayCancel) {
  REQUIRE_SERVERS();
  auto socket = ConnectTo("silence", 10);
  bool canceled = false;
  socket->OnCancel = [&](TnsSocket&) { canceled = true; };
  auto timer = test::Host().CreateTimer(300, [&] { socket->Cancel(); });
  timer->SetEnabled(true);
  auto start = Clock::now();
  EXPECT_EQ(MessageOf<ECanceledError>([&] { socket->ReadReply(); }), "Operation has been canceled");
  timer->SetEnabled(false);
  EXPECT_TRUE(canceled);
  EXPECT_FALSE(socket->Connected());
  // The cancel, not the 10 s time-out, ended the wait.
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(9500));
}

TEST(LiveSocketStreams, AFullChunkIsFollowedByOneEmptySend) {
  REQUIRE_SERVERS();
  WatchedCalls calls;
  WatchingLoader loader(calls);
  TnsWinsock binding(loader);
  TnsSocket socket(test::Host(), test::Pump(), binding);
  socket.SetWinsockLoaded(true);
  OpenAndConnect(socket, "normal");
  ASSERT_EQ(socket.ReadReply(), 220);
  TMemoryStream stream;
  stream.WriteString(std::string(2047, 'x'));
  calls.sendLengths.clear();
  socket.SendStream(stream);
  EXPECT_EQ(calls.sendLengths, (std::vector<int>{2047, 0}));
  socket.Close();
}

TEST(LiveSocketStreams, ChunksAndProgressAtTheBoundaries) {
  REQUIRE_SERVERS();
  struct Case {
    std::size_t size;
    std::vector<std::pair<int, int>> progress;
  };
  const Case cases[] = {
      {2047, {{100, 2047}, {100, 2047}, {0, 0}}},  // a full chunk, then an empty round
      {2048, {{100, 2047}, {100, 2048}, {0, 0}}},
      {5000, {{41, 2047}, {82, 4094}, {100, 5000}, {0, 0}}},
  };
  for (const Case& c : cases) {
    auto socket = ConnectTo("normal");
    ASSERT_EQ(socket->ReadReply(), 220);
    for (const char* command : {"HELO me", "MAIL FROM:<a@x>", "RCPT TO:<b@y>", "DATA"}) {
      socket->SendLine(command);
      socket->ReadReply();
    }
    TMemoryStream stream;
    std::string text(c.size - 2, 'x');
    for (std::size_t i = 100; i < text.size(); i += 100) text[i] = '\n';
    text += "\r\n";
    stream.WriteString(text);
    std::vector<std::pair<int, int>> seen;
    socket->OnProgress = [&](TnsSocket&, int perc, int transferred) { seen.emplace_back(perc, transferred); };
    socket->SendStream(stream);
    socket->SendLine(".");
    EXPECT_EQ(socket->ReadReply(), 250) << c.size;
    EXPECT_EQ(seen, c.progress) << c.size;
    EXPECT_EQ(test::ReadFile(test::ServerDir() + "/normal.data"), text) << c.size;
    socket->Close();
  }
}

}  // namespace
}  // namespace parvex

namespace parvex {
namespace {

// A send stops and restarts its counter's timer around every chunk: a stopped
// timer must not tick, and a restarted one counts a full interval again.
TEST(SocketTimer, StoppedTimerDoesNotTickAndRestartsFromZero) {
  int ticks = 0;
  auto timer = test::Host().CreateTimer(100, [&] { ++ticks; });
  const auto pumpFor = [](int ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
      test::Pump().processMessages();
      test::Pump().WaitForMessage(10);
    }
  };
  timer->SetEnabled(true);
  pumpFor(250);
  EXPECT_GE(ticks, 1);
  timer->SetEnabled(false);
  EXPECT_FALSE(timer->Enabled());
  const int stopped = ticks;
  pumpFor(300);
  EXPECT_EQ(ticks, stopped);
  pumpFor(50);
  timer->SetEnabled(true);
  pumpFor(60);  // less than one interval after the restart
  EXPECT_EQ(ticks, stopped);
  pumpFor(200);
  EXPECT_GT(ticks, stopped);

  // Stopped and started at once, 60 ms before the old phase's next tick (as a
  // send does between chunks): the first tick still waits a full interval.
  const int running = ticks;
  for (int i = 0; i < 100 && ticks == running; ++i) pumpFor(5);
  pumpFor(40);
  timer->SetEnabled(false);
  timer->SetEnabled(true);
  const int restarted = ticks;
  pumpFor(75);
  EXPECT_EQ(ticks, restarted);
  pumpFor(200);
  EXPECT_GT(ticks, restarted);
}

}  // namespace
}  // namespace parvex
