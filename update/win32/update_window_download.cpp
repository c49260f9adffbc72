// The update window's download: the transfer with its progress and cancel,
// then the package's signature and kind checked before anything is written.
#include <windows.h>
#include <shobjidl.h>

#include "core/file_io.h"
#include "gui/win32/application.h"
#include "platform/com.h"
#include "platform/wide.h"
#include "update/update_rules.h"
#include "update/win32/package_verification.h"
#include "update/win32/update_window.h"
#include "update/win32/update_window_parts.h"

namespace zandrel {

using platform::FromWide;
using platform::ToWide;
using updatewindow::Dropping;
using updatewindow::ProcessMessages;

namespace {

ByteView AsBytes(const std::string& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

}  // namespace

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
  // After a cancel the window is idle already and says so; a failure
  // returns it to idle and says what failed, rather than leaving it
  // "downloading".
  try {
    UpdateApp(outcome.download_url);
    LabelUpDate.SetCaption(Lang(L"LangDownloadComplet"));
    InstallPackage(PackageTarget(outcome.download_url));
    ReturnToIdle();
  } catch (const update::PackageNotVerified&) {
    if (download_tag_ == 1) Dropping([&] { DownloadFailed(Lang(L"LangUpdateNotVerified")); });
  } catch (const std::bad_alloc&) {
    throw;
  } catch (...) {
    // A failed transfer or install step.
    if (download_tag_ == 1) Dropping([&] { DownloadFailed(Lang(L"LangNoDownload")); });
  }
}

void TForm10::ReturnToIdle() {
  SetDownloadTag(0);
  ButtonDownload.SetCaption(Lang(L"LangDownload"));
  ButtonClose.SetEnabled(true);
  ProgressBarUpdate.SetVisible(false);
  GroupBoxOption.SetEnabled(true);
  ProcessMessages();
}

void TForm10::DownloadFailed(const std::wstring& status) {
  ReturnToIdle();
  ProgressBarUpdate.SetPosition(0);
  SetTaskbarProgress(false, 0);
  LabelUpDate.SetCaption(status);
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
  // A build that cannot check a package does not fetch one.
  const std::optional<update::ReleasePublicKey> key = update::ReleaseKey(links_.release_public_key);
  if (!key) throw update::PackageNotVerified();
  // The proxy and the headers of every download; no time-outs of our own.
  IdHTTP1.options = update::RequestOptions(0, 0);
  IdHTTP1.options.max_body = update::kMaxPackageSize;
  const std::wstring url = ToWide(update::PercentEncodeUrl(server));
  const std::string package = IdHTTP1.Get(url);
  // Its signature from the same place by the same rules, without moving the
  // bar. Missing or unreadable, it fails the check like a wrong one.
  std::string signature;
  IdHTTP1.options.max_body = update::kMaxSignatureFileSize;
  try {
    signature = IdHTTP1.Get(url + L".sig", false);
  } catch (const update::HttpError&) {
    throw update::PackageNotVerified();
  }
  update::VerifyPackage(AsBytes(package), AsBytes(signature), key,
                        portable ? update::PackageKind::kArchive : update::PackageKind::kInstaller,
                        ProgramFolder().size());
  WriteFileAtomically(FromWide(PackageTarget(server)), AsBytes(package));
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
  if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                              reinterpret_cast<void**>(taskbar.Put()))) ||
      FAILED(taskbar->HrInit()))
    return;
  taskbar->SetProgressState(hwnd(), shown ? TBPF_NORMAL : TBPF_NOPROGRESS);
  if (shown) taskbar->SetProgressValue(hwnd(), static_cast<ULONGLONG>(value), 100);
}

}  // namespace zandrel
