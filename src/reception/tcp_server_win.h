// The scan server: one IPv4 TCP listening socket whose accept, read, write and
// close notifications arrive as window messages on the GUI thread
// (WSAAsyncSelect), so events run one at a time on that thread and no other
// thread exists.
//
// Replies never block the GUI thread: SendToClient sends what the connection
// takes now and keeps the rest in a bounded per-client queue that write
// notifications flush. One read notification takes at most
// Options::maxReadBytes; the rest comes with the next notification, so a peer
// that streams without pause neither freezes the thread nor grows memory.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "reception/scan_handler.h"

namespace reception {

class TcpServerEvents {
 public:
  virtual ~TcpServerEvents() = default;
  virtual void OnDataArrived() = 0;    // event 0
  virtual void OnClientEntered() = 0;  // event 1
  virtual void OnClientLeft() = 0;     // event 2
};

class TcpServer final : public ScanSource {
 public:
  static constexpr uint16_t kDefaultPort = 19730;

  struct Options {
    uint16_t port = kDefaultPort;    // 0 picks a free port (tests)
    uint32_t bindAddress = INADDR_ANY;  // host order
    size_t maxReadBytes = 1u << 20;     // per read notification
    size_t maxQueuedBytes = 1u << 20;   // per client, unsent replies
  };

  // Starts Windows Sockets and listens at once; failure leaves it inactive.
  TcpServer(TcpServerEvents& events, const Options& options);
  ~TcpServer() override;
  TcpServer(const TcpServer&) = delete;
  TcpServer& operator=(const TcpServer&) = delete;

  bool Listening() const { return listener_ != INVALID_SOCKET; }
  // The Winsock error that stopped listening (WSAEADDRINUSE when the port is taken).
  int ListenError() const { return listenError_; }
  uint16_t Port() const { return port_; }
  size_t ClientCount() const { return clients_.size(); }

  std::string CurrentClient() const override { return currentClient_; }
  std::string CurrentData() const override { return currentData_; }
  // waitSeconds is accepted for its callers' sake; the server never waits.
  bool SendToClient(const std::string& client, std::string_view data, int waitSeconds) override;

 private:
  struct Client {
    SOCKET socket = INVALID_SOCKET;
    std::string address;
    std::string queued;  // unsent reply bytes
  };
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void OnListenerMessage(LPARAM lp);
  void OnClientMessage(SOCKET s, LPARAM lp);
  bool Accept();  // false when no connection was waiting
  void Read(SOCKET s);
  void Flush(Client& client);
  void Close(SOCKET s);
  Client* Find(SOCKET s);

  TcpServerEvents& events_;
  Options options_;
  bool wsaStarted_ = false;
  HWND window_ = nullptr;
  SOCKET listener_ = INVALID_SOCKET;
  int listenError_ = 0;
  uint16_t port_ = 0;
  std::vector<Client> clients_;  // in order of arrival
  std::string currentClient_;
  std::string currentData_;
  std::vector<char> readBuffer_;
};

}  // namespace reception
