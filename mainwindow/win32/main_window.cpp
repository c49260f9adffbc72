#include "mainwindow/win32/main_window.h"

#include <shellapi.h>

#include "about/win32/about_window.h"
#include "about/win32/file_info_utils.h"
#include "app/os_version.h"
#include "core/file_io.h"
#include "core/paths.h"
#include "core/text.h"
#include "gui/win32/application.h"
#include "icons/extract_all.h"
#include "icons/ico_writer.h"
#include "icons/output_names.h"
#include "mainwindow/win32/shortcut_resolver.h"
#include "mainwindow/win32/window_host.h"
#include "platform/process.h"
#include "platform/wide.h"
#include "settings/ini_document.h"
#include "settings/settings_rules.h"
#include "settings/win32/ansi_codec_win32.h"
#include "settings/win32/shell_folders.h"
#include "update/win32/update_window.h"

namespace zandrel {

using platform::FromWide;
using platform::ToWide;

TForm1* Form1 = nullptr;

namespace {

std::wstring LowerExtension(const std::wstring& path) {
  return ToWide(AsciiLower(ExtractFileExt(FromWide(path))));
}

bool IsModuleExtension(const std::wstring& ext) {
  return ext == L".exe" || ext == L".dll";
}

bool IsExistingFile(const std::wstring& path) {
  return FileExists(FromWide(path));
}

std::wstring AppTitle() {
  return gui::Application::Instance().title();
}

}  // namespace

// A settings file that exists but cannot be read (held open by another
// program, say) leaves the defaults in place when loading; saving reads it
// again and reports the failure instead of overwriting what it could not see.
settings::IniDocument ReadSettingsForLoading(const std::wstring& path) {
  try {
    return settings::LoadIniFile(FromWide(path), settings::SystemAnsiCodec());
  } catch (const FileError&) {
    return settings::IniDocument(settings::SystemAnsiCodec());
  }
}

namespace {

std::wstring DefaultOutputFolder() {
  return ToWide(
      settings::DefaultOutputFolder(FromWide(settings::MyPicturesFolder()), FromWide(AppTitle())));
}

}  // namespace

TForm1::Builder::Builder(TForm1* f) {
  f->BindMethods(f, {{L"FormActivate", &TForm1::FormActivate},
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
                     {L"SaveIconMenuClick", &TForm1::SaveIconMenuClick},
                     {L"MemoZandrelMouseMove", &TForm1::MemoZandrelMouseMove},
                     {L"ThemeAutoClick", &TForm1::ThemeAutoClick},
                     {L"ThemeLightClick", &TForm1::ThemeLightClick},
                     {L"ThemeDarkClick", &TForm1::ThemeDarkClick},
                     {L"EmbedFolderMenuClick", &TForm1::EmbedFolderMenuClick},
                     {L"CheckUpdateMenuClick", &TForm1::CheckUpdateMenuClick},
                     {L"AboutMenuClick", &TForm1::AboutMenuClick}});
  f->Build();
}

TForm1::TForm1()
    : gui::Form(LoadDefinition(L"FORM1")),
      builder_(this),
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
      PopupMenu_General(Get<gui::PopupMenu>(L"PopupMenu_General")),
      ThemeMenu(Get<gui::MenuItem>(L"ThemeMenu")),
      ThemeAuto(Get<gui::MenuItem>(L"ThemeAuto")),
      ThemeLight(Get<gui::MenuItem>(L"ThemeLight")),
      ThemeDark(Get<gui::MenuItem>(L"ThemeDark")),
      LanguageMenu(Get<gui::MenuItem>(L"LanguageMenu")),
      EmbedFolderMenu(Get<gui::MenuItem>(L"EmbedFolderMenu")),
      FileOpenDialogSorce(Get<gui::FileDialog>(L"FileOpenDialogSorce")),
      FileSaveDialogIcon(Get<gui::FileDialog>(L"FileSaveDialogIcon")),
      listing_(ListViewIcons, ImageListIcons, ProgressBarZandrel) {
  Form1 = this;
  command_line_argument = []() -> std::optional<std::wstring> {
    bool present = false;
    std::wstring argument = platform::FirstCommandLineArgument(&present);
    if (!present) return std::nullopt;
    return argument;
  };
  SpeedButton_GeneralMenu.allow_all_up = true;
  FormCreate();
}

TForm1::~TForm1() {
  if (Form1 == this) Form1 = nullptr;
}

// --- creation, activation, closing -----------------------------------------------

void TForm1::FormCreate() {
  const std::wstring exe = platform::ExecutablePath();
  portable_ = FileExists(settings::PortableMarkerPath(FromWide(exe)));
  std::wstring title = caption() + L" " + about::GetFileVersion(exe) + L" " + L"(32-bit)";
  if (portable_) title += L" Portable";
  SetCaption(title);
  DragAcceptFiles(hwnd(), TRUE);
  prev_embed_menu_state_ = false;
  LoadNastr();
}

void TForm1::FormActivate() {
  DragAcceptFiles(hwnd(), TRUE);
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
  return app::IsWindows10Or11(app::ReportedOsVersion());
}

// --- settings --------------------------------------------------------------------

std::wstring TForm1::PortablePath() const {
  const std::wstring exe = platform::ExecutablePath();
  std::u16string path;
  if (portable_) {
    path = settings::PortableSettingsPath(FromWide(exe));
  } else {
    path =
        settings::InstalledSettingsPath(FromWide(settings::RoamingAppDataFolder()),
                                        FromWide(about::GetCompanyName(exe)), FromWide(AppTitle()));
  }
  ForceDirectories(ExtractFilePath(path));  // a failure shows when saving
  return ToWide(path);
}

void TForm1::LoadNastr() {
  CheckAndSetRegistryForFileTypes();
  const settings::IniDocument ini = ReadSettingsForLoading(PortablePath());
  const auto section = settings::kOptionSection;
  for (gui::MenuItem* item : ThemeMenu.items()) {
    item->SetChecked(ini.ReadBool(section, FromWide(item->name()), false));
    if (item->checked()) item->Click();
  }
  CheckBoxNoChangePath.SetChecked(
      ini.ReadBool(section, FromWide(CheckBoxNoChangePath.name()), false));
  CheckBoxSavePath.SetChecked(ini.ReadBool(section, FromWide(CheckBoxSavePath.name()), false));
  EditPathExtract.SetTextValue(
      ToWide(ini.ReadString(section, FromWide(EditPathExtract.name()), u"")));
  if (EditPathExtract.text().empty()) EditPathExtract.SetTextValue(DefaultOutputFolder());
}

void TForm1::SaveNastr() {
  SynchronizeContextMenu();
  const std::u16string path = FromWide(PortablePath());
  settings::IniDocument ini = settings::LoadIniFile(path, settings::SystemAnsiCodec());
  const auto section = settings::kOptionSection;
  gui::CheckBox& quick = Form10->CheckBoxQuickUpdate;
  ini.WriteBool(section, FromWide(quick.name()), quick.checked());
  ini.WriteBool(section, FromWide(CheckBoxNoChangePath.name()), CheckBoxNoChangePath.checked());
  ini.WriteBool(section, FromWide(CheckBoxSavePath.name()), CheckBoxSavePath.checked());
  ini.WriteString(section, FromWide(EditPathExtract.name()),
                  CheckBoxSavePath.checked() ? FromWide(EditPathExtract.text()) : u"");
  for (gui::MenuItem* item : ThemeMenu.items())
    ini.WriteBool(section, FromWide(item->name()), item->checked());
  settings::SaveIniFile(path, ini);
}

// --- the Explorer verb state (kept by the registry keys themselves) --------------

void TForm1::CheckAndSetRegistryForFileTypes() {}

void TForm1::SynchronizeContextMenu() {}

// --- language ----------------------------------------------------------------------

void TForm1::LoadLanguage() {}
void TForm1::CleanTranslationsLikeGlobload() {}
void TForm1::Globload() {}

// --- sources -----------------------------------------------------------------------

void TForm1::AdoptSource(const std::wstring& path, bool finish) {
  ClearIconResources();
  EditSorcePath.SetTextValue(path);
  EditPathExtract.SetTextValue(ToWide(settings::NewSourceOutputFolder(
      FromWide(path), CheckBoxNoChangePath.checked(), FromWide(DefaultOutputFolder()))));
  LoadIconsToListView(path);
  if (finish) FinishAdoption();
}

void TForm1::FinishAdoption() {
  gui::Application::Instance().ProcessMessages();
  const std::wstring source = EditSorcePath.text();
  if (source.empty() || !IsExistingFile(source)) return;
  ButtonBrowseFolder.SetEnabled(!CheckBoxNoChangePath.checked());
  ButtonAllZandrel.SetEnabled(true);
  SetDefaultButton(&ButtonAllZandrel);
  ButtonAllZandrel.SetFocus();
}

void TForm1::CommandLineSource() {
  std::wstring argument = command_line_argument().value_or(L"");
  if (argument.empty()) return;
  if (argument.size() >= 2 && argument.front() == L'"' && argument.back() == L'"')
    argument = argument.substr(1, argument.size() - 2);
  if (IsExistingFile(argument)) {
    AdoptSource(argument);
    return;
  }
  // Closing the message box activates this window again, which runs this
  // step again: the message is shown once for an argument, not on every return.
  if (reported_missing_argument_ == argument) return;
  reported_missing_argument_ = argument;
  const std::wstring text = Lang(L"LangFileNotFound") + L" " + argument;
  MessageBoxW(hwnd(), text.c_str(), AppTitle().c_str(), MB_OK | MB_ICONERROR);
}

void TForm1::ButtonBrowseClick() {
  if (!FileOpenDialogSorce.Execute(hwnd())) return;
  ClearIconResources();
  const std::wstring chosen = FileOpenDialogSorce.file_name;
  std::wstring source = chosen;
  if (LowerExtension(chosen) == L".lnk") {
    const std::wstring target = mainwindow::ResolveShortcut(chosen);
    if (IsModuleExtension(LowerExtension(target))) source = target;
  }
  AdoptSource(source);
}

void TForm1::OnDropFiles(HDROP drop) {
  struct Finish {
    HDROP drop;
    ~Finish() { DragFinish(drop); }  // on every path
  } finish{drop};
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  bool adopted = false;
  for (UINT i = 0; i < count && !adopted; ++i) {
    wchar_t buffer[MAX_PATH + 1] = {};
    DragQueryFileW(drop, i, buffer, MAX_PATH + 1);
    const std::wstring name(buffer);
    const std::wstring ext = LowerExtension(name);
    if (ext == L".lnk") {
      const std::wstring target = mainwindow::ResolveShortcut(name);
      if (!target.empty() && IsModuleExtension(LowerExtension(target))) {
        AdoptSource(target, false);
        adopted = true;
      }
    } else if (IsModuleExtension(ext)) {
      AdoptSource(name, false);
      adopted = true;
    }
  }
  if (adopted) FinishAdoption();
}

bool TForm1::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_DROPFILES:
      DefWindowProcW(hwnd(), msg, wp, lp);
      OnDropFiles(reinterpret_cast<HDROP>(wp));
      result = 0;
      return true;
    default:
      return false;
  }
}

