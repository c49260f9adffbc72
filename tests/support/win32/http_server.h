#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for tests of the update code: fixed
// answers per path, answers without a length or cut short, slow or stalled
// bodies, redirects, and a record of the requests it saw. Each connection is served
// on a thread of its own (a stalled one holds up nothing else); every answer
// closes its connection.

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace zandrel::testing {

class LoopbackHttpServer {
 public:
  struct Reply {
    int status = 200;
    std::string body;
    bool content_length = true;  // false: the body ends with the connection
    std::string location;        // a Location header, for redirects
    // The body goes out in pieces of this size with a pause after each.
    std::size_t piece = 0;
    unsigned pause_ms = 0;
    // After the headers and the first piece nothing more comes until the
    // client goes away or the server stops.
    bool stall = false;
    // A Content-Length other than the body's: a transfer cut short.
    std::optional<std::size_t> announced;

    static Reply With(std::string body, int status = 200) {
      Reply r;
      r.body = std::move(body);
      r.status = status;
      return r;
    }
    static Reply Status(int status) { return With({}, status); }
    static Reply RedirectTo(std::string location, int status = 302) {
      Reply r = Status(status);
      r.location = std::move(location);
      return r;
    }
    Reply& Pieces(std::size_t size, unsigned pause = 0) {
      piece = size;
      pause_ms = pause;
      return *this;
    }
    Reply& Stalled() {
      stall = true;
      return *this;
    }
    Reply& Announcing(std::size_t length) {
      announced = length;
      return *this;
    }
    Reply& Unsized() {
      content_length = false;
      return *this;
    }
  };
  struct Request {
    std::string path;
    std::string headers;  // as received, one "Name: value" per line
  };

  LoopbackHttpServer();
  ~LoopbackHttpServer();
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  int port() const { return port_; }
  // "127.0.0.1:port".
  std::string host() const;
  // Paths without a reply get 404.
  void Route(const std::string& path, Reply reply);
  std::vector<Request> requests() const;
  int hits(const std::string& path) const;

 private:
  void Serve();
  void Answer(std::uintptr_t client);

  std::uintptr_t listener_ = ~std::uintptr_t{0};
  int port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::map<std::string, Reply> routes_;
  std::vector<Request> requests_;
  std::thread thread_;
  std::vector<std::thread> connections_;  // joined when the server stops
};

// A port on 127.0.0.1 where nothing listens (connections are refused).
int ClosedLoopbackPort();

}  // namespace zandrel::testing
