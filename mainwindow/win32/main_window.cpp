// The main window: creation, activation, closing.
#include "mainwindow/win32/main_window.h"

#include <shellapi.h>

#include "config/build_target.h"
#include "gui/win32/application.h"
#include "mainwindow/win32/main_window_parts.h"
#include "platform/file_info_utils.h"
#include "platform/os_version.h"
#include "platform/process.h"
#include "platform/wide.h"
#include "settings/settings_rules.h"
#include "settings/win32/shell_folders.h"

namespace zandrel {

using platform::FromWide;
using platform::ToWide;

namespace mainwindow {

std::wstring AppTitle() {
  return gui::Application::Instance().title();
}

std::wstring DefaultOutputFolder() {
  return ToWide(
      settings::DefaultOutputFolder(FromWide(settings::MyPicturesFolder()), FromWide(AppTitle())));
}

}  // namespace mainwindow

namespace {

const std::pair<const wchar_t*, void (TForm1::*)()> kHandlers[] = {
    {L"FormActivate", &TForm1::FormActivate},
    {L"FormClose", &TForm1::FormClose},
    {L"FormDestroy", &TForm1::FormDestroy},
    {L"FormMouseMove", &TForm1::FormMouseMove},
    {L"SpeedButton_GeneralMenuClick", &TForm1::SpeedButton_GeneralMenuClick},
    {L"ButtonBrowseClick", &TForm1::ButtonBrowseClick},
    {L"ButtonBrowseFolderClick", &TForm1::ButtonBrowseFolderClick},
    {L"CheckBoxNoChangePathClick", &TForm1::CheckBoxNoChangePathClick},
    {L"ButtonAllZandrelClick", &TForm1::ButtonAllZandrelClick},
    {L"ButtonAllZandrelEnter", &TForm1::ButtonAllZandrelEnter},
    {L"ButtonAllZandrelExit", &TForm1::ButtonAllZandrelExit},
    {L"ListViewIconsClick", &TForm1::ListViewIconsClick},
    {L"ListViewIconsSelectItem", &TForm1::ListViewIconsSelectItem},
    {L"ListViewIconsItemActivate", &TForm1::ListViewIconsItemActivate},
    {L"SaveIconMenuClick", &TForm1::SaveIconMenuClick},
    {L"SavePngMenuClick", &TForm1::SavePngMenuClick},
    {L"SaveAllPngMenuClick", &TForm1::SaveAllPngMenuClick},
    {L"CopyIconMenuClick", &TForm1::CopyIconMenuClick},
    {L"CopyLocationMenuClick", &TForm1::CopyLocationMenuClick},
    {L"PropertiesMenuClick", &TForm1::PropertiesMenuClick},
    {L"OpenFolderMenuClick", &TForm1::OpenFolderMenuClick},
    {L"PopupMenuIconsPopup", &TForm1::PopupMenuPopup},
    {L"PopupMenu_GeneralPopup", &TForm1::PopupMenuPopup},
    {L"ListViewIconsBeginDrag", &TForm1::ListViewIconsBeginDrag},
    {L"MemoZandrelMouseMove", &TForm1::MemoZandrelMouseMove},
    {L"ThemeAutoClick", &TForm1::ThemeAutoClick},
    {L"ThemeLightClick", &TForm1::ThemeLightClick},
    {L"ThemeDarkClick", &TForm1::ThemeDarkClick},
    {L"EmbedFolderMenuClick", &TForm1::EmbedFolderMenuClick},
    {L"AllKindsMenuClick", &TForm1::AllKindsMenuClick},
    {L"CheckUpdateMenuClick", &TForm1::CheckUpdateMenuClick},
    {L"AboutMenuClick", &TForm1::AboutMenuClick},
    {L"SearchIconsMenuClick", &TForm1::SearchIconsMenuClick},
};

}  // namespace

TForm1::TForm1(const settings::SettingsLocation& settings, MainWindowLinks links)
    : gui::Form(L"FORM1"),
      built_(this, kHandlers),
      TabControlTitle(Get<gui::TabStrip>(L"TabControlTitle")),
      SpeedButton_GeneralMenu(Get<gui::SpeedButton>(L"SpeedButton_GeneralMenu")),
      EditSorcePath(Get<gui::Edit>(L"EditSorcePath")),
      ButtonBrowse(Get<gui::Button>(L"ButtonBrowse")),
      EditPathExtract(Get<gui::Edit>(L"EditPathExtract")),
      ButtonBrowseFolder(Get<gui::Button>(L"ButtonBrowseFolder")),
      CheckBoxNoChangePath(Get<gui::CheckBox>(L"CheckBoxNoChangePath")),
      CheckBoxSavePath(Get<gui::CheckBox>(L"CheckBoxSavePath")),
      ButtonAllZandrel(Get<gui::Button>(L"ButtonAllZandrel")),
      ListViewIcons(Get<gui::ListView>(L"ListViewIcons")),
      MemoZandrel(Get<gui::Memo>(L"MemoZandrel")),
      ProgressBarZandrel(Get<gui::ProgressBar>(L"ProgressBarZandrel")),
      ImageListIcons(Get<gui::ImageList>(L"ImageListIcons")),
      ImageList1(Get<gui::ImageList>(L"ImageList1")),
      SaveIconMenu(Get<gui::MenuItem>(L"SaveIconMenu")),
      SavePngMenu(Get<gui::MenuItem>(L"SavePngMenu")),
      SaveAllPngMenu(Get<gui::MenuItem>(L"SaveAllPngMenu")),
      CopyIconMenu(Get<gui::MenuItem>(L"CopyIconMenu")),
      CopyLocationMenu(Get<gui::MenuItem>(L"CopyLocationMenu")),
      PropertiesMenu(Get<gui::MenuItem>(L"PropertiesMenu")),
      OpenFolderMenuIcons(Get<gui::MenuItem>(L"OpenFolderMenuIcons")),
      PopupMenuIcons(Get<gui::PopupMenu>(L"PopupMenuIcons")),
      PopupMenu_General(Get<gui::PopupMenu>(L"PopupMenu_General")),
      ThemeMenu(Get<gui::MenuItem>(L"ThemeMenu")),
      ThemeAuto(Get<gui::MenuItem>(L"ThemeAuto")),
      ThemeLight(Get<gui::MenuItem>(L"ThemeLight")),
      ThemeDark(Get<gui::MenuItem>(L"ThemeDark")),
      LanguageMenu(Get<gui::MenuItem>(L"LanguageMenu")),
      EmbedFolderMenu(Get<gui::MenuItem>(L"EmbedFolderMenu")),
      AllKindsMenu(Get<gui::MenuItem>(L"AllKindsMenu")),
      OpenFolderMenu(Get<gui::MenuItem>(L"OpenFolderMenu")),
      FileOpenDialogSorce(Get<gui::FileDialog>(L"FileOpenDialogSorce")),
      FileSaveDialogIcon(Get<gui::FileDialog>(L"FileSaveDialogIcon")),
      FileSaveDialogAni(Get<gui::FileDialog>(L"FileSaveDialogAni")),
      FileSaveDialogPng(Get<gui::FileDialog>(L"FileSaveDialogPng")),
      settings_(settings),
      links_(std::move(links)),
      listing_(ListViewIcons, ImageListIcons, ProgressBarZandrel),
      transfer_folder_(mainwindow::AppTitle()) {
  program_folder = platform::ExecutableFolder();
  command_line_argument = []() -> std::optional<std::wstring> {
    bool present = false;
    std::wstring argument = platform::FirstCommandLineArgument(&present);
    if (!present) return std::nullopt;
    return argument;
  };
  SpeedButton_GeneralMenu.allow_all_up = true;
  on_setting_change = [this](std::wstring_view) { WMSettingChange(); };
  FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::FormCreate() {
  const std::wstring exe = platform::ExecutablePath();
  std::wstring title = caption() + L" " + platform::GetFileVersion(exe) + L" (" +
                       std::to_wstring(config::kProgramBits) + L"-bit)";
  if (portable()) title += L" Portable";
  SetCaption(title);
  DragAcceptFiles(hwnd(), TRUE);
  drop_target_ =
      std::make_unique<gui::DropTarget>(hwnd(), [this](const gui::ClipboardNames& names) {
        dropped_ = names;
        PostMessageW(hwnd(), kAdoptDroppedMessage, 0, 0);
      });
  prev_embed_menu_state_ = false;
  LoadNastr();
  LoadWindowPlacement();
}

void TForm1::FormActivate() {
  DragAcceptFiles(hwnd(), TRUE);
  // The command line names the source of the first showing only: every
  // dialog or message box that closes activates the window again, and must
  // not replace a source chosen since, nor drop unsaved choices.
  if (command_line_taken_) return;
  command_line_taken_ = true;
  if (!command_line_argument()) return;
  LoadNastr();
  CommandLineSource();
}

void TForm1::FormClose() {
  SaveNastr();
}

void TForm1::FormDestroy() {
  if (hwnd()) DragAcceptFiles(hwnd(), FALSE);
}

bool TForm1::IsWindows10Or11() const {
  return zandrel::IsWindows10Or11(platform::ReportedOsVersion());
}

}  // namespace zandrel