// --- listing -----------------------------------------------------------------------

void TForm1::LoadIconsToListView(const std::wstring& exe_file) {
  listing_.Load(exe_file);
}

void TForm1::ClearIconResources() {
  listing_.Clear();
}

void TForm1::UpdateSaveIconMenu() {
  try {
    SaveIconMenu.SetEnabled(ListViewIcons.item_index() != -1);
  } catch (...) {
    // Errors of the list's click and selection handlers are of no interest.
  }
}

void TForm1::ListViewIconsClick() {
  UpdateSaveIconMenu();
}
void TForm1::ListViewIconsSelectItem() {
  UpdateSaveIconMenu();
}

// --- output folder -----------------------------------------------------------------

void TForm1::CheckBoxNoChangePathClick() {
  const bool ticked = CheckBoxNoChangePath.checked();
  ButtonBrowseFolder.SetEnabled(!ticked);
  EditPathExtract.SetTextValue(ToWide(settings::NoChangePathOutputFolder(
      ticked, FromWide(EditPathExtract.text()), FromWide(EditSorcePath.text()),
      FromWide(DefaultOutputFolder()))));
}

void TForm1::ButtonBrowseFolderClick() {
  const auto chosen =
      gui::PickFolder(hwnd(), Lang(L"LangSelectFolder"), platform::ExecutableFolder());
  if (chosen)
    EditPathExtract.SetTextValue(
        ToWide(settings::BrowsedOutputFolder(FromWide(*chosen), FromWide(EditSorcePath.text()))));
  ButtonAllZandrel.SetEnabled(true);
  SetDefaultButton(&ButtonAllZandrel);
  ButtonAllZandrel.SetFocus();
}

