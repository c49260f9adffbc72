#include "update/win32/update_window.h"

#include <windows.h>
#include <shellapi.h>

#include "gui/win32/application.h"
#include "platform/file_info_utils.h"
#include "platform/process.h"
#include "platform/wide.h"
#include "settings/ini_document.h"
#include "settings/settings_rules.h"
#include "settings/win32/ansi_codec_win32.h"
#include "update/update_rules.h"
#include "update/win32/update_window_parts.h"

namespace zandrel {

using platform::FromWide;
using platform::ToWide;
using updatewindow::Dropping;
using updatewindow::ProcessMessages;

namespace {

const std::pair<const wchar_t*, void (TForm10::*)()> kHandlers[] = {
    {L"FormClose", &TForm10::FormClose},
    {L"FormShow", &TForm10::FormShow},
    {L"ButtonCloseClick", &TForm10::ButtonCloseClick},
    {L"ButtonDownloadClick", &TForm10::ButtonDownloadClick},
    {L"CheckBoxForceUpdateClick", &TForm10::CheckBoxForceUpdateClick},
};

}  // namespace

namespace updatewindow {

void ProcessMessages() {
  gui::Application::Instance().ProcessMessages();
}

}  // namespace updatewindow

TForm10::TForm10(const settings::SettingsLocation& settings, UpdateLinks links)
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
      exe_path(platform::ExecutablePath()),
      portable(settings.portable()),
      settings_(settings),
      links_(std::move(links)) {
  if (!links_.ask_to_update)
    links_.ask_to_update = [this](const std::wstring& text) {
      return updatewindow::AskWithTaskDialog(text, Lang(L"LangYes"), Lang(L"LangNo"));
    };
  if (!links_.open)
    links_.open = [](const std::wstring& file, const std::wstring& parameters, int show) {
      ShellExecuteW(nullptr, L"open", file.c_str(), parameters.empty() ? nullptr : parameters.c_str(),
                    nullptr, show);
    };
  if (!links_.end_process) links_.end_process = [] { ExitProcess(0); };
  if (!links_.quit) links_.quit = [] { gui::Application::Instance().Terminate(); };
  IdHTTP1.on_begin = [this](std::int64_t total) { IdHTTP1WorkBegin(total); };
  IdHTTP1.on_work = [this](std::int64_t count) { IdHTTP1Work(count); };
  IdHTTP1.on_end = [this] { IdHTTP1WorkEnd(); };
  FormCreate();
}

TForm10::~TForm10() {
  // Late steps of running checks find the window gone and do nothing.
  *alive_ = false;
  IdHTTP1.Disconnect();
}

void TForm10::FormCreate() {
  LoadNastr();
}

void TForm10::LoadNastr() {
  const settings::IniDocument ini = settings::ReadSettingsForLoading(settings_.PortablePath());
  CheckBoxAutoCheck.SetChecked(
      ini.ReadBool(settings::kOptionSection, FromWide(CheckBoxAutoCheck.name()), true));
  if (CheckBoxAutoCheck.checked()) {
    CheckForUpdatesInBackground();
    ProcessMessages();
  }
}

void TForm10::SaveNastr() {
  const std::u16string path = FromWide(settings_.PortablePath());
  settings::IniDocument ini = settings::LoadIniFile(path, settings::SystemAnsiCodec());
  ini.WriteBool(settings::kOptionSection, FromWide(CheckBoxAutoCheck.name()),
                CheckBoxAutoCheck.checked());
  settings::SaveIniFile(path, ini);
}

std::u16string TForm10::LocalVersion() const {
  return FromWide(platform::GetFileVersion(exe_path));
}

void TForm10::SetDownloadTag(int tag) {
  download_tag_ = tag;
}

void TForm10::FormShow() {
  LabelUpDate.SetCaption(L"");
  LabelLocalVersion.SetCaption(ToWide(LocalVersion()));
  LabelServerVersion.SetCaption(L"");
  LabelUpDate.SetCaption(Lang(L"LangCheckUpdate"));
  CheckBoxForceUpdate.SetChecked(false);
  if (StartDownloadOnShow) {
    StartDownloadOnShow = false;
    QuickStartUpdate();
  } else {
    StartCheckThread();
  }
}

void TForm10::Check(bool found, const std::u16string& server_version,
                    const std::u16string& download_url, const std::u16string& local_version) {
  if (found) {
    outcome.download_url = download_url;
    outcome.server_version = server_version;
    outcome.compare_result = update::CompareVersions(server_version, local_version);
    if (outcome.compare_result == 1)
      LabelUpDate.SetCaption(Lang(L"LangUpdateAvailable") + L" " + ToWide(local_version) +
                             L" ---> " + ToWide(server_version));
    else
      LabelUpDate.SetCaption(Lang(L"LangNoUpdate"));
    LabelServerVersion.SetCaption(ToWide(server_version));
  } else {
    LabelUpDate.SetCaption(Lang(L"LangFailedCheckUpdates"));
    LabelServerVersion.SetCaption(Lang(L"LangConnectionError"));
    outcome = update::CheckOutcome{};
  }
  ProcessMessages();
}

void TForm10::CheckBoxForceUpdateClick() {
  SetDownloadTag(0);
  ButtonDownload.SetEnabled(CheckBoxForceUpdate.checked());
}

void TForm10::FormClose() {
  // Closing the window while it downloads cancels the download.
  if (download_tag_ == 1) CancelDownload();
  LabelUpDate.SetCaption(L"");
  LabelLocalVersion.SetCaption(L"");
  LabelServerVersion.SetCaption(L"");
  SaveNastr();
}

void TForm10::ButtonCloseClick() {
  Dropping([&] { Close(); });
}

}  // namespace zandrel
