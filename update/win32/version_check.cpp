#include "update/win32/version_check.h"

#include <windows.h>

#include <new>

#include "core/text.h"
#include "platform/registry.h"
#include "platform/wide.h"
#include "update/update_rules.h"

namespace zandrel::update {

using platform::FromWide;
using platform::ToWide;

const wchar_t kUserAgent[] = L"Mozilla/5.0 (Windows NT 6.1; WOW64;rv:12.0) Gecko/20100101 Firefox/12.0";
const wchar_t kAccept[] = L"text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";

namespace {

const wchar_t kInternetSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr int kConnectTimeoutMs = 3000;
constexpr int kReadTimeoutMs = 5000;

}  // namespace

bool GetSystemProxy(std::wstring& proxy_server, int& proxy_port, bool& enabled) {
  proxy_server.clear();
  proxy_port = 0;
  enabled = false;
  const auto key = platform::RegistryKey::TryOpen(HKEY_CURRENT_USER, kInternetSettings, KEY_READ);
  if (!key) return false;
  // A missing or non-numeric ProxyEnable is "no proxy", not a failure of the
  // whole check.
  const std::optional<std::uint32_t> enable =
      key->HasValue(L"ProxyEnable") ? key->ReadDword(L"ProxyEnable") : std::nullopt;
  enabled = enable && *enable == 1;
  if (!enabled) return false;
  const std::optional<std::wstring> server = key->ReadString(L"ProxyServer");
  const std::optional<ProxySetting> proxy = ParseProxyServer(FromWide(server.value_or(L"")));
  if (!proxy) return false;
  proxy_server = ToWide(proxy->host);
  proxy_port = proxy->port;
  return true;
}

HttpOptions RequestOptions(int connect_timeout_ms, int read_timeout_ms) {
  HttpOptions options;
  options.user_agent = kUserAgent;
  options.accept = kAccept;
  options.connect_timeout_ms = connect_timeout_ms;
  options.read_timeout_ms = read_timeout_ms;
  std::wstring host;
  int port = 0;
  bool enabled = false;
  if (GetSystemProxy(host, port, enabled) && enabled)
    options.proxy = host + L":" + std::to_wstring(port);
  return options;
}

bool GetServerVersion(const std::vector<std::u16string>& servers, bool portable,
                      std::u16string& server_version, std::u16string& download_url) {
  for (const std::u16string& server : servers) {
    const std::u16string base = ProductBase(server);
    try {
      const HttpResponse response =
          HttpGet(ToWide(base + u"version.txt"), RequestOptions(kConnectTimeoutMs, kReadTimeoutMs));
      if (response.status != 200) continue;
      // The file is plain text; its bytes are read as UTF-8 (versions are ASCII).
      const std::u16string version = TrimVersionText(FromUtf8(response.body));
      if (version.empty()) continue;
      server_version = version;
      download_url = PackageUrl(base, portable);
      return true;
    } catch (const std::bad_alloc&) {
      throw;
    } catch (const HttpError&) {
      // This server failed; the next one is asked.
    }
  }
  return false;
}

std::wstring GetTempFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathW(MAX_PATH, buffer);
  std::wstring folder(buffer, n <= MAX_PATH ? n : 0);
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  return folder;
}

}  // namespace zandrel::update
