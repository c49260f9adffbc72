#pragma once
// The update window TForm10: local and server version, download, options.
// Version checks run on worker threads that hand every window step to the
// GUI thread and drop their steps once the window is gone; the download
// runs from the download button's handler, its transfer on a worker of the
// download client, its events on the GUI thread. A package is written and
// used only once its release signature and its kind have been checked.
//
// The window's files: update_window.cpp (the window and its handlers),
// update_window_checks.cpp (the version checks and the start-up offer),
// update_window_download.cpp (downloading and verifying),
// update_window_install.cpp (starting the installer, the portable script).

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/win32/controls.h"
#include "gui/win32/form.h"
#include "settings/win32/settings_location.h"
#include "update/win32/http_client.h"
#include "update/win32/version_check.h"

namespace zandrel {

// What the update window reads of the rest of the program, and the
// platform services it starts, replaceable where tests stand in for them.
struct UpdateLinks {
  // The download servers, primary first ("http://host/download/").
  std::vector<std::u16string> servers;
  // The language file chosen in the main window (its base name), for the
  // installer's /LANG= switch.
  std::function<std::wstring()> current_language;
  // Asks "update now?" with Yes and No buttons; true for Yes. Default: a
  // task dialog with the catalogue's button captions.
  std::function<bool(const std::wstring& text)> ask_to_update;
  // ShellExecuteW "open" of a file with parameters and a show state.
  std::function<void(const std::wstring& file, const std::wstring& parameters, int show)> open;
  // Ends the process at once (after the update script started).
  std::function<void()> end_process;
  // Ends the program the normal way (after the quiet installer started).
  std::function<void()> quit;
  // The key that must have signed every package: hex of the P-256 point, X
  // then Y. None: the key this build was configured with. A text that is no
  // key (empty, say) refuses every package, as a build without a key does.
  std::optional<std::u16string> release_public_key;
};

class TForm10 : public gui::Form {
  gui::BuiltForm<TForm10> built_;

 public:
  TForm10(const settings::SettingsLocation& settings, UpdateLinks links);
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
  // The download client, reused for every download.
  update::DownloadClient IdHTTP1;

  void FormCreate();
  void FormShow();
  void FormClose();
  void ButtonCloseClick();
  void ButtonDownloadClick();
  void CheckBoxForceUpdateClick();
  void LoadNastr();
  void SaveNastr();
  // The quiet version check at start-up; offers the update when one exists.
  void CheckForUpdatesInBackground();
  // The check of one showing, on a worker.
  void StartCheckThread();
  // The showing after an accepted offer: the download starts at once.
  void QuickStartUpdate();
  // Records a check's outcome and shows it (GUI thread).
  void Check(bool found, const std::u16string& server_version, const std::u16string& download_url,
             const std::u16string& local_version);
  // Downloads `server` and its signature file, verifies the package and
  // writes it to the package target; throws update::PackageNotVerified for
  // a package that fails its checks, whatever else for a failed transfer.
  void UpdateApp(const std::u16string& server);
  // Starts the written package as this copy installs: the installer, or the
  // portable script.
  void InstallPackage(const std::wstring& file);
  // Writes and starts the portable update script, then ends the process.
  void SimplePortableUpdate(const std::wstring& zip_in_app_dir, const std::wstring& current_exe_path);

  // The program's own path (its version is the local version, its folder
  // takes a portable copy's package) and whether it runs portable.
  std::wstring exe_path;
  bool portable = false;

  // What the last check recorded (read by the download).
  update::CheckOutcome outcome;
  // The start-up check's result.
  bool UpdateAvailable = false;
  std::u16string BackgroundServerVersion;
  std::u16string BackgroundDownloadUrl;
  // Set by an accepted start-up offer; consumed by the next showing.
  bool StartDownloadOnShow = false;
  // Set when a download starts, and when it is cancelled.
  bool AbortUpdate = false;
  // Bytes per percent of the running transfer.
  std::int64_t ProgressStep = 0;
  // 0 idle (a click starts a download), 1 downloading (a click cancels).
  int download_tag() const { return download_tag_; }
  // Check threads that have not handed their last step over yet.
  int running_checks() const { return *running_checks_; }
  // Where the package of a URL goes.
  std::wstring PackageTarget(const std::u16string& url) const;
  // The program's folder, ending in a backslash.
  std::wstring ProgramFolder() const;

 private:
  std::wstring Lang(std::wstring_view entry) const { return CatalogueText(entry); }
  std::u16string LocalVersion() const;
  void SetDownloadTag(int tag);
  void IdHTTP1WorkBegin(std::int64_t total);
  void IdHTTP1Work(std::int64_t count);
  void IdHTTP1WorkEnd();
  void CancelDownload();
  void ReturnToIdle();
  // Back to idle after a failed download, saying why.
  void DownloadFailed(const std::wstring& status);
  void SetTaskbarProgress(bool shown, int value);

  const settings::SettingsLocation& settings_;
  UpdateLinks links_;
  int download_tag_ = 0;
  // Workers check it on the GUI thread before a step touches the window.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  std::shared_ptr<int> running_checks_ = std::make_shared<int>(0);
};

}  // namespace zandrel
