#pragma once
// Where this copy of the program keeps its settings: beside the executable
// when a portable marker lies there, in the user's roaming profile
// otherwise. One service for every window that reads or writes settings.

#include <string>

#include "settings/ini_document.h"

namespace zandrel::settings {

class SettingsLocation {
 public:
  // exe_path: the program file; company: its version information's company
  // name; title: the application title.
  SettingsLocation(std::wstring exe_path, std::wstring company, std::wstring title);
  // The running program's location (its file, version information and the
  // portable marker beside it).
  static SettingsLocation ForThisProgram(const std::wstring& title);

  // True for a portable copy; decided when the service is made.
  bool portable() const { return portable_; }
  // The settings file's path. Creates its folder (with any missing parents)
  // on every call; a failure there is left for the save to report.
  std::wstring PortablePath() const;

 private:
  std::wstring exe_path_;
  std::wstring company_;
  std::wstring title_;
  bool portable_ = false;
};

// The settings file for reading: its document, or the defaults when it does
// not exist or cannot be read (held open by another program, say). Saving
// reads the file again and reports such a failure instead of overwriting
// what it could not see.
IniDocument ReadSettingsForLoading(const std::wstring& path);

}  // namespace zandrel::settings
