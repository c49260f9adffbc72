// The update window's version checks: the check of each showing, the quiet
// check at start-up with its offer, and the showing that downloads at once.
#include <windows.h>
#include <commctrl.h>

#include <thread>

#include "gui/win32/application.h"
#include "gui/win32/gui_thread.h"
#include "platform/file_info_utils.h"
#include "platform/wide.h"
#include "update/update_rules.h"
#include "update/win32/update_window.h"
#include "update/win32/update_window_parts.h"

namespace zandrel {

using platform::FromWide;
using platform::ToWide;
using updatewindow::Dropping;
using updatewindow::ProcessMessages;

namespace updatewindow {

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

}  // namespace updatewindow

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
                                  ToWide(BackgroundServerVersion) + L"\r\n" +
                                  Lang(L"LangUpdateNow");
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

void TForm10::QuickStartUpdate() {
  outcome.download_url = BackgroundDownloadUrl;
  outcome.server_version = BackgroundServerVersion;
  LabelUpDate.SetCaption(Lang(L"LangUpdateAvailable") + L" " + ToWide(LocalVersion()) + L" ---> " +
                         ToWide(outcome.server_version));
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

}  // namespace zandrel
