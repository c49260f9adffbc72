#pragma once
// An HTTPS server for tests: Debian's openssl s_server on 127.0.0.1, reached
// as "localhost" with a certificate of its own that the current user's root
// store trusts while the server lives. It speaks one TLS version, answers
// each path with a fixed response (status line, headers and body, written
// whole), and ends after a given number of connections.

#include <map>
#include <string>

#include "tests/support/temp_folder.h"

namespace zandrel::testing {

class LoopbackTlsServer {
 public:
  enum class Version { kTls11, kTls12 };

  // `answers`: a path such as "/ok" and the whole response to it.
  LoopbackTlsServer(Version version, const std::map<std::string, std::string>& answers,
                    int connections);
  ~LoopbackTlsServer();
  LoopbackTlsServer(const LoopbackTlsServer&) = delete;
  LoopbackTlsServer& operator=(const LoopbackTlsServer&) = delete;

  // "localhost:port".
  std::string host() const;
  // Waits until the server has ended and gives what it printed, its
  // counts of handshakes among them ("N server accepts that finished").
  std::string Stop();

 private:
  TempFolder dir_;
  int port_ = 0;
  std::string certificate_der_;
  bool running_ = false;
  std::string log_;
};

// A whole HTTP response with a body of the given text.
std::string HttpResponseText(int status, const std::string& body, const std::string& headers = {});

}  // namespace zandrel::testing
