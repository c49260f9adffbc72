#include "update/win32/update_window.h"

#include <new>

#include "gui/win32/application.h"
#include "platform/wide.h"
#include "settings/ini_document.h"
#include "settings/settings_rules.h"
#include "settings/win32/ansi_codec_win32.h"

namespace zandrel {

using platform::FromWide;

namespace {

const std::pair<const wchar_t*, void (TForm10::*)()> kHandlers[] = {
    {L"FormClose", &TForm10::FormClose},
    {L"ButtonCloseClick", &TForm10::ButtonCloseClick},
};

}  // namespace

TForm10::TForm10(const settings::SettingsLocation& settings)
    : gui::Form(L"FORM10"),
      built_(this, kHandlers),
      LabelUpDate(Get<gui::Label>(L"LabelUpDate")),
      LabelLocalVersion(Get<gui::Label>(L"LabelLocalVersion")),
      LabelServerVersion(Get<gui::Label>(L"LabelServerVersion")),
      ProgressBarUpdate(Get<gui::ProgressBar>(L"ProgressBarUpdate")),
      GroupBoxOption(Get<gui::GroupBox>(L"GroupBoxOption")),
      CheckBoxQuickUpdate(Get<gui::CheckBox>(L"CheckBoxQuickUpdate")),
      CheckBoxForceUpdate(Get<gui::CheckBox>(L"CheckBoxForceUpdate")),
      CheckBoxAutoCheck(Get<gui::CheckBox>(L"CheckBoxAutoCheck")),
      ButtonDownload(Get<gui::Button>(L"ButtonDownload")),
      ButtonClose(Get<gui::Button>(L"ButtonClose")),
      settings_(settings) {
  FormCreate();
}

TForm10::~TForm10() = default;

void TForm10::FormCreate() {
  LoadNastr();
}

void TForm10::LoadNastr() {
  const settings::IniDocument ini = settings::ReadSettingsForLoading(settings_.PortablePath());
  CheckBoxAutoCheck.SetChecked(
      ini.ReadBool(settings::kOptionSection, FromWide(CheckBoxAutoCheck.name()), true));
  if (CheckBoxAutoCheck.checked()) {
    CheckForUpdatesInBackground();
    gui::Application::Instance().ProcessMessages();
  }
}

void TForm10::SaveNastr() {
  const std::u16string path = FromWide(settings_.PortablePath());
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
  } catch (const std::bad_alloc&) {
    throw;
  } catch (...) {
    // The update window's handlers drop their errors.
  }
}

}  // namespace zandrel
