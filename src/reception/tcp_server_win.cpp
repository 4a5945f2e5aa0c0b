#include "reception/tcp_server_win.h"

#include <ws2tcpip.h>

#include <algorithm>

#include "reception/client_log.h"

namespace reception {
namespace {

constexpr UINT kMsgListener = WM_APP + 1;
constexpr UINT kMsgClient = WM_APP + 2;
constexpr wchar_t kWindowClass[] = L"ReceiverTcpServerSink";
constexpr size_t kReadChunk = 1024;

// Clears the current-event values when an event handler returns.
struct EventScope {
  std::string& client;
  std::string& data;
  ~EventScope() {
    client.clear();
    data.clear();
  }
};

}  // namespace

TcpServer::TcpServer(TcpServerEvents& events, const Options& options)
    : events_(events), options_(options) {
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) {
    listenError_ = WSASYSNOTREADY;
    return;
  }
  wsaStarted_ = true;

  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = kWindowClass;
  RegisterClassW(&wc);  // fails harmlessly when already registered
  window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                            nullptr);
  if (window_ == nullptr) {
    listenError_ = static_cast<int>(GetLastError());
    return;
  }
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) {
    listenError_ = WSAGetLastError();
    return;
  }
  // Exclusive use: a second program can never bind the same port beside us.
  BOOL exclusive = TRUE;
  setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
             sizeof exclusive);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(options_.port);
  addr.sin_addr.s_addr = htonl(options_.bindAddress);
  if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(s, SOMAXCONN) != 0 || WSAAsyncSelect(s, window_, kMsgListener, FD_ACCEPT) != 0) {
    listenError_ = WSAGetLastError();
    closesocket(s);
    return;
  }
  int len = sizeof addr;
  getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
  listener_ = s;
}

TcpServer::~TcpServer() {
  // Connections close without ClientLeft events; then the listener.
  for (Client& c : clients_) {
    WSAAsyncSelect(c.socket, window_, 0, 0);
    closesocket(c.socket);
  }
  clients_.clear();
  if (listener_ != INVALID_SOCKET) {
    WSAAsyncSelect(listener_, window_, 0, 0);
    closesocket(listener_);
  }
  if (window_ != nullptr) {
    DestroyWindow(window_);
  }
  if (wsaStarted_) {
    WSACleanup();
  }
}

