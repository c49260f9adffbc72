#include "update/win32/update_window.h"

#include "gui/win32/application.h"
#include "mainwindow/win32/main_window.h"
#include "platform/wide.h"
#include "settings/ini_document.h"
#include "settings/settings_rules.h"
#include "settings/win32/ansi_codec_win32.h"

namespace zandrel {

using platform::FromWide;

TForm10* Form10 = nullptr;

TForm10::Builder::Builder(TForm10* f) {
  f->BindMethods(
      f, {{L"FormClose", &TForm10::FormClose}, {L"ButtonCloseClick", &TForm10::ButtonCloseClick}});
  f->Build();
}

TForm10::TForm10()
    : gui::Form(LoadDefinition(L"FORM10")),
      builder_(this),
      LabelUpDate(Get<gui::Label>(L"LabelUpDate")),
      LabelLocalVersion(Get<gui::Label>(L"LabelLocalVersion")),
      LabelServerVersion(Get<gui::Label>(L"LabelServerVersion")),
      ProgressBarUpdate(Get<gui::ProgressBar>(L"ProgressBarUpdate")),
      GroupBoxOption(Get<gui::GroupBox>(L"GroupBoxOption")),
      CheckBoxQuickUpdate(Get<gui::CheckBox>(L"CheckBoxQuickUpdate")),
      CheckBoxForceUpdate(Get<gui::CheckBox>(L"CheckBoxForceUpdate")),
      CheckBoxAutoCheck(Get<gui::CheckBox>(L"CheckBoxAutoCheck")),
      ButtonDownload(Get<gui::Button>(L"ButtonDownload")),
      ButtonClose(Get<gui::Button>(L"ButtonClose")) {
  Form10 = this;
  FormCreate();
}

TForm10::~TForm10() {
  if (Form10 == this) Form10 = nullptr;
}

void TForm10::FormCreate() {
  LoadNastr();
}

void TForm10::LoadNastr() {
  const settings::IniDocument ini = ReadSettingsForLoading(Form1->PortablePath());
  CheckBoxAutoCheck.SetChecked(
      ini.ReadBool(settings::kOptionSection, FromWide(CheckBoxAutoCheck.name()), true));
  if (CheckBoxAutoCheck.checked()) {
    CheckForUpdatesInBackground();
    gui::Application::Instance().ProcessMessages();
  }
}

void TForm10::SaveNastr() {
  const std::u16string path = FromWide(Form1->PortablePath());
  settings::IniDocument ini = settings::LoadIniFile(path, settings::SystemAnsiCodec());
  ini.WriteBool(settings::kOptionSection, FromWide(CheckBoxAutoCheck.name()),
                CheckBoxAutoCheck.checked());
  settings::SaveIniFile(path, ini);
}

// The version check and its worker threads come with the update feature; the
// start-up path already calls this in its place.
void TForm10::CheckForUpdatesInBackground() {}

void TForm10::FormClose() {
  LabelUpDate.SetCaption(L"");
  LabelLocalVersion.SetCaption(L"");
  LabelServerVersion.SetCaption(L"");
  SaveNastr();
}

void TForm10::ButtonCloseClick() {
  try {
    Close();
  } catch (...) {
    // A failure while closing is of no consequence here.
  }
}

}  // namespace zandrel
