#include "update/win32/update_window.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shobjidl.h>

#include <new>
#include <thread>

#include "core/file_io.h"
#include "core/text.h"
#include "gui/win32/application.h"
#include "gui/win32/gui_thread.h"
#include "platform/com.h"
#include "platform/file_info_utils.h"
#include "platform/process.h"
#include "platform/wide.h"
#include "settings/ini_document.h"
#include "settings/settings_rules.h"
#include "settings/win32/ansi_codec_win32.h"
#include "update/update_rules.h"

namespace zandrel {

using platform::FromWide;
using platform::ToWide;

namespace {

const std::pair<const wchar_t*, void (TForm10::*)()> kHandlers[] = {
    {L"FormClose", &TForm10::FormClose},
    {L"FormShow", &TForm10::FormShow},
    {L"ButtonCloseClick", &TForm10::ButtonCloseClick},
    {L"ButtonDownloadClick", &TForm10::ButtonDownloadClick},
    {L"CheckBoxForceUpdateClick", &TForm10::CheckBoxForceUpdateClick},
};

// Errors the window's handlers drop; running out of memory is not one.
template <class Fn>
void Dropping(Fn&& fn) {
  try {
    fn();
  } catch (const std::bad_alloc&) {
    throw;
  } catch (...) {
  }
}

void ProcessMessages() {
  gui::Application::Instance().ProcessMessages();
}

// The Yes/No question of the start-up offer: the platform's task dialog,
// with the catalogue's captions on its buttons.
bool AskWithTaskDialog(const std::wstring& text, const std::wstring& yes, const std::wstring& no) {
  TASKDIALOG_BUTTON buttons[] = {{IDYES, yes.c_str()}, {IDNO, no.c_str()}};
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.hInstance = gui::Application::Instance().instance();
  config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
  const std::wstring& title = gui::Application::Instance().title();
  config.pszWindowTitle = title.c_str();
  config.pszMainIcon = TD_INFORMATION_ICON;
  config.pszContent = text.c_str();
  config.cButtons = 2;
  config.pButtons = buttons;
  config.nDefaultButton = IDYES;
  gui::Application::Instance().FlushPending();
  int chosen = 0;
  if (FAILED(TaskDialogIndirect(&config, &chosen, nullptr, nullptr))) return false;
  return chosen == IDYES;
}

}  // namespace

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
      return AskWithTaskDialog(text, Lang(L"LangYes"), Lang(L"LangNo"));
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

// --- Checks ----------------------------------------------------------------------

void TForm10::CheckForUpdatesInBackground() {
  std::weak_ptr<bool> alive = alive_;
  const gui::GuiHandOver handover = gui::Application::Instance().HandOver();
  std::thread([this, alive, handover, servers = links_.servers, is_portable = portable,
               exe = exe_path] {
    Dropping([&] {
      std::u16string version, url;
      // A failure of the probe, of any kind, is a failed check: nothing shown.
      bool found = false;
      Dropping([&] { found = update::GetServerVersion(servers, is_portable, version, url); });
      const std::u16string local = FromWide(platform::GetFileVersion(exe));
      handover.Run([&] {
        if (alive.expired()) return;
        BackgroundServerVersion = found ? version : u"";
        BackgroundDownloadUrl = found ? url : u"";
        UpdateAvailable = found && update::CompareVersions(version, local) == 1;
        if (!UpdateAvailable || BackgroundDownloadUrl.empty()) return;
        const std::wstring text = Lang(L"LangUpdateAvailable") + L" " +
                                  ToWide(BackgroundServerVersion) + L"\r\n" + Lang(L"LangUpdateNow");
        if (!links_.ask_to_update(text) || alive.expired()) return;
        outcome.download_url = BackgroundDownloadUrl;
        outcome.server_version = BackgroundServerVersion;
        StartDownloadOnShow = true;
        if (is_modal()) {
          // Already on screen: the download starts here and now.
          StartDownloadOnShow = false;
          QuickStartUpdate();
        } else {
          ShowModal();
        }
      });
    });
  }).detach();
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

void TForm10::StartCheckThread() {
  std::weak_ptr<bool> alive = alive_;
  std::shared_ptr<int> running = running_checks_;
  ++*running;
  const gui::GuiHandOver handover = gui::Application::Instance().HandOver();
  std::thread([this, alive, running, handover, servers = links_.servers, is_portable = portable,
               exe = exe_path] {
    // Every step runs on the GUI thread, and only while the window exists.
    const auto step = [&](const std::function<void()>& fn) {
      Dropping([&] {
        handover.Run([&] {
          if (!alive.expired()) fn();
        });
      });
    };
    step([this] {
      GroupBoxOption.SetEnabled(false);
      ButtonDownload.SetEnabled(false);
    });
    const std::u16string local = FromWide(platform::GetFileVersion(exe));
    std::u16string version, url;
    bool found = false;
    // Whatever escapes the probe counts as a failed check, so the window
    // never stays on "checking" with its options disabled.
    Dropping([&] { found = update::GetServerVersion(servers, is_portable, version, url); });
    step([&] { Check(found, version, url, local); });
    step([this] {
      // A ticked "forced" box keeps the button as it set it.
      if (!CheckBoxForceUpdate.checked()) {
        SetDownloadTag(0);
        ButtonDownload.SetEnabled(outcome.compare_result == 1);
      }
      GroupBoxOption.SetEnabled(true);
    });
    handover.Run([&] { --*running; });
  }).detach();
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

void TForm10::QuickStartUpdate() {
  outcome.download_url = BackgroundDownloadUrl;
  outcome.server_version = BackgroundServerVersion;
  LabelUpDate.SetCaption(Lang(L"LangUpdateAvailable") + L" " + ToWide(LocalVersion()) +
                         L" ---> " + ToWide(outcome.server_version));
  ProcessMessages();
  // Handed over from a worker, so the download begins once the window is on
  // screen and its showing has returned.
  std::weak_ptr<bool> alive = alive_;
  const gui::GuiHandOver handover = gui::Application::Instance().HandOver();
  std::thread([this, alive, handover] {
    Dropping([&] {
      handover.Run([&] {
        if (alive.expired()) return;
        Dropping([&] {
          ButtonDownloadClick();
          ProcessMessages();
        });
      });
    });
  }).detach();
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

// --- Download and install ----------------------------------------------------------

std::wstring TForm10::PackageTarget(const std::u16string& url) const {
  const std::wstring name = ToWide(update::ExtractUrlFileName(url));
  if (!portable) return update::GetTempFolder() + name;
  const std::size_t slash = exe_path.find_last_of(L'\\');
  return (slash == std::wstring::npos ? std::wstring() : exe_path.substr(0, slash + 1)) + name;
}

void TForm10::ButtonDownloadClick() {
  if (download_tag_ == 1) {
    CancelDownload();
    return;
  }
  AbortUpdate = false;
  SetDownloadTag(1);
  ButtonDownload.SetCaption(Lang(L"LangCancel"));
  ButtonClose.SetEnabled(false);
  ProgressBarUpdate.SetPosition(0);
  ProgressBarUpdate.SetVisible(true);
  GroupBoxOption.SetEnabled(false);
  const auto back_to_idle = [this] {
    SetDownloadTag(0);
    ButtonDownload.SetCaption(Lang(L"LangDownload"));
    ButtonClose.SetEnabled(true);
    ProgressBarUpdate.SetVisible(false);
    GroupBoxOption.SetEnabled(true);
    ProcessMessages();
  };
  try {
    UpdateApp(outcome.download_url);
    LabelUpDate.SetCaption(Lang(L"LangDownloadComplet"));
    const std::wstring file = PackageTarget(outcome.download_url);
    if (!portable) {
      if (CheckBoxQuickUpdate.checked()) {
        const std::wstring language = links_.current_language ? links_.current_language() : L"";
        links_.open(file, ToWide(update::InstallerParameters(FromWide(language))), SW_SHOWNORMAL);
        links_.quit();
        ProcessMessages();
      } else {
        links_.open(file, L"", SW_SHOWNORMAL);
        ProcessMessages();
      }
    } else if (CheckBoxQuickUpdate.checked()) {
      SimplePortableUpdate(file, exe_path);
    }
    back_to_idle();
  } catch (const std::bad_alloc&) {
    throw;
  } catch (...) {
    // A failed transfer or install step, or a cancel. After a cancel the
    // window is idle already; a failure returns it to idle and says that
    // nothing was downloaded, rather than leaving it "downloading".
    if (download_tag_ == 1) {
      Dropping([&] {
        back_to_idle();
        ProgressBarUpdate.SetPosition(0);
        SetTaskbarProgress(false, 0);
        LabelUpDate.SetCaption(Lang(L"LangNoDownload"));
      });
    }
  }
}

void TForm10::CancelDownload() {
  SetDownloadTag(0);
  ButtonDownload.SetCaption(Lang(L"LangDownload"));
  ProgressBarUpdate.SetPosition(0);
  ProgressBarUpdate.SetVisible(false);
  ButtonClose.SetEnabled(true);
  GroupBoxOption.SetEnabled(true);
  Dropping([&] {
    AbortUpdate = true;
    IdHTTP1.Disconnect();
    SetTaskbarProgress(false, 0);
    ProgressBarUpdate.SetPosition(0);
    LabelUpDate.SetCaption(Lang(L"LangNoDownload"));
    // Whatever the mode, the package's name in the temporary folder goes.
    const std::wstring stale =
        update::GetTempFolder() + ToWide(update::ExtractUrlFileName(outcome.download_url));
    if (!update::ExtractUrlFileName(outcome.download_url).empty() &&
        GetFileAttributesW(stale.c_str()) != INVALID_FILE_ATTRIBUTES)
      DeleteFileW(stale.c_str());
    ProcessMessages();
  });
}

void TForm10::UpdateApp(const std::u16string& server) {
  // The proxy and the headers of every download; no time-outs of our own.
  IdHTTP1.options = update::RequestOptions(0, 0);
  const std::string body = IdHTTP1.Get(ToWide(update::PercentEncodeUrl(server)));
  const std::wstring target = PackageTarget(server);
  WriteFileAtomically(FromWide(target),
                      ByteView(reinterpret_cast<const std::uint8_t*>(body.data()), body.size()));
  ProcessMessages();
}

void TForm10::IdHTTP1WorkBegin(std::int64_t total) {
  Dropping([&] {
    ProgressBarUpdate.SetRange(0, 100);
    ProgressStep = update::RoundHalfEven(total, 100);
    SetTaskbarProgress(true, 0);
    ProcessMessages();
  });
}

void TForm10::IdHTTP1Work(std::int64_t count) {
  Dropping([&] {
    if (AbortUpdate) IdHTTP1.Disconnect();
    if (ProgressStep == 0) return;
    const auto position = static_cast<int>(update::RoundHalfEven(count, ProgressStep));
    ProgressBarUpdate.SetPosition(position);
    SetTaskbarProgress(true, position);
    ProcessMessages();
  });
}

void TForm10::IdHTTP1WorkEnd() {
  SetTaskbarProgress(false, 0);
  ProcessMessages();
}

void TForm10::SetTaskbarProgress(bool shown, int value) {
  if (!hwnd()) return;
  platform::ComPtr<ITaskbarList3> taskbar;
  if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                              IID_ITaskbarList3, reinterpret_cast<void**>(taskbar.Put()))) ||
      FAILED(taskbar->HrInit()))
    return;
  taskbar->SetProgressState(hwnd(), shown ? TBPF_NORMAL : TBPF_NOPROGRESS);
  if (shown) taskbar->SetProgressValue(hwnd(), static_cast<ULONGLONG>(value), 100);
}

void TForm10::SimplePortableUpdate(const std::wstring& zip_in_app_dir,
                                   const std::wstring& current_exe_path) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::wstring script =
      update::GetTempFolder() + ToWide(update::UpdateScriptName(now.wHour, now.wMinute, now.wSecond));
  const std::size_t slash = current_exe_path.find_last_of(L'\\');
  const std::wstring folder = slash == std::wstring::npos ? L"" : current_exe_path.substr(0, slash + 1);
  const std::wstring exe_name = current_exe_path.substr(slash == std::wstring::npos ? 0 : slash + 1);
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
