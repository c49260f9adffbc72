#include "settings/win32/settings_location.h"

#include "core/file_io.h"
#include "core/paths.h"
#include "platform/file_info_utils.h"
#include "platform/process.h"
#include "platform/wide.h"
#include "settings/settings_rules.h"
#include "settings/win32/ansi_codec_win32.h"
#include "settings/win32/shell_folders.h"

namespace zandrel::settings {

using platform::FromWide;
using platform::ToWide;

SettingsLocation::SettingsLocation(std::wstring exe_path, std::wstring company,
                                   std::wstring title)
    : exe_path_(std::move(exe_path)), company_(std::move(company)), title_(std::move(title)) {
  portable_ = FileExists(PortableMarkerPath(FromWide(exe_path_)));
}

SettingsLocation SettingsLocation::ForThisProgram(const std::wstring& title) {
  const std::wstring exe = platform::ExecutablePath();
  return SettingsLocation(exe, platform::GetCompanyName(exe), title);
}

std::wstring SettingsLocation::PortablePath() const {
  const std::u16string path =
      portable_ ? PortableSettingsPath(FromWide(exe_path_))
                : InstalledSettingsPath(FromWide(RoamingAppDataFolder()), FromWide(company_),
                                        FromWide(title_));
  ForceDirectories(ExtractFilePath(path));  // a failure shows when saving
  return ToWide(path);
}

IniDocument ReadSettingsForLoading(const std::wstring& path) {
  try {
    return LoadIniFile(FromWide(path), SystemAnsiCodec());
  } catch (const FileError&) {
    return IniDocument(SystemAnsiCodec());
  }
}

}  // namespace zandrel::settings
