#include "tests/support/win32/http_server.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace zandrel::testing {

namespace {

class WinsockUser {
 public:
  WinsockUser() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("no Winsock");
  }
  ~WinsockUser() { WSACleanup(); }
};

SOCKET ListenOnLoopback(int& port) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) throw std::runtime_error("no socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, 8) != 0) {
    closesocket(s);
    throw std::runtime_error("cannot listen on 127.0.0.1");
  }
  int length = sizeof address;
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return s;
}

// Waits up to `ms` for the socket to become readable.
bool Readable(SOCKET s, unsigned ms) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval wait{static_cast<long>(ms / 1000), static_cast<long>((ms % 1000) * 1000)};
  return select(0, &set, nullptr, nullptr, &wait) > 0;
}

bool SendAll(SOCKET s, const std::string& data) {
  std::size_t sent = 0;
  while (sent < data.size()) {
    const int n = send(s, data.data() + sent, static_cast<int>(data.size() - sent), 0);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

const char* Reason(int status) {
  switch (status) {
    case 200: return "OK";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
  }
}

}  // namespace

LoopbackHttpServer::LoopbackHttpServer() {
  static WinsockUser winsock;
  listener_ = ListenOnLoopback(port_);
  thread_ = std::thread([this] { Serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
  stop_ = true;
  thread_.join();
  closesocket(listener_);
}

std::string LoopbackHttpServer::host() const {
  return "127.0.0.1:" + std::to_string(port_);
}

void LoopbackHttpServer::Route(const std::string& path, Reply reply) {
  std::lock_guard lock(mutex_);
  routes_[path] = std::move(reply);
}

std::vector<LoopbackHttpServer::Request> LoopbackHttpServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

int LoopbackHttpServer::hits(const std::string& path) const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(std::count_if(requests_.begin(), requests_.end(),
                                        [&](const Request& r) { return r.path == path; }));
}

void LoopbackHttpServer::Serve() {
  while (!stop_) {
    if (!Readable(listener_, 50)) continue;
    SOCKET client = accept(listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) continue;
    connections_.emplace_back([this, client] {
      Answer(client);
      shutdown(client, SD_SEND);
      closesocket(client);
    });
  }
  for (std::thread& connection : connections_) connection.join();
}

void LoopbackHttpServer::Answer(std::uintptr_t socket_value) {
  const auto client = static_cast<SOCKET>(socket_value);
  std::string received;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (received.find("\r\n\r\n") == std::string::npos) {
    if (stop_ || std::chrono::steady_clock::now() > deadline) return;
    if (!Readable(client, 50)) continue;
    char buffer[4096];
    const int n = recv(client, buffer, sizeof buffer, 0);
    if (n <= 0) return;
    received.append(buffer, static_cast<std::size_t>(n));
  }
  const std::size_t line_end = received.find("\r\n");
  const std::string line = received.substr(0, line_end);
  const std::size_t first = line.find(' ');
  const std::size_t second = line.find(' ', first + 1);
  Request request;
  request.path = first == std::string::npos ? std::string() : line.substr(first + 1, second - first - 1);
  request.headers = received.substr(line_end + 2, received.find("\r\n\r\n") - line_end - 2);
  Reply reply;
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
    const auto route = routes_.find(request.path);
    if (route != routes_.end()) {
      reply = route->second;
    } else {
      reply.status = 404;
      reply.body = "not here";
    }
  }
  std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " + Reason(reply.status) +
                     "\r\nConnection: close\r\nContent-Type: application/octet-stream\r\n";
  if (reply.content_length && reply.status != 204)
    head +=
        "Content-Length: " + std::to_string(reply.announced.value_or(reply.body.size())) + "\r\n";
  if (!reply.location.empty()) head += "Location: " + reply.location + "\r\n";
  head += "\r\n";
  if (!SendAll(client, head)) return;
  if (reply.status == 204) return;
  const std::size_t piece = reply.piece ? reply.piece : std::max<std::size_t>(reply.body.size(), 1);
  for (std::size_t at = 0; at < reply.body.size(); at += piece) {
    if (stop_ || !SendAll(client, reply.body.substr(at, piece))) return;
    if (reply.stall) {
      // Held until the client gives up or the server stops.
      while (!stop_) {
        if (Readable(client, 50)) {
          char buffer[256];
          if (recv(client, buffer, sizeof buffer, 0) <= 0) return;
        }
      }
      return;
    }
    if (reply.pause_ms) Sleep(reply.pause_ms);
  }
}

int ClosedLoopbackPort() {
  static WinsockUser winsock;
  int port = 0;
  SOCKET s = ListenOnLoopback(port);
  closesocket(s);
  return port;
}

}  // namespace zandrel::testing