LRESULT CALLBACK TcpServer::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<TcpServer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self != nullptr) {
    if (msg == kMsgListener) {
      self->OnListenerMessage(lp);
      return 0;
    }
    if (msg == kMsgClient) {
      self->OnClientMessage(static_cast<SOCKET>(wp), lp);
      return 0;
    }
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void TcpServer::OnListenerMessage(LPARAM lp) {
  if (listener_ != INVALID_SOCKET && WSAGETSELECTEVENT(lp) == FD_ACCEPT) {
    // Take every connection that is waiting: one notification may stand for
    // several, and a connection left in the queue would never be served.
    for (int i = 0; i < 256 && Accept(); ++i) {
    }
  }
}

void TcpServer::OnClientMessage(SOCKET s, LPARAM lp) {
  if (listener_ == INVALID_SOCKET) {
    return;
  }
  switch (WSAGETSELECTEVENT(lp)) {
    case FD_READ:
      Read(s);
      break;
    case FD_WRITE:
      if (Client* c = Find(s)) Flush(*c);
      break;
    case FD_CLOSE:
      Read(s);  // bytes that arrived just before the close are still a scan
      Close(s);
      break;
    default:
      break;
  }
}

TcpServer::Client* TcpServer::Find(SOCKET s) {
  for (Client& c : clients_) {
    if (c.socket == s) return &c;
  }
  return nullptr;
}

bool TcpServer::Accept() {
  sockaddr_in peer{};
  int len = sizeof peer;
  SOCKET s = accept(listener_, reinterpret_cast<sockaddr*>(&peer), &len);
  if (s == INVALID_SOCKET) {
    return false;
  }
  if (WSAAsyncSelect(s, window_, kMsgClient, FD_READ | FD_WRITE | FD_CLOSE) != 0) {
    closesocket(s);
    return true;
  }
  len = sizeof peer;
  if (getpeername(s, reinterpret_cast<sockaddr*>(&peer), &len) != 0 || peer.sin_family != AF_INET) {
    WSAAsyncSelect(s, window_, 0, 0);
    closesocket(s);
    return true;
  }
  uint8_t octets[4];
  memcpy(octets, &peer.sin_addr, 4);
  clients_.push_back(Client{s, FormatClientAddress(octets, ntohs(peer.sin_port)), {}});
  currentClient_ = clients_.back().address;
  EventScope scope{currentClient_, currentData_};
  events_.OnClientEntered();
  return true;
}

void TcpServer::Read(SOCKET s) {
  u_long available = 0;
  if (ioctlsocket(s, FIONREAD, &available) != 0) {
    return;
  }
  size_t first = std::max<size_t>(available, 1);
  first = std::min(first, options_.maxReadBytes);
  readBuffer_.resize(first);
  size_t used = 0;
  size_t want = first;
  while (used < options_.maxReadBytes) {
    if (readBuffer_.size() < used + want) readBuffer_.resize(used + want);
    const int got = recv(s, readBuffer_.data() + used, static_cast<int>(want), 0);
    if (got <= 0) {
      break;  // would block, error, or end of stream
    }
    used += static_cast<size_t>(got);
    want = std::min(kReadChunk, options_.maxReadBytes - used);
  }
  Client* c = Find(s);
  if (used == 0 || c == nullptr) {
    return;
  }
  currentClient_ = c->address;
  currentData_.assign(readBuffer_.data(), used);
  EventScope scope{currentClient_, currentData_};
  events_.OnDataArrived();
  if (readBuffer_.capacity() > 64 * 1024) {
    std::vector<char>().swap(readBuffer_);  // do not keep a large buffer around
  }
}

void TcpServer::Close(SOCKET s) {
  auto it = std::find_if(clients_.begin(), clients_.end(),
                         [s](const Client& c) { return c.socket == s; });
  if (it == clients_.end()) {
    closesocket(s);
    return;
  }
  std::string address = std::move(it->address);
  clients_.erase(it);  // its queued replies go with it
  currentClient_ = std::move(address);
  {
    EventScope scope{currentClient_, currentData_};
    events_.OnClientLeft();
  }
  WSAAsyncSelect(s, window_, 0, 0);
  closesocket(s);
}

void TcpServer::Flush(Client& client) {
  while (!client.queued.empty()) {
    const int n = send(client.socket, client.queued.data(),
                       static_cast<int>(std::min<size_t>(client.queued.size(), 1 << 16)), 0);
    if (n <= 0) {
      return;  // would block (a write notification follows) or failed (close follows)
    }
    client.queued.erase(0, static_cast<size_t>(n));
  }
  if (client.queued.capacity() > 4096) {
    client.queued.shrink_to_fit();
  }
}

bool TcpServer::SendToClient(const std::string& client, std::string_view data, int waitSeconds) {
  (void)waitSeconds;
  if (client.empty()) {
    return false;
  }
  auto it = std::find_if(clients_.begin(), clients_.end(),
                         [&](const Client& c) { return c.address == client; });
  if (it == clients_.end()) {
    return false;
  }
  if (data.empty()) {
    return true;
  }
  Client& c = *it;
  size_t sent = 0;
  if (c.queued.empty()) {
    while (sent < data.size()) {
      const int n = send(c.socket, data.data() + sent, static_cast<int>(data.size() - sent), 0);
      if (n > 0) {
        sent += static_cast<size_t>(n);
        continue;
      }
      if (WSAGetLastError() != WSAEWOULDBLOCK) {
        return false;
      }
      break;
    }
  }
  const size_t rest = data.size() - sent;
  if (rest == 0) {
    return true;
  }
  if (c.queued.size() + rest > options_.maxQueuedBytes) {
    return false;  // the client does not read its replies: drop this one
  }
  c.queued.append(data.substr(sent));
  return true;
}

}  // namespace reception
