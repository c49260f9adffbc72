#pragma once
// GET into memory over WinHTTP, the platform's HTTP client: its TLS (held to
// TLS 1.2), the system's certificate store, automatic redirects that never
// go from https to http, a named proxy or a direct connection, time-outs
// where the caller sets them. Statuses other than 2xx are errors, and so is
// a body of another length than the server announced or longer than the
// caller accepts.
//
// HttpGet blocks its thread. DownloadClient runs the same transfer on a
// worker while the GUI thread keeps processing messages and raises the
// transfer's events, so a stalled server never freezes a window and the
// transfer can be cancelled from inside any event.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace zandrel::update {

struct HttpOptions {
  std::wstring user_agent;
  std::wstring accept;               // empty: no Accept header
  std::optional<std::wstring> proxy;  // "host:port"; none: direct
  int connect_timeout_ms = 0;         // 0: the platform's own
  int read_timeout_ms = 0;            // 0: the platform's own
  // The longest body taken; a longer one (announced or arriving) fails the
  // transfer before it grows further.
  std::int64_t max_body = kDefaultMaxBody;

  static constexpr std::int64_t kDefaultMaxBody = 1024 * 1024;
};

// A transfer that failed: no connection, TLS, a time-out, a status other
// than 2xx (status() then holds it), or a cancel.
class HttpError : public std::runtime_error {
 public:
  explicit HttpError(const std::string& what, int status = 0)
      : std::runtime_error(what), status_(status) {}
  int status() const { return status_; }

 private:
  int status_;
};

struct HttpResponse {
  int status = 0;
  std::string body;
};

// What a transfer tells while it runs, on the thread that runs it.
struct HttpProgress {
  virtual ~HttpProgress() = default;
  virtual void Begin(std::int64_t total) = 0;  // 0 when the server gives no length
  virtual void Work(std::int64_t count) = 0;   // bytes so far
  virtual void End() = 0;
};

// Shared by a transfer and whoever may stop it, from any thread.
class HttpCancel {
 public:
  void Cancel() { cancelled_ = true; }
  bool cancelled() const { return cancelled_; }

 private:
  std::atomic<bool> cancelled_{false};
};

// The URL is sent as it is given (no escaping of its own).
HttpResponse HttpGet(const std::wstring& url, const HttpOptions& options,
                     HttpProgress* progress = nullptr, const HttpCancel* cancel = nullptr);

// One client for a window, reused for every download. Get runs on the GUI
// thread: the transfer goes to a worker, and the events below are raised on
// the GUI thread between message-processing passes until it ends.
class DownloadClient {
 public:
  HttpOptions options;
  std::function<void(std::int64_t total)> on_begin;
  std::function<void(std::int64_t count)> on_work;
  std::function<void()> on_end;

  DownloadClient() = default;
  ~DownloadClient();
  DownloadClient(const DownloadClient&) = delete;
  DownloadClient& operator=(const DownloadClient&) = delete;

  // Throws HttpError when the transfer fails or is disconnected, or when the
  // program is closing (the application was told to terminate); an error
  // thrown by an event handler ends the transfer and reaches the caller.
  // Without `raise_events` the transfer tells nothing (a small file after
  // the package, which must not move the package's progress).
  std::string Get(const std::wstring& url, bool raise_events = true);
  // Makes the running Get fail at once (callable from its events); the
  // worker is abandoned and stops on its own.
  void Disconnect();
  bool running() const { return static_cast<bool>(transfer_); }

  struct Transfer;

 private:
  std::shared_ptr<Transfer> transfer_;
};

}  // namespace zandrel::update
