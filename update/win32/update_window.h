#pragma once
// The update window TForm10: local and server version, download, options.

#include "gui/win32/controls.h"
#include "gui/win32/form.h"

namespace zandrel {

class TForm10 : public gui::Form {
  struct Builder {
    explicit Builder(TForm10* form);
  };
  Builder builder_;

 public:
  TForm10();
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
};

extern TForm10* Form10;

}  // namespace zandrel
