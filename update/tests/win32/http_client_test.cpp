// The HTTP client against servers of the test's own on 127.0.0.1: bodies,
// headers, redirects, statuses, refused connections, time-outs, bodies of
// the wrong length, TLS through openssl's server, and the download client's
// events and disconnect on the GUI thread.

#include "update/win32/http_client.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "core/text.h"
#include "gui/win32/application.h"
#include "platform/wide.h"
#include "tests/support/win32/gui_harness.h"
#include "tests/support/win32/http_server.h"
#include "tests/support/win32/tls_server.h"
#include "update/win32/version_check.h"

namespace zandrel::update {
namespace {

using testing::LoopbackHttpServer;
using Reply = LoopbackHttpServer::Reply;

std::wstring Url(const LoopbackHttpServer& server, const std::string& path) {
  return L"http://" + platform::ToWide(FromUtf8(server.host() + path));
}

class HttpClientTest : public ::testing::Test {
 protected:
  HttpClientTest() {
    gui::Application& app = gui::Application::Instance();
    if (app.owner_window() == nullptr) app.Initialize(L"Zandrel");
  }
  LoopbackHttpServer server;
  HttpOptions options = RequestOptions(3000, 5000);
};

TEST_F(HttpClientTest, AGetBringsTheBodyWithTheProgramsHeadersAndFollowsRedirects) {
  std::string big(300000, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
  server.Route("/download/Zandrel/version.txt", Reply::With("1.2.3.4\r\n"));
  server.Route("/big", Reply::With(big));
  server.Route("/old", Reply::RedirectTo("http://" + server.host() + "/big"));

  const HttpResponse small = HttpGet(Url(server, "/download/Zandrel/version.txt"), options);
  EXPECT_EQ(small.status, 200);
  EXPECT_EQ(small.body, "1.2.3.4\r\n");
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_NE(requests[0].headers.find(std::string("User-Agent: ") +
                                     "Mozilla/5.0 (Windows NT 6.1; WOW64;rv:12.0) Gecko/20100101 Firefox/12.0"),
            std::string::npos)
      << requests[0].headers;
  EXPECT_NE(requests[0].headers.find(
                "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"),
            std::string::npos)
      << requests[0].headers;

  EXPECT_EQ(HttpGet(Url(server, "/old"), options).body, big);
  EXPECT_EQ(server.hits("/big"), 1);
  // The URL goes out as given: an escape stays an escape.
  server.Route("/a%20b", Reply::With("escaped"));
  EXPECT_EQ(HttpGet(Url(server, "/a%20b"), options).body, "escaped");
}

TEST_F(HttpClientTest, StatusesOtherThanSuccessRefusedConnectionsAndStallsAreErrors) {
  server.Route("/empty", Reply::Status(204));
  const HttpResponse empty = HttpGet(Url(server, "/empty"), options);
  EXPECT_EQ(empty.status, 204);
  EXPECT_TRUE(empty.body.empty());

  try {
    HttpGet(Url(server, "/missing"), options);
    ADD_FAILURE() << "404 was taken for an answer";
  } catch (const HttpError& e) {
    EXPECT_EQ(e.status(), 404);
  }
  server.Route("/broken", Reply::With("oops", 500));
  EXPECT_THROW(HttpGet(Url(server, "/broken"), options), HttpError);

  const std::wstring refused =
      L"http://127.0.0.1:" + std::to_wstring(testing::ClosedLoopbackPort()) + L"/x";
  EXPECT_THROW(HttpGet(refused, options), HttpError);
  EXPECT_THROW(HttpGet(L"ftp://127.0.0.1/x", options), HttpError);
  EXPECT_THROW(HttpGet(L"", options), HttpError);

  // A server that stops sending: the read time-out ends the request.
  server.Route("/stall", Reply::With(std::string(1000, 'x')).Pieces(10).Stalled());
  HttpOptions quick = options;
  quick.read_timeout_ms = 700;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(HttpGet(Url(server, "/stall"), quick), HttpError);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));

