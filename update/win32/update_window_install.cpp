// The update window's installation of a verified package: the installer,
// quiet or not, or for a portable copy the script that unpacks the archive
// over the program folder.
#include <windows.h>

#include <stdexcept>

#include "core/file_io.h"
#include "platform/wide.h"
#include "settings/win32/ansi_codec_win32.h"
#include "update/update_rules.h"
#include "update/win32/update_window.h"
#include "update/win32/update_window_parts.h"

namespace zandrel {

using platform::FromWide;
using platform::ToWide;
using updatewindow::ProcessMessages;

std::wstring TForm10::ProgramFolder() const {
  const std::size_t slash = exe_path.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : exe_path.substr(0, slash + 1);
}

std::wstring TForm10::PackageTarget(const std::u16string& url) const {
  const std::wstring name = ToWide(update::ExtractUrlFileName(url));
  return (portable ? ProgramFolder() : update::GetTempFolder()) + name;
}

void TForm10::InstallPackage(const std::wstring& file) {
  if (!portable) {
    if (CheckBoxQuickUpdate.checked()) {
      const std::wstring language = links_.current_language ? links_.current_language() : L"";
      links_.open(file, ToWide(update::InstallerParameters(FromWide(language))), SW_SHOWNORMAL);
      links_.quit();
    } else {
      links_.open(file, L"", SW_SHOWNORMAL);
    }
    ProcessMessages();
  } else if (CheckBoxQuickUpdate.checked()) {
    SimplePortableUpdate(file, exe_path);
  }
}

void TForm10::SimplePortableUpdate(const std::wstring& zip_in_app_dir,
                                   const std::wstring& current_exe_path) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::wstring script = update::GetTempFolder() +
                              ToWide(update::UpdateScriptName(now.wHour, now.wMinute, now.wSecond));
  const std::size_t slash = current_exe_path.find_last_of(L'\\');
  const std::wstring folder =
      slash == std::wstring::npos ? L"" : current_exe_path.substr(0, slash + 1);
  const std::wstring exe_name =
      current_exe_path.substr(slash == std::wstring::npos ? 0 : slash + 1);
  const std::size_t zip_slash = zip_in_app_dir.find_last_of(L'\\');
  const std::wstring zip_name =
      zip_in_app_dir.substr(zip_slash == std::wstring::npos ? 0 : zip_slash + 1);
  const std::u16string text =
      update::UpdateScriptText(FromWide(folder), FromWide(exe_name), FromWide(zip_name));
  // A name the code page cannot hold would run the script on another folder.
  const std::optional<Bytes> bytes = settings::SystemAnsiCodec().Encode(text);
  if (!bytes) throw std::runtime_error("the update script cannot be written in the ANSI code page");
  WriteFileAtomically(FromWide(script), ByteView(bytes->data(), bytes->size()));
  if (GetFileAttributesW(script.c_str()) == INVALID_FILE_ATTRIBUTES) {
    MessageBoxW(nullptr, L"Failed to create update script!", L"", MB_OK);
    return;
  }
  links_.open(script, L"", SW_HIDE);
  links_.end_process();
}

}  // namespace zandrel