// --- saving and extracting ---------------------------------------------------------

void TForm1::SaveIconMenuClick() {
  const int row = ListViewIcons.item_index();
  if (row == -1) return;
  const int index = ParseDecimalInt32(FromWide(ListViewIcons.ItemText(row, 1))).value_or(-1);
  const std::u16string mask = FileSaveDialogIcon.file_types().empty()
                                  ? u""
                                  : FromWide(FileSaveDialogIcon.file_types()[0].mask);
  FileSaveDialogIcon.file_name =
      ToWide(icons::ProposedSaveFileName(FromWide(EditSorcePath.text()), index, mask));
  if (!FileSaveDialogIcon.Execute(hwnd())) return;
  const std::wstring path =
      ToWide(icons::CompleteSaveExtension(FromWide(FileSaveDialogIcon.file_name), mask));
  MainWindowHost host(*this);
  icons::ExtractIconByIndex(FromWide(EditSorcePath.text()), FromWide(path), index, host, host);
  MemoZandrel.AppendLine(Lang(L"LangSaved") + L" " + path);
}

void TForm1::ButtonAllZandrelClick() {
  MainWindowHost host(*this);
  icons::ExtractAllIconsWithProgress(FromWide(EditSorcePath.text()),
                                     FromWide(EditPathExtract.text()), host, host, host, host);
}

