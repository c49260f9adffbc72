#pragma once
// Asking the download servers for the latest version, and what the last
// check found. The probe (GetServerVersion) runs on any thread and touches
// no window; the recorded outcome is read and written on the GUI thread.

#include <cstdint>
#include <string>
#include <vector>

#include "update/win32/http_client.h"

namespace zandrel::update {

// The user agent and Accept header the program sends.
extern const wchar_t kUserAgent[];
extern const wchar_t kAccept[];

// The current user's proxy (Internet Settings). True only when a host and a
// port could be taken; callers use it when `enabled` is true as well. A
// ProxyEnable value that is missing or not a number means no proxy.
bool GetSystemProxy(std::wstring& proxy_server, int& proxy_port, bool& enabled);
// The options of one request: proxy from the system, time-outs as given.
HttpOptions RequestOptions(int connect_timeout_ms, int read_timeout_ms);

// Tries the servers in order, once each, and stops at the first that answers
// 200 with a non-blank version file. On false the outputs are untouched.
bool GetServerVersion(const std::vector<std::u16string>& servers, bool portable,
                      std::u16string& server_version, std::u16string& download_url);

// The user's temporary folder, ending in a backslash.
std::wstring GetTempFolder();

// What the last check recorded, for the download.
struct CheckOutcome {
  std::u16string download_url;    // UpdateDownloadUrl
  std::u16string server_version;  // UpdateServerVersion
  std::int32_t compare_result = 0;  // CompareResult: 1 newer, 0 same or failed, -1 older
};

}  // namespace zandrel::update
