// The scan server over real loopback sockets, its notifications pumped from
// the test's own message loop as the GUI thread would.
#include "reception/tcp_server_win.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace reception {
namespace {

struct Recorder : TcpServerEvents {
  TcpServer* server = nullptr;
  std::vector<std::string> events;  // "enter C", "data C bytes", "left C"
  std::function<void()> onData;
  void OnDataArrived() override {
    EXPECT_FALSE(server->CurrentClient().empty());
    events.push_back("data " + server->CurrentClient() + " " + server->CurrentData());
    if (onData) onData();
  }
  void OnClientEntered() override {
    EXPECT_TRUE(server->CurrentData().empty());
    events.push_back("enter " + server->CurrentClient());
  }
  void OnClientLeft() override { events.push_back("left " + server->CurrentClient()); }
};

// Pumps messages until pred holds or the time runs out.
bool PumpUntil(const std::function<bool()>& pred, int timeoutMs = 5000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!pred()) {
    if (std::chrono::steady_clock::now() > end) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(2);
  }
  return true;
}

struct Client {
  SOCKET s = INVALID_SOCKET;
  explicit Client(uint16_t port, int rcvbuf = 0) {
    s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (rcvbuf > 0) setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&rcvbuf), 4);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  }
  ~Client() { Close(); }
  void Close() {
    if (s != INVALID_SOCKET) closesocket(s);
    s = INVALID_SOCKET;
  }
  std::string Name() const {
    sockaddr_in a{};
    int len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    return "127.0.0.1:" + std::to_string(ntohs(a.sin_port));
  }
  void Send(std::string_view d) { send(s, d.data(), static_cast<int>(d.size()), 0); }
  // Reads whatever has arrived (non-blocking after a short wait).
  std::string Received(size_t want) {
    std::string got;
    u_long nb = 1;
    ioctlsocket(s, FIONBIO, &nb);
    PumpUntil([&] {
      char buf[4096];
      int n = recv(s, buf, sizeof buf, 0);
      if (n > 0) got.append(buf, static_cast<size_t>(n));
      return got.size() >= want;
    });
    return got;
  }
};

class TcpServerTest : public ::testing::Test {
 protected:
  static TcpServer::Options Loopback() {
    TcpServer::Options o;
    o.port = 0;
    o.bindAddress = INADDR_LOOPBACK;
    return o;
  }
  void Start(const TcpServer::Options& o) {
    server.reset();
    server = std::make_unique<TcpServer>(rec, o);
    rec.server = server.get();
    ASSERT_TRUE(server->Listening());
  }
  void SetUp() override { Start(Loopback()); }
  Recorder rec;
  std::unique_ptr<TcpServer> server;
};

TEST_F(TcpServerTest, ClientLifecycleRaisesEventsInOrder) {
  Client c(server->Port());
  const std::string name = c.Name();
  ASSERT_TRUE(PumpUntil([&] { return rec.events.size() == 1; }));
  c.Send("690||A");
  ASSERT_TRUE(PumpUntil([&] { return rec.events.size() == 2; }));
  c.Close();
  ASSERT_TRUE(PumpUntil([&] { return rec.events.size() == 3; }));
  EXPECT_EQ(rec.events, (std::vector<std::string>{"enter " + name, "data " + name + " 690||A",
                                                   "left " + name}));
  EXPECT_EQ(server->ClientCount(), 0u);
  EXPECT_EQ(server->CurrentClient(), "");
  EXPECT_EQ(server->CurrentData(), "");
  EXPECT_FALSE(server->SendToClient(name, "x", 2000));  // gone
}

TEST_F(TcpServerTest, RepliesGoOnlyToTheirOwnClient) {
  Client a(server->Port()), b(server->Port());
  ASSERT_TRUE(PumpUntil([&] { return server->ClientCount() == 2; }));
  rec.onData = [&] { server->SendToClient(server->CurrentClient(), "ack-" + server->CurrentData(), 2000); };
  a.Send("A");
  b.Send("B");
  EXPECT_EQ(a.Received(5), "ack-A");
  EXPECT_EQ(b.Received(5), "ack-B");
  EXPECT_TRUE(server->SendToClient(a.Name(), "", 2000));   // empty data: nothing sent
  EXPECT_FALSE(server->SendToClient("", "x", 2000));
  EXPECT_FALSE(server->SendToClient("1.2.3.4:5", "x", 2000));
}

TEST_F(TcpServerTest, DataSentJustBeforeCloseIsStillDelivered) {
  Client c(server->Port());
  ASSERT_TRUE(PumpUntil([&] { return server->ClientCount() == 1; }));
  c.Send("123||x");
  c.Close();
  ASSERT_TRUE(PumpUntil([&] { return server->ClientCount() == 0; }));
  ASSERT_GE(rec.events.size(), 3u);
  EXPECT_EQ(rec.events[1].substr(rec.events[1].size() - 6), "123||x");
  EXPECT_EQ(rec.events.back().rfind("left ", 0), 0u);
}

TEST_F(TcpServerTest, LargeStreamArrivesInBoundedEvents) {
  TcpServer::Options o = Loopback();
  o.maxReadBytes = 64 * 1024;
  Start(o);
  TcpServer& small = *server;
  size_t total = 0, largest = 0;
  rec.onData = [&] {
    total += small.CurrentData().size();
    largest = std::max(largest, small.CurrentData().size());
  };
  Client c(small.Port());
  const std::string block(1 << 20, 'z');
  u_long nb = 1;
  ioctlsocket(c.s, FIONBIO, &nb);
  size_t sent = 0;
  ASSERT_TRUE(PumpUntil([&] {
    if (sent < block.size()) {
      int n = send(c.s, block.data() + sent, static_cast<int>(block.size() - sent), 0);
      if (n > 0) sent += static_cast<size_t>(n);
    }
    return total == block.size();
  }, 20000));
  EXPECT_LE(largest, o.maxReadBytes);
}

TEST_F(TcpServerTest, ClientThatDoesNotReadNeverBlocksTheServer) {
  TcpServer::Options o = Loopback();
  o.maxQueuedBytes = 256 * 1024;
  Start(o);
  TcpServer& srv = *server;
  Client lazy(srv.Port(), 4096);
  ASSERT_TRUE(PumpUntil([&] { return srv.ClientCount() == 1; }));
  const std::string name = lazy.Name();
  const std::string chunk(64 * 1024, 'q');
  const auto start = std::chrono::steady_clock::now();
  int refused = 0;
  for (int i = 0; i < 200; ++i) {
    if (!srv.SendToClient(name, chunk, 2000)) ++refused;
  }
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start).count();
  EXPECT_GT(refused, 0);  // the queue is bounded: the excess is refused, not buffered
  EXPECT_LT(ms, 10000);   // and nothing waited for the client (a stall would take 2000 s)
  // Another client is still served.
  Client other(srv.Port());
  rec.onData = [&] { srv.SendToClient(srv.CurrentClient(), "ok", 2000); };
  other.Send("x");
  EXPECT_EQ(other.Received(2), "ok");
}

TEST(TcpServerPort, TakenPortIsReported) {
  Recorder r1, r2;
  TcpServer::Options o;
  o.port = 0;
  o.bindAddress = INADDR_LOOPBACK;
  TcpServer first(r1, o);
  ASSERT_TRUE(first.Listening());
  o.port = first.Port();
  TcpServer second(r2, o);
  EXPECT_FALSE(second.Listening());
  EXPECT_TRUE(second.ListenError() == WSAEADDRINUSE || second.ListenError() == WSAEACCES)
      << second.ListenError();
}

}  // namespace
}  // namespace reception