void TForm1::ButtonAllZandrelEnter() {
  ButtonAllZandrel.SetBold(true);
}
void TForm1::ButtonAllZandrelExit() {
  ButtonAllZandrel.SetBold(false);
}

// --- the general menu --------------------------------------------------------------

void TForm1::SpeedButton_GeneralMenuClick() {
  gui::Application& app = gui::Application::Instance();
  if (SpeedButton_GeneralMenu.allow_all_up) {
    SpeedButton_GeneralMenu.allow_all_up = false;
    app.ProcessMessages();
    // Below the button, right edges aligned: the title strip lies at the
    // window's client origin, so the button's place in it is a client point.
    const RECT button = SpeedButton_GeneralMenu.PixelBounds();
    POINT corner{button.right, button.bottom};
    ClientToScreen(hwnd(), &corner);
    PopupMenu_General.Popup(corner.x, corner.y);
  } else {
    SpeedButton_GeneralMenu.allow_all_up = true;
    EndMenu();
    app.ProcessMessages();
  }
}

void TForm1::FormMouseMove() {
  ResetGeneralMenuFlag();
}
void TForm1::MemoZandrelMouseMove() {
  ResetGeneralMenuFlag();
}

void TForm1::ThemeAutoClick() {
  ResetGeneralMenuFlag();
}
void TForm1::ThemeLightClick() {
  ResetGeneralMenuFlag();
}
void TForm1::ThemeDarkClick() {
  ResetGeneralMenuFlag();
}

void TForm1::EmbedFolderMenuClick() {}

void TForm1::CheckUpdateMenuClick() {
  ResetGeneralMenuFlag();
  Form10->ShowModal();
}

void TForm1::AboutMenuClick() {
  ResetGeneralMenuFlag();
  Form8->ShowModal();
}

}  // namespace zandrel