  // A body longer than the caller takes, announced or not, and one cut
  // short of its announced length.
  HttpOptions small = options;
  small.max_body = 1000;
  server.Route("/long", Reply::With(std::string(2000, 'x')));
  server.Route("/long-unsized", Reply::With(std::string(200000, 'x')).Unsized());
  EXPECT_THROW(HttpGet(Url(server, "/long"), small), HttpError);
  EXPECT_THROW(HttpGet(Url(server, "/long-unsized"), small), HttpError);
  server.Route("/cut", Reply::With("12345").Announcing(10));
  EXPECT_THROW(HttpGet(Url(server, "/cut"), options), HttpError);
}

// Against openssl's own server, reached as localhost with a certificate the
// test trusts: TLS 1.2 is spoken, TLS 1.1 is refused before any handshake
// completes, and a redirect from https to http is not followed. (Wine's TLS
// offers no TLS 1.3 at all, so a server of that version alone shows nothing.)
TEST_F(HttpClientTest, HttpsSpeaksTls12OnlyAndNeverRedirectsToHttp) {
  const std::string plain = "http://" + server.host() + "/plain";
  server.Route("/plain", Reply::With("plain"));
  const auto https = [](const testing::LoopbackTlsServer& tls, const std::string& path) {
    return platform::ToWide(FromUtf8("https://" + tls.host() + path));
  };
  {
    testing::LoopbackTlsServer tls(
        testing::LoopbackTlsServer::Version::kTls12,
        {{"/ok", testing::HttpResponseText(200, "secure")},
         {"/away", testing::HttpResponseText(302, "", "Location: " + plain + "\r\n")}},
        2);
    EXPECT_EQ(HttpGet(https(tls, "/ok"), options).body, "secure");
    EXPECT_THROW(HttpGet(https(tls, "/away"), options), HttpError);
    EXPECT_EQ(server.hits("/plain"), 0);
  }
  EXPECT_EQ(HttpGet(Url(server, "/plain"), options).body, "plain");

  testing::LoopbackTlsServer old(testing::LoopbackTlsServer::Version::kTls11,
                                 {{"/ok", testing::HttpResponseText(200, "secure")}}, 1);
  EXPECT_THROW(HttpGet(https(old, "/ok"), options), HttpError);
  const std::string said = old.Stop();
  EXPECT_NE(said.find(" 0 server accepts that finished"), std::string::npos) << said;
}

TEST_F(HttpClientTest, TheDownloadClientRaisesItsEventsOnTheGuiThreadAndDisconnectsAtOnce) {
  const std::string body(200000, 'z');
  server.Route("/zip", Reply::With(body).Pieces(20000, 20));
  server.Route("/unsized", Reply::With("no length here").Unsized());
  DownloadClient client;
  client.options = RequestOptions(0, 0);
  const DWORD gui_thread = GetCurrentThreadId();
  std::vector<std::int64_t> totals, counts;
  int ends = 0;
  bool elsewhere = false;
  client.on_begin = [&](std::int64_t total) {
    elsewhere |= GetCurrentThreadId() != gui_thread;
    totals.push_back(total);
  };
  client.on_work = [&](std::int64_t count) {
    elsewhere |= GetCurrentThreadId() != gui_thread;
    counts.push_back(count);
  };
  client.on_end = [&] { ++ends; };

  EXPECT_EQ(client.Get(Url(server, "/zip")), body);
  EXPECT_FALSE(elsewhere);
  EXPECT_EQ(totals, std::vector<std::int64_t>{200000});
  ASSERT_FALSE(counts.empty());
  EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()));
  EXPECT_EQ(counts.back(), 200000);
  EXPECT_EQ(ends, 1);
  EXPECT_FALSE(client.running());

  totals.clear();
  EXPECT_EQ(client.Get(Url(server, "/unsized")), "no length here");
  EXPECT_EQ(totals, std::vector<std::int64_t>{0});

  // Disconnected from its own event against a server that stalls: the Get
  // fails at once, and the client serves the next download.
  server.Route("/stall", Reply::With(std::string(5000, 's')).Pieces(100).Stalled());
  client.on_work = [&](std::int64_t) { client.Disconnect(); };
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(client.Get(Url(server, "/stall")), HttpError);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  client.on_work = nullptr;
  EXPECT_EQ(client.Get(Url(server, "/unsized")), "no length here");

  // A failure reaches the caller as an error.
  EXPECT_THROW(client.Get(Url(server, "/missing")), HttpError);
}

}  // namespace
}  // namespace zandrel::update
