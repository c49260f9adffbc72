#include "mainwindow/win32/shortcut_resolver.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "core/file_io.h"
#include "mainwindow/shortcut_scan.h"
#include "platform/com.h"
#include "platform/errors.h"
#include "platform/handles.h"
#include "platform/wide.h"

namespace zandrel::mainwindow {

using platform::ComPtr;
using platform::FromWide;
using platform::ToWide;

namespace {

bool IsExistingFile(const std::wstring& path) {
  return !path.empty() && FileExists(FromWide(path));
}

std::wstring AskShellLink(const std::wstring& shortcut_path) {
  ComPtr<IShellLinkW> link;
  const HRESULT created = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkW, link.PutVoid());
  if (FAILED(created))
    throw platform::Win32Error(L"The shell-link object cannot be created: " +
                                   platform::SystemErrorText(static_cast<DWORD>(created)),
                               static_cast<DWORD>(created));
  ComPtr<IPersistFile> file = link.As<IPersistFile>(IID_IPersistFile);
  if (!file)
    throw platform::Win32Error(L"The shell-link object offers no file interface", E_NOINTERFACE);

  wchar_t name[MAX_PATH + 1] = {};
  lstrcpynW(name, shortcut_path.c_str(), MAX_PATH + 1);  // a longer path is cut
  if (FAILED(file->Load(name, STGM_READ))) return {};

  wchar_t buffer[MAX_PATH + 1] = {};
  WIN32_FIND_DATAW find{};
  std::wstring result;
  if (SUCCEEDED(link->GetPath(buffer, MAX_PATH, &find, SLGP_RAWPATH))) {
    result = buffer;
    if (!IsExistingFile(result)) {
      // The stored path may hold environment variables: ask for the expanded one.
      std::fill(std::begin(buffer), std::end(buffer), L'\0');
      if (SUCCEEDED(link->GetPath(buffer, MAX_PATH, &find, 0))) result = buffer;
    }
  } else if (SUCCEEDED(link->GetPath(buffer, MAX_PATH, &find, 0))) {
    result = buffer;
  }
  return result;
}

}  // namespace

std::wstring ResolveShortcut(const std::wstring& shortcut_path) {
  if (!IsExistingFile(shortcut_path)) return {};
  std::wstring result;
  {
    platform::Wow64RedirectionOff redirection;
    result = AskShellLink(shortcut_path);
  }
  if (!IsExistingFile(result)) result = ToWide(ScanShortcutBytes(FromWide(shortcut_path)));
  return result;
}

}  // namespace zandrel::mainwindow
