#include "update/win32/http_client.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

#include "gui/win32/application.h"
#include "platform/handles.h"
#include "platform/internet.h"

namespace zandrel::update {

namespace {

using platform::UniqueInternet;

[[noreturn]] void Fail(const char* step) {
  throw HttpError(std::string(step) + " failed (error " + std::to_string(GetLastError()) + ")");
}

UniqueInternet Check(HINTERNET handle, const char* step) {
  if (!handle) Fail(step);
  return UniqueInternet(handle);
}

// The announced length; none when the server gives none (or one that is
// no number).
std::optional<std::int64_t> ContentLength(HINTERNET request) {
  wchar_t text[32] = {};
  DWORD size = sizeof text;
  if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX,
                           text, &size, WINHTTP_NO_HEADER_INDEX) ||
      text[0] == 0)
    return std::nullopt;
  std::int64_t value = 0;
  for (const wchar_t* c = text; *c; ++c) {
    if (*c < L'0' || *c > L'9' || value > (INT64_MAX - 9) / 10) return std::nullopt;
    value = value * 10 + (*c - L'0');
  }
  return value;
}

}  // namespace

HttpResponse HttpGet(const std::wstring& url, const HttpOptions& options, HttpProgress* progress,
                     const HttpCancel* cancel) {
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwSchemeLength = static_cast<DWORD>(-1);
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (url.empty() || !WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts) ||
      (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS))
    throw HttpError("not an http or https URL");
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring object(parts.lpszUrlPath, parts.dwUrlPathLength);
  object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (object.empty()) object = L"/";

  UniqueInternet session = Check(
      WinHttpOpen(options.user_agent.c_str(),
                  options.proxy ? WINHTTP_ACCESS_TYPE_NAMED_PROXY : WINHTTP_ACCESS_TYPE_NO_PROXY,
                  options.proxy ? options.proxy->c_str() : WINHTTP_NO_PROXY_NAME,
                  WINHTTP_NO_PROXY_BYPASS, 0),
      "WinHttpOpen");
  // TLS 1.2 and nothing else, for any https the redirects lead to.
  DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
  WinHttpSetOption(session.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols);
  if (options.connect_timeout_ms > 0 || options.read_timeout_ms > 0) {
    const int connect = options.connect_timeout_ms > 0 ? options.connect_timeout_ms : 60000;
    const int read = options.read_timeout_ms > 0 ? options.read_timeout_ms : 30000;
    WinHttpSetTimeouts(session.get(), connect, connect, read, read);
  }
  UniqueInternet connection =
      Check(WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0), "WinHttpConnect");
  const wchar_t* accept[] = {options.accept.c_str(), nullptr};
  const DWORD flags = (parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0) |
                      WINHTTP_FLAG_ESCAPE_DISABLE | WINHTTP_FLAG_ESCAPE_DISABLE_QUERY;
  UniqueInternet request = Check(
      WinHttpOpenRequest(connection.get(), L"GET", object.c_str(), nullptr, WINHTTP_NO_REFERER,
                         options.accept.empty() ? WINHTTP_DEFAULT_ACCEPT_TYPES : accept, flags),
      "WinHttpOpenRequest");
  DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP;
  WinHttpSetOption(request.get(), WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof policy);
  if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA,
                          0, 0, 0))
    Fail("sending the request");
  if (!WinHttpReceiveResponse(request.get(), nullptr)) Fail("receiving the response");

  HttpResponse response;
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
    Fail("reading the status");
  response.status = static_cast<int>(status);
  if (status < 200 || status > 299)
    throw HttpError("the server answered " + std::to_string(status), response.status);

  const std::optional<std::int64_t> announced = ContentLength(request.get());
  if (announced && *announced > options.max_body) throw HttpError("the body is too long");
  if (progress) progress->Begin(announced.value_or(0));
  std::vector<char> chunk(64 * 1024);
  for (;;) {
    if (cancel && cancel->cancelled()) throw HttpError("cancelled");
    // What has arrived, so a slow server's first bytes are reported as they
    // come rather than once a whole buffer is full.
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(request.get(), &available)) Fail("waiting for the body");
    if (available == 0) break;
    if (cancel && cancel->cancelled()) throw HttpError("cancelled");
    DWORD read = 0;
    const DWORD wanted = std::min<DWORD>(available, static_cast<DWORD>(chunk.size()));
    if (!WinHttpReadData(request.get(), chunk.data(), wanted, &read)) Fail("reading the body");
    if (read == 0) break;
    if (static_cast<std::int64_t>(read) >
        options.max_body - static_cast<std::int64_t>(response.body.size()))
      throw HttpError("the body is too long");
    response.body.append(chunk.data(), read);
    if (progress) progress->Work(static_cast<std::int64_t>(response.body.size()));
  }
  // A connection that ends early looks like the end of the body: only the
  // announced length tells a cut transfer from a whole one.
  if (announced && static_cast<std::int64_t>(response.body.size()) != *announced)
    throw HttpError("the body is not the announced length");
  if (progress) progress->End();
  return response;
}

