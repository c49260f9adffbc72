// The update window against download servers of the test's own on
// 127.0.0.1: which server answers, the proxy setting, what a showing's check
// shows, the download with its cancel and failure, the signed packages it
// takes and the ones it refuses, the installer and the portable script, the
// start-up offer, and closing the program while its workers run.

#include "update/win32/update_window.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "core/text.h"
#include "gui/win32/application.h"
#include "platform/file_info_utils.h"
#include "platform/handles.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/wide.h"
#include "tests/support/pe_builder.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win32/gui_harness.h"
#include "tests/support/win32/http_server.h"
#include "tests/support/win32/program_windows.h"
#include "tests/support/win32/test_release_key.h"
#include "tests/support/zip_builder.h"
#include "update/update_rules.h"
#include "update/win32/version_check.h"

namespace zandrel {
namespace {

using platform::FromWide;
using platform::RegistryKey;
using platform::ToWide;
using testing::LoopbackHttpServer;
using Reply = LoopbackHttpServer::Reply;

const wchar_t kInternetSettings[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// This build's packages: a 64-bit copy asks for its own.
const std::u16string kZip = update::GetZipName();
const std::u16string kSetup = update::GetSetupName();
const std::string kZipPath = "/download/Zandrel/" + ToUtf8(kZip);
const std::string kSetupPath = "/download/Zandrel/" + ToUtf8(kSetup);

std::u16string ServerUrl(const LoopbackHttpServer& server) {
  return u"http://" + FromUtf8(server.host()) + u"/download/";
}

std::string Text(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// The release key of these tests, and a key of somebody else.
const testing::TestReleaseKey& Key() {
  static const testing::TestReleaseKey key;
  return key;
}
const testing::TestReleaseKey& OtherKey() {
  static const testing::TestReleaseKey key;
  return key;
}

// A package and its signature file side by side; by default the release
// key's signature of the package.
void Serve(LoopbackHttpServer& server, const std::string& path, const std::string& package,
           std::optional<std::string> signature = std::nullopt) {
  server.Route(path, Reply::With(package));
  server.Route(path + ".sig", Reply::With(signature ? *signature : Key().Sign(package)));
}

// What the servers hold: an installer (a Windows executable) and an archive
// with the program at its path.
const std::string& Installer() {
  static const std::string bytes = Text(testing::PeBuilder().Build());
  return bytes;
}
const std::string& Archive() {
  static const std::string bytes = Text(testing::MakeZip(
      {{"Zandrel.exe", Installer()}, {"Language/", ""}, {"Language/English.ini", "[Zandrel]"}}));
  return bytes;
}

const wchar_t kNotVerified[] = L"Файл обновления не прошёл проверку подписи!";
const wchar_t kNotDownloaded[] = L"Файлы обновления не загружены!";

std::optional<std::string> ReadFile(const std::wstring& path) {
  const auto bytes = ReadFileBytes(FromWide(path));
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

// The window a timer acts on while a download or a modal showing runs.
TForm10* g_window = nullptr;

// Clicks "Отмена" once a download is running.
void CALLBACK ClickCancel(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  if (g_window && g_window->download_tag() == 1) g_window->ButtonDownloadClick();
}

// Closes the shown window once its download is done.
void CALLBACK CloseWhenDownloaded(HWND, UINT, UINT_PTR, DWORD) {
  if (g_window && IsWindowVisible(g_window->hwnd()) && g_window->download_tag() == 0 &&
      g_window->LabelUpDate.caption() == L"Файлы обновления загружены!")
    g_window->Close();
}

// Keeps the user's proxy setting and puts it back.
class ProxySettingGuard {
 public:
  ProxySettingGuard() {
    if (auto key = RegistryKey::TryOpen(HKEY_CURRENT_USER, kInternetSettings, KEY_READ)) {
      enable_ = key->HasValue(L"ProxyEnable") ? key->ReadDword(L"ProxyEnable") : std::nullopt;
      server_ = key->ReadString(L"ProxyServer");
    }
  }
  ~ProxySettingGuard() {
    auto key = RegistryKey::Create(HKEY_CURRENT_USER, kInternetSettings);
    key.DeleteValue(L"ProxyEnable");
    key.DeleteValue(L"ProxyServer");
    if (enable_) key.WriteDword(L"ProxyEnable", *enable_);
    if (server_) key.WriteString(L"ProxyServer", *server_);
  }
  static void Set(std::optional<std::uint32_t> enable, const std::wstring& server) {
    auto key = RegistryKey::Create(HKEY_CURRENT_USER, kInternetSettings);
    key.DeleteValue(L"ProxyEnable");
    if (enable) key.WriteDword(L"ProxyEnable", *enable);
    key.WriteString(L"ProxyServer", server);
  }

 private:
  std::optional<std::uint32_t> enable_;
  std::optional<std::wstring> server_;
};

class UpdateTest : public ::testing::Test {
 protected:
  UpdateTest() {
    testing::RemoveTestSettings();
    ProxySettingGuard::Set(0, L"");
  }
  // The program's windows with the two test servers and the platform's
  // services recorded.
  app::ProgramOptions Options() {
    app::ProgramOptions options = testing::ProgramWindows::TestOptions();
    options.update.servers = {ServerUrl(primary), ServerUrl(mirror)};
    options.update.open = [this](const std::wstring& file, const std::wstring& parameters, int show) {
      opened.push_back({file, parameters, show});
    };
    options.update.end_process = [this] { ++ended; };
    options.update.quit = [this] { ++quit; };
    options.update.release_public_key = Key().public_hex();
    return options;
  }
  TForm10& Window(app::ProgramOptions options) {
    windows.emplace(std::move(options));
    TForm10& form = windows->form10();
    // A copy of the test program stands in for the program: its version is
    // the local one, its folder takes a portable package.
    form.exe_path = ToWide(dir.path()) + L"\\Zandrel.exe";
    CopyFileW(platform::ExecutablePath().c_str(), form.exe_path.c_str(), FALSE);
    return form;
  }
  void RunCheck(TForm10& form) {
    form.FormShow();
    ASSERT_TRUE(testing::PumpUntil([&] { return form.running_checks() == 0; }, 20000));
  }
  static std::wstring Local() {
    return platform::GetFileVersion(platform::ExecutablePath());
  }

  struct Opened {
    std::wstring file, parameters;
    int show;
  };
  ProxySettingGuard proxy_guard;
  testing::TempFolder dir;
  LoopbackHttpServer primary, mirror;
  std::vector<Opened> opened;
  int ended = 0, quit = 0;
  std::optional<testing::ProgramWindows> windows;
};

TEST_F(UpdateTest, TheFirstServerWithAVersionAnswersAndNamesThePackageOfThisCopy) {
  const std::u16string closed =
      u"http://127.0.0.1:" + FromUtf8(std::to_string(testing::ClosedLoopbackPort())) + u"/download/";
  const std::vector<std::u16string> servers = {ServerUrl(primary), ServerUrl(mirror)};
  mirror.Route("/download/Zandrel/version.txt", Reply::With("1.2.3.4\r\n"));
  std::u16string version = u"unchanged", url = u"unchanged";

  // The primary down: the mirror's version, and the package on the mirror.
  ASSERT_TRUE(update::GetServerVersion({closed, ServerUrl(mirror)}, true, version, url));
  EXPECT_EQ(version, u"1.2.3.4");
  EXPECT_EQ(url, ServerUrl(mirror) + u"Zandrel/" + kZip);
  ASSERT_TRUE(update::GetServerVersion({closed, ServerUrl(mirror)}, false, version, url));
  EXPECT_EQ(url, ServerUrl(mirror) + u"Zandrel/" + kSetup);

  // A 404, a 204 and a blank file each send the check on to the mirror.
  for (const LoopbackHttpServer::Reply& reply :
       {LoopbackHttpServer::Reply::Status(404), LoopbackHttpServer::Reply::Status(204),
        LoopbackHttpServer::Reply::With(" \r\n\t \r\n")}) {
    primary.Route("/download/Zandrel/version.txt", reply);
    ASSERT_TRUE(update::GetServerVersion(servers, true, version, url)) << reply.status;
    EXPECT_EQ(url, ServerUrl(mirror) + u"Zandrel/" + kZip);
  }
  // Both answering: the primary alone is asked.
  primary.Route("/download/Zandrel/version.txt", Reply::With("2.0"));
  const int mirror_hits = mirror.hits("/download/Zandrel/version.txt");
  ASSERT_TRUE(update::GetServerVersion(servers, true, version, url));
  EXPECT_EQ(version, u"2.0");
  EXPECT_EQ(mirror.hits("/download/Zandrel/version.txt"), mirror_hits);

  // Neither: false, and the outputs stay as they were.
  version = u"kept";
  url = u"kept";
  EXPECT_FALSE(update::GetServerVersion({closed, closed}, true, version, url));
  EXPECT_EQ(version, u"kept");
  EXPECT_EQ(url, u"kept");
}

TEST_F(UpdateTest, TheUsersProxyIsReadAndUsedAndAnUnreadableSettingMeansNone) {
  std::wstring host;
  int port = -1;
  bool enabled = false;
  ProxySettingGuard::Set(1, L"proxy.example:3128");
  EXPECT_TRUE(update::GetSystemProxy(host, port, enabled));
  EXPECT_EQ(host, L"proxy.example");
  EXPECT_EQ(port, 3128);
  EXPECT_TRUE(enabled);
  ProxySettingGuard::Set(1, L"proxy.example:abc");
  EXPECT_TRUE(update::GetSystemProxy(host, port, enabled));
  EXPECT_EQ(port, 8080);
  ProxySettingGuard::Set(1, L"proxy.example");
  EXPECT_FALSE(update::GetSystemProxy(host, port, enabled));
  EXPECT_TRUE(enabled);  // switched on, but no port: a direct connection
  ProxySettingGuard::Set(0, L"proxy.example:3128");
  EXPECT_FALSE(update::GetSystemProxy(host, port, enabled));
  EXPECT_FALSE(enabled);
  ProxySettingGuard::Set(std::nullopt, L"proxy.example:3128");
  EXPECT_FALSE(update::GetSystemProxy(host, port, enabled));
  EXPECT_FALSE(enabled);

  // ProxyEnable that is not a number: no proxy, and the mirror is still
  // asked after the primary fails.
  ProxySettingGuard::Set(std::nullopt, L"proxy.example:3128");
  RegistryKey::Create(HKEY_CURRENT_USER, kInternetSettings).WriteString(L"ProxyEnable", L"yes");
  EXPECT_FALSE(update::GetSystemProxy(host, port, enabled));
  mirror.Route("/download/Zandrel/version.txt", Reply::With("3.0"));
  std::u16string version, url;
  EXPECT_TRUE(update::GetServerVersion({ServerUrl(primary), ServerUrl(mirror)}, true, version, url));
  EXPECT_EQ(version, u"3.0");

  // An enabled proxy carries the request: it sees the whole URL.
  LoopbackHttpServer proxy;
  // (Some clients name the default port in the request line.)
  proxy.Route("http://zandrel.invalid/download/Zandrel/version.txt", Reply::With("4.0"));
  proxy.Route("http://zandrel.invalid:80/download/Zandrel/version.txt", Reply::With("4.0"));
  ProxySettingGuard::Set(1, ToWide(FromUtf8(proxy.host())));
  EXPECT_TRUE(update::GetServerVersion({u"http://zandrel.invalid/download/"}, true, version, url));
  EXPECT_EQ(version, u"4.0");
}

TEST_F(UpdateTest, AShowingChecksAndTheForcedBoxMovesTheDownloadButton) {
  TForm10& form = Window(Options());
  primary.Route("/download/Zandrel/version.txt", Reply::With("999.0\n"));
  RunCheck(form);
  EXPECT_EQ(form.LabelUpDate.caption(), L"Доступно обновление " + Local() + L" ---> 999.0");
  EXPECT_EQ(form.LabelServerVersion.caption(), L"999.0");
  EXPECT_EQ(form.LabelLocalVersion.caption(), Local());
  EXPECT_EQ(form.outcome.compare_result, 1);
  EXPECT_EQ(form.outcome.download_url, ServerUrl(primary) + u"Zandrel/" + kZip);
  EXPECT_TRUE(form.ButtonDownload.enabled());
  EXPECT_TRUE(form.GroupBoxOption.enabled());
  form.CheckBoxForceUpdate.SetChecked(true);
  form.CheckBoxForceUpdate.SetChecked(false);
  EXPECT_FALSE(form.ButtonDownload.enabled());

  primary.Route("/download/Zandrel/version.txt", Reply::With(ToUtf8(FromWide(Local()))));
  RunCheck(form);
  EXPECT_EQ(form.LabelUpDate.caption(), L"Нет обновления");
  EXPECT_FALSE(form.ButtonDownload.enabled());

  // Both servers gone: a failed check, the options usable again, and the
  // forced box still enables the download.
  primary.Route("/download/Zandrel/version.txt", Reply::Status(500));
  RunCheck(form);
  EXPECT_EQ(form.LabelUpDate.caption(), L"Не удалось проверить обновления");
  EXPECT_EQ(form.LabelServerVersion.caption(), L"Ошибка соединения");
  EXPECT_TRUE(form.outcome.download_url.empty());
  EXPECT_FALSE(form.ButtonDownload.enabled());
  EXPECT_TRUE(form.GroupBoxOption.enabled());
  form.CheckBoxForceUpdate.SetChecked(true);
  EXPECT_TRUE(form.ButtonDownload.enabled());
  // The next showing unticks it.
  form.FormShow();
  EXPECT_FALSE(form.CheckBoxForceUpdate.checked());
  ASSERT_TRUE(testing::PumpUntil([&] { return form.running_checks() == 0; }, 20000));
}

TEST_F(UpdateTest, ClosingTheProgramWhileChecksRunIsClean) {
  // A slow server: the checks are still waiting when the windows go.
  primary.Route("/download/Zandrel/version.txt", Reply::With("999.0").Pieces(1, 300));
  TForm10& form = Window(Options());
  form.FormShow();
  form.FormShow();
  testing::PumpMessages(100);
  windows.reset();
  // Their late steps find no window and do nothing.
  testing::PumpMessages(2500);
  EXPECT_GE(primary.hits("/download/Zandrel/version.txt"), 2);
}

TEST_F(UpdateTest, APortableDownloadLandsBesideTheProgramAndFailuresAndCancelsLeaveNothing) {
  TForm10& form = Window(Options());
  form.portable = true;
  form.CheckBoxQuickUpdate.SetChecked(false);
  std::string content(150000, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i % 251);
  const std::string package = Text(testing::MakeZip({{"Zandrel.exe", content}}));
  Serve(primary, "/download/Zandrel/Zandrel%20Test.zip", package);
  primary.Route("/download/Zandrel/Zandrel%20Test.zip", Reply::With(package).Pieces(15000, 10));
  form.outcome.download_url = ServerUrl(primary) + u"Zandrel/Zandrel Test.zip";
  form.ButtonDownloadClick();
  EXPECT_EQ(ReadFile(ToWide(dir.path()) + L"\\Zandrel Test.zip"), package);
  EXPECT_EQ(form.LabelUpDate.caption(), L"Файлы обновления загружены!");
  EXPECT_EQ(form.download_tag(), 0);
  EXPECT_EQ(form.ButtonDownload.GetText(gui::kCaption), L"Скачать");
  EXPECT_TRUE(form.ButtonClose.enabled());
  EXPECT_FALSE(form.ProgressBarUpdate.visible());
  EXPECT_EQ(form.ProgressBarUpdate.position(), 100);
  EXPECT_EQ(form.ProgressStep,
            update::RoundHalfEven(static_cast<std::int64_t>(package.size()), 100));
  EXPECT_TRUE(opened.empty());

  // A missing package: back to idle, saying nothing was downloaded.
  form.outcome.download_url = ServerUrl(primary) + u"Zandrel/" + kZip;
  form.ButtonDownloadClick();
  EXPECT_EQ(form.LabelUpDate.caption(), L"Файлы обновления не загружены!");
  EXPECT_EQ(form.download_tag(), 0);
  EXPECT_TRUE(form.ButtonClose.enabled());
  EXPECT_TRUE(form.GroupBoxOption.enabled());
  EXPECT_FALSE(ReadFile(ToWide(dir.path()) + L"\\" + ToWide(kZip)));

  // Cancelled halfway through a transfer that stalls.
  Serve(primary, kZipPath, package);
  primary.Route(kZipPath, Reply::With(package).Pieces(5000).Stalled());
  g_window = &form;
  const UINT_PTR timer = SetTimer(nullptr, 0, 400, &ClickCancel);
  form.ButtonDownloadClick();
  KillTimer(nullptr, timer);
  g_window = nullptr;
  EXPECT_TRUE(form.AbortUpdate);
  EXPECT_EQ(form.LabelUpDate.caption(), L"Файлы обновления не загружены!");
  EXPECT_EQ(form.ButtonDownload.GetText(gui::kCaption), L"Скачать");
  EXPECT_FALSE(form.ProgressBarUpdate.visible());
  EXPECT_EQ(form.ProgressBarUpdate.position(), 0);
  EXPECT_FALSE(ReadFile(ToWide(dir.path()) + L"\\" + ToWide(kZip)));
}

TEST_F(UpdateTest, TheInstallerStartsQuietOrPlainAndThePortableScriptReplacesTheProgram) {
  TForm10& form = Window(Options());
  Serve(primary, kSetupPath, Installer());
  Serve(primary, kZipPath, Archive());
  const std::wstring installer = update::GetTempFolder() + ToWide(kSetup);

  form.portable = false;
  form.outcome.download_url = ServerUrl(primary) + u"Zandrel/" + kSetup;
  form.CheckBoxQuickUpdate.SetChecked(true);
  form.ButtonDownloadClick();
  EXPECT_EQ(ReadFile(installer), Installer());
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].file, installer);
  EXPECT_EQ(opened[0].parameters,
            L"/SILENT /CLOSEAPPLICATIONS /SUPPRESSMSGBOXES /LANG= /MERGETASKS=\"runcmd1\"");
  EXPECT_EQ(opened[0].show, SW_SHOWNORMAL);
  EXPECT_EQ(quit, 1);

  form.CheckBoxQuickUpdate.SetChecked(false);
  form.ButtonDownloadClick();
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[1].parameters, L"");
  EXPECT_EQ(quit, 1);
  EXPECT_EQ(form.LabelUpDate.caption(), L"Файлы обновления загружены!");
  DeleteFileW(installer.c_str());

  // Portable and quick: the archive beside the program, the script in the
  // temporary folder, started hidden, and the process ends.
  form.portable = true;
  form.CheckBoxQuickUpdate.SetChecked(true);
  form.outcome.download_url = ServerUrl(primary) + u"Zandrel/" + kZip;
  form.ButtonDownloadClick();
  EXPECT_EQ(ReadFile(ToWide(dir.path()) + L"\\" + ToWide(kZip)), Archive());
  ASSERT_EQ(opened.size(), 3u);
  EXPECT_EQ(opened[2].show, SW_HIDE);
  EXPECT_EQ(opened[2].parameters, L"");
  EXPECT_EQ(ended, 1);
  const std::wstring script = opened[2].file;
  EXPECT_EQ(script.rfind(update::GetTempFolder() + L"update_", 0), 0u) << script;
  const std::optional<std::string> text = ReadFile(script);
  ASSERT_TRUE(text);
  const std::u16string expected =
      update::UpdateScriptText(FromWide(ToWide(dir.path()) + L"\\"), u"Zandrel.exe", kZip);
  EXPECT_EQ(FromUtf8(*text), expected);  // the folder is ASCII here
  EXPECT_EQ(std::count(text->begin(), text->end(), '\n'), 19);
  DeleteFileW(script.c_str());
}

TEST_F(UpdateTest, TheStartUpCheckOffersANewerVersionAndYesDownloadsItInTheWindow) {
  app::ProgramOptions options = Options();
  std::vector<std::wstring> asked;
  bool answer = false;
  options.update.ask_to_update = [&](const std::wstring& text) {
    asked.push_back(text);
    return answer;
  };
  primary.Route("/download/Zandrel/version.txt", Reply::With("999.0"));
  Serve(primary, kZipPath, Archive());
  {
    // No: nothing else happens.
    TForm10& form = Window(options);
    ASSERT_TRUE(testing::PumpUntil([&] { return !asked.empty(); }, 20000));
    EXPECT_EQ(asked[0], L"Доступно обновление 999.0\r\nХотите обновить приложение сейчас?");
    EXPECT_TRUE(form.UpdateAvailable);
    EXPECT_FALSE(form.StartDownloadOnShow);
    EXPECT_FALSE(IsWindowVisible(form.hwnd()));
    windows.reset();
  }
  // Yes: the window opens, and the download starts without a click (the
  // quick box is ticked: the script runs and the process would end).
  answer = true;
  asked.clear();
  TForm10& form = Window(options);
  form.portable = true;
  g_window = &form;
  const UINT_PTR timer = SetTimer(nullptr, 0, 200, &CloseWhenDownloaded);
  ASSERT_TRUE(testing::PumpUntil([&] { return ended == 1; }, 30000));
  testing::PumpUntil([&] { return !IsWindowVisible(form.hwnd()); }, 10000);
  KillTimer(nullptr, timer);
  g_window = nullptr;
  EXPECT_EQ(asked.size(), 1u);
  EXPECT_EQ(form.outcome.server_version, u"999.0");
  EXPECT_EQ(ReadFile(ToWide(dir.path()) + L"\\" + ToWide(kZip)), Archive());
  ASSERT_FALSE(opened.empty());
  DeleteFileW(opened.back().file.c_str());
}

TEST_F(UpdateTest, APackageThatFailsItsChecksIsNeitherWrittenNorStarted) {
  const std::wstring beside = ToWide(dir.path()) + L"\\" + ToWide(kZip);
  const std::wstring installer = update::GetTempFolder() + ToWide(kSetup);
  DeleteFileW(installer.c_str());
  const auto refused = [&](TForm10& form, const char* what, bool portable,
                           const std::wstring& status = kNotVerified) {
    form.portable = portable;
    form.CheckBoxQuickUpdate.SetChecked(true);
    form.outcome.download_url = ServerUrl(primary) + u"Zandrel/" + (portable ? kZip : kSetup);
    form.ButtonDownloadClick();
    EXPECT_EQ(form.LabelUpDate.caption(), status) << what;
    EXPECT_EQ(form.download_tag(), 0) << what;
    EXPECT_TRUE(form.ButtonClose.enabled()) << what;
    EXPECT_FALSE(form.ProgressBarUpdate.visible()) << what;
    EXPECT_FALSE(ReadFile(portable ? beside : installer)) << what;
    EXPECT_TRUE(opened.empty()) << what;
    EXPECT_EQ(ended + quit, 0) << what;
  };
  TForm10& form = Window(Options());
  std::string flipped = Archive();
  flipped[flipped.size() / 2] ^= 0x01;
  Serve(primary, kZipPath, flipped, Key().Sign(Archive()));
  refused(form, "one byte of the archive flipped", true);
  std::string signature = Key().Sign(Archive());
  signature[17] ^= 0x01;
  Serve(primary, kZipPath, Archive(), signature);
  refused(form, "one byte of the signature flipped", true);
  Serve(primary, kZipPath, Archive(), OtherKey().Sign(Archive()));
  refused(form, "signed by another key", true);
  Serve(primary, kSetupPath, Installer(), OtherKey().Sign(Installer()));
  refused(form, "an installer signed by another key", false);
  Serve(primary, kZipPath, Archive());
  primary.Route(kZipPath + ".sig", Reply::Status(404));
  refused(form, "no signature file", true);
  Serve(primary, kZipPath, Archive());
  primary.Route(kZipPath, Reply::With(Archive().substr(0, 100)).Announcing(Archive().size()));
  refused(form, "a body cut short", true, kNotDownloaded);
  // Signed, yet not of the kind the copy installs from.
  const std::string page = "<!DOCTYPE html><html><body>Please log in to the hotspot</body></html>";
  Serve(primary, kSetupPath, page);
  refused(form, "an HTML page as the installer", false);
  Serve(primary, kZipPath, page);
  refused(form, "an HTML page as the archive", true);
  for (const char* evil : {"..\\evil.txt", "C:\\evil.txt"}) {
    Serve(primary, kZipPath,
          Text(testing::MakeZip({{"Zandrel.exe", Installer()}, {evil, "evil"}})));
    refused(form, evil, true);
  }
  EXPECT_FALSE(ReadFile(ToWide(dir.path()) + L"\\..\\evil.txt"));
  EXPECT_FALSE(ReadFile(L"C:\\evil.txt"));

  // A build without a public key fetches nothing at all.
  app::ProgramOptions keyless = Options();
  keyless.update.release_public_key = u"";
  Serve(primary, kZipPath, Archive());
  const int requests = primary.hits(kZipPath) + primary.hits(kZipPath + ".sig");
  refused(Window(keyless), "a build without a public key", true);
  EXPECT_EQ(primary.hits(kZipPath) + primary.hits(kZipPath + ".sig"), requests);
}

TEST_F(UpdateTest, WithTheStartUpCheckOffNoRequestReachesTheServer) {
  primary.Route("/download/Zandrel/version.txt", Reply::With("1.0"));
  {
    TForm10& form = Window(Options());
    ASSERT_TRUE(form.CheckBoxAutoCheck.checked());
    ASSERT_TRUE(testing::PumpUntil([&] { return primary.requests().size() == 1; }, 20000));
    form.CheckBoxAutoCheck.SetChecked(false);
    form.FormClose();  // stores the setting
    windows.reset();
  }
  TForm10& form = Window(Options());
  EXPECT_FALSE(form.CheckBoxAutoCheck.checked());
  testing::PumpMessages(1500);
  EXPECT_EQ(primary.requests().size(), 1u);
}

// Closes the window on its first showing, at once.
void CALLBACK CloseAtOnce(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  if (g_window) g_window->Close();
}

// Closes the window once no check runs any more.
void CALLBACK CloseWhenChecked(HWND, UINT, UINT_PTR id, DWORD) {
  if (g_window && g_window->running_checks() == 0) {
    KillTimer(nullptr, id);
    g_window->Close();
  }
}

TEST_F(UpdateTest, ReopeningTheWindowWhileACheckRunsShowsTheOutcome) {
  TForm10& form = Window(Options());
  // An answer that takes a second and a half to arrive.
  primary.Route("/download/Zandrel/version.txt", Reply::With("999.0").Pieces(1, 300));
  g_window = &form;
  SetTimer(nullptr, 0, 100, &CloseAtOnce);
  form.ShowModal();
  EXPECT_EQ(form.running_checks(), 1);  // closed while its check runs
  SetTimer(nullptr, 0, 100, &CloseWhenChecked);
  form.ShowModal();
  g_window = nullptr;
  // The start-up check's request, and one for each showing.
  EXPECT_EQ(primary.hits("/download/Zandrel/version.txt"), 3);
  EXPECT_EQ(form.outcome.compare_result, 1);
  EXPECT_EQ(form.outcome.server_version, u"999.0");
  EXPECT_TRUE(form.ButtonDownload.enabled());
  EXPECT_TRUE(form.GroupBoxOption.enabled());
}

// What a closing of the program (update_close_child) took: from the close
// of its main window to the end of its process, and from the end of its
// message loop to the end of its process, in milliseconds; and what it
// said it was running.
struct Closing {
  double close_to_end = 0, loop_to_end = 0;
  std::string said;
};

// Runs the program as a process of its own; with a server, every kind of
// update worker runs against it when the main window is closed.
Closing CloseTheProgram(const std::wstring& log, const std::optional<std::u16string>& server) {
  std::wstring command =
      L"\"" ZANDREL_CLOSE_CHILD L"\" \"" + log + L"\" " + ToWide(Key().public_hex());
  if (server) command += L" " + ToWide(*server) + L" " + ToWide(*server + u"Zandrel/" + kZip);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  Closing closing;
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    ADD_FAILURE() << "cannot start the program";
    return closing;
  }
  const platform::UniqueHandle child(process.hProcess);
  const platform::UniqueHandle thread(process.hThread);
  if (WaitForSingleObject(child.get(), 60000) != WAIT_OBJECT_0) {
    TerminateProcess(child.get(), 1);
    ADD_FAILURE() << "the program did not end";
    return closing;
  }
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  const double ended =
      static_cast<double>((std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime);
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(child.get(), &code);
  EXPECT_EQ(code, 0u);
  closing.said = ReadFile(log).value_or("");
  const auto time_of = [&](const std::string& what) {
    const std::size_t at = closing.said.find(what);
    EXPECT_NE(at, std::string::npos) << closing.said;
    return at == std::string::npos ? ended : std::stod(closing.said.substr(at + what.size()));
  };
  // File times count in 100 ns.
  closing.close_to_end = (ended - time_of("closing at ")) / 10000;
  closing.loop_to_end = (ended - time_of("loop ended at ")) / 10000;
  return closing;
}

// The program closed while every kind of update worker runs against a
// server that never finishes an answer (the start-up check, a showing's
// check, the quick-start hand-over and the download's transfer), and once
// with none running. The log says how long each took to end.
TEST_F(UpdateTest, ClosingTheProgramWhileEveryKindOfWorkerRunsEndsTheProcess) {
  primary.Route("/download/Zandrel/version.txt", Reply::With("999.0").Pieces(1).Stalled());
  primary.Route(kZipPath, Reply::With(Archive()).Pieces(100).Stalled());
  const Closing busy = CloseTheProgram(ToWide(dir.path()) + L"\\busy.log", ServerUrl(primary));
  EXPECT_NE(busy.said.find("checks running: 1, download running: yes"), std::string::npos)
      << busy.said;
  EXPECT_GE(primary.hits("/download/Zandrel/version.txt"), 2);  // start-up check and showing
  EXPECT_EQ(primary.hits(kZipPath), 1);
  const Closing idle = CloseTheProgram(ToWide(dir.path()) + L"\\idle.log", std::nullopt);
  std::printf(
      "[ measured ] closing the program: the process ended %.0f ms after its main window "
      "was closed with every kind of update worker running (%.0f ms after its message "
      "loop ended), %.0f ms with none running (%.0f ms)\n",
      busy.close_to_end, busy.loop_to_end, idle.close_to_end, idle.loop_to_end);
}

// The layout the release target makes for this build (Zandrel.zip, or
// Zandrel-x64.zip beside the same version.txt), served as it lies with the
// signature the release's script makes: a portable copy of this build finds
// the version, and downloads and takes its own archive.
TEST_F(UpdateTest, TheReleaseLayoutServesThisVersionAndAnArchiveTheScriptCanUnpack) {
  const std::wstring release = ToWide(FromUtf8(ZANDREL_RELEASE_DIR)) + L"\\Zandrel\\";
  const std::optional<std::string> version = ReadFile(release + L"version.txt");
  const std::optional<std::string> archive = ReadFile(release + ToWide(kZip));
  ASSERT_TRUE(version && archive);
  primary.Route("/download/Zandrel/version.txt", Reply::With(*version));
  // Signed as the release target signs, on a copy (a release tree may hold
  // the release's own signature).
  const std::wstring copy = ToWide(dir.path()) + L"\\release-" + ToWide(kZip);
  ASSERT_TRUE(CopyFileW((release + ToWide(kZip)).c_str(), copy.c_str(), FALSE));
  Key().SignFile(copy);
  const std::optional<std::string> signature = ReadFile(copy + L".sig");
  ASSERT_TRUE(signature);
  EXPECT_EQ(signature->size(), 64u);
  Serve(primary, kZipPath, *archive, *signature);
  std::u16string server_version, url;
  ASSERT_TRUE(update::GetServerVersion({ServerUrl(primary)}, true, server_version, url));
  EXPECT_EQ(server_version, FromUtf8(ZANDREL_VERSION_TEXT));
  EXPECT_EQ(update::CompareVersions(server_version, FromUtf8(ZANDREL_VERSION_TEXT)), 0);
  EXPECT_EQ(url, ServerUrl(primary) + u"Zandrel/" + kZip);
  TForm10& form = Window(Options());
  form.portable = true;
  form.outcome.download_url = url;
  form.ButtonDownloadClick();
  EXPECT_EQ(primary.hits(kZipPath), 1);
  EXPECT_EQ(ReadFile(ToWide(dir.path()) + L"\\" + ToWide(kZip)), archive);
  ASSERT_EQ(opened.size(), 1u);  // the update script
  DeleteFileW(opened[0].file.c_str());

  // The archive holds the program and its language files at the paths
  // relative to the program folder (a zip names each entry twice: in its
  // local header and in the central directory).
  EXPECT_EQ(archive->substr(0, 2), "PK");
  for (const char* entry : {"Zandrel.exe", "Language/English.ini", "Language/Russian.ini"}) {
    std::size_t count = 0;
    for (std::size_t at = archive->find(entry); at != std::string::npos;
         at = archive->find(entry, at + 1))
      ++count;
    EXPECT_GE(count, 2u) << entry;
  }
}

}  // namespace
}  // namespace zandrel
