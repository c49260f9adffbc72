#pragma once
// The update window TForm10: local and server version, download, options.

#include "gui/win32/controls.h"
#include "gui/win32/form.h"
#include "settings/win32/settings_location.h"

namespace zandrel {

class TForm10 : public gui::Form {
  gui::BuiltForm<TForm10> built_;

 public:
  explicit TForm10(const settings::SettingsLocation& settings);
  ~TForm10() override;

  gui::Label& LabelUpDate;
  gui::Label& LabelLocalVersion;
  gui::Label& LabelServerVersion;
  gui::ProgressBar& ProgressBarUpdate;
  gui::GroupBox& GroupBoxOption;
  gui::CheckBox& CheckBoxQuickUpdate;
  gui::CheckBox& CheckBoxForceUpdate;
  gui::CheckBox& CheckBoxAutoCheck;
  gui::Button& ButtonDownload;
  gui::Button& ButtonClose;

  void FormCreate();
  void FormClose();
  void ButtonCloseClick();
  void LoadNastr();
  void SaveNastr();
  // The quiet version check at start-up.
  void CheckForUpdatesInBackground();

 private:
  const settings::SettingsLocation& settings_;
};

}  // namespace zandrel