// --- DownloadClient -------------------------------------------------------------

struct DownloadClient::Transfer {
  Transfer() : wake(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
  platform::UniqueHandle wake;
  HttpCancel cancel;
  std::mutex mutex;
  bool begun = false, ended = false, done = false;
  std::int64_t total = 0, count = 0;
  std::string body;
  std::exception_ptr error;

  void Signal() { SetEvent(wake.get()); }
};

namespace {

// The worker's side: what the transfer tells goes to the shared state.
struct Relay : HttpProgress {
  explicit Relay(DownloadClient::Transfer& t) : transfer(t) {}
  void Begin(std::int64_t total) override {
    {
      std::lock_guard lock(transfer.mutex);
      transfer.begun = true;
      transfer.total = total;
    }
    transfer.Signal();
  }
  void Work(std::int64_t count) override {
    {
      std::lock_guard lock(transfer.mutex);
      transfer.count = count;
    }
    transfer.Signal();
  }
  void End() override {
    {
      std::lock_guard lock(transfer.mutex);
      transfer.ended = true;
    }
    transfer.Signal();
  }
  DownloadClient::Transfer& transfer;
};

}  // namespace

DownloadClient::~DownloadClient() {
  Disconnect();
}

void DownloadClient::Disconnect() {
  if (!transfer_) return;
  transfer_->cancel.Cancel();
  transfer_->Signal();
  transfer_.reset();
}

std::string DownloadClient::Get(const std::wstring& url, bool raise_events) {
  if (transfer_) throw HttpError("a download is already running");
  auto transfer = std::make_shared<Transfer>();
  if (!transfer->wake) throw HttpError("no event for the transfer");
  transfer_ = transfer;
  std::thread([transfer, url, options = options, raise_events] {
    Relay relay(*transfer);
    try {
      HttpResponse response =
          HttpGet(url, options, raise_events ? &relay : nullptr, &transfer->cancel);
      std::lock_guard lock(transfer->mutex);
      transfer->body = std::move(response.body);
    } catch (...) {
      std::lock_guard lock(transfer->mutex);
      transfer->error = std::current_exception();
    }
    {
      std::lock_guard lock(transfer->mutex);
      transfer->done = true;
    }
    transfer->Signal();
  }).detach();

  // Each event may disconnect (a cancel click handled while it processes
  // messages): then the transfer is no longer this client's.
  const auto still_mine = [&] {
    if (transfer_ != transfer) throw HttpError("disconnected");
  };
  bool begin_raised = false, end_raised = false;
  std::int64_t shown_count = 0;
  gui::Application& app = gui::Application::Instance();
  try {
    for (;;) {
      HANDLE wake = transfer->wake.get();
      MsgWaitForMultipleObjects(1, &wake, FALSE, 100, QS_ALLINPUT);
      app.ProcessMessages();
      still_mine();
      // The program is closing: nothing waits for this transfer any more.
      if (app.terminated()) throw HttpError("the program is closing");
      bool begun, ended, done;
      std::int64_t total, count;
      {
        std::lock_guard lock(transfer->mutex);
        begun = transfer->begun;
        ended = transfer->ended;
        done = transfer->done;
        total = transfer->total;
        count = transfer->count;
      }
      if (begun && !begin_raised) {
        begin_raised = true;
        if (on_begin) on_begin(total);
        still_mine();
      }
      if (count != shown_count) {
        shown_count = count;
        if (on_work) on_work(count);
        still_mine();
      }
      if (ended && !end_raised) {
        end_raised = true;
        if (on_end) on_end();
        still_mine();
      }
      if (done) break;
    }
  } catch (...) {
    if (transfer_ == transfer) Disconnect();
    throw;
  }
  transfer_.reset();
  std::lock_guard lock(transfer->mutex);
  if (transfer->error) std::rethrow_exception(transfer->error);
  return std::move(transfer->body);
}

}  // namespace zandrel::update
