#pragma once
// The main window TForm1: source file, output folder, the icon list, the log
// and the general menu.

#include <windows.h>
#include <shellapi.h>
#include <objidl.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/win32/controls.h"
#include "gui/win32/drop_target.h"
#include "gui/win32/form.h"
#include "gui/win32/image_list.h"
#include "gui/win32/list_view.h"
#include "gui/win32/menu.h"
#include "gui/win32/file_dialogs.h"
#include "icons/win32/icon_listing.h"
#include "platform/com.h"
#include "platform/run_temp_folder.h"
#include "settings/win32/settings_location.h"
#include "shellext/win32/context_menu.h"

namespace zandrel {

// What the main window reads of the rest of the program; the composition
// root (app/) fills these in.
struct MainWindowLinks {
  // The state of the update window's quick-update box, written with the
  // main window's settings.
  std::function<bool()> quick_update_checked;
  std::function<void()> show_about;
  std::function<void()> show_update;
  // The inspector for the group at a position of a module's list.
  std::function<void(const std::wstring& source, int position)> show_inspector;
  // The icon search window.
  std::function<void()> show_search;
};

class TForm1 : public gui::Form {
  // Declared first: the component references below are taken from the built window.
  gui::BuiltForm<TForm1> built_;

 public:
  // The window class a second copy finds the running one by, and the tag of
  // the WM_COPYDATA that hands it the second copy's first argument.
  static constexpr wchar_t kWindowClass[] = L"TForm1";
  static constexpr ULONG_PTR kHandedSourceTag = 0x5A44524C;
  // Posted to itself once a handed source has been taken in.
  static constexpr UINT kAdoptHandedSourceMessage = WM_APP + 20;
  // Posted to itself by a drop, to take it in once the drag has ended.
  static constexpr UINT kAdoptDroppedMessage = WM_APP + 21;

  TForm1(const settings::SettingsLocation& settings, MainWindowLinks links);
  ~TForm1() override;

  // --- offered to the rest of the program ---
  void LoadIconsToListView(const std::wstring& exe_file);
  void ClearIconResources();
  bool IsWindows10Or11() const;
  // The current text of one of this window's catalogue messages.
  std::wstring Lang(std::wstring_view entry) const { return CatalogueText(entry); }

  // Settings (file and portable mode).
  bool portable() const { return settings_.portable(); }
  // The settings file's path; creates its folder.
  std::wstring PortablePath() const { return settings_.PortablePath(); }
  void LoadNastr();
  void SaveNastr();
  // The size, place and maximised state the window had when it last closed.
  void LoadWindowPlacement();
  // The Explorer verb: its state is the presence of its registry keys.
  void RegisterContextMenu();
  void UnregisterContextMenu();
  void CheckAndSetRegistryForFileTypes();
  // At close: applies a change of the menu item the registry does not have yet.
  void SynchronizeContextMenu();
  // Tests put a verb of their own (one whose writes fail, say).
  void UseContextMenuVerb(std::unique_ptr<shellext::ContextMenuVerb> verb) {
    verb_ = std::move(verb);
  }

  // Languages: the menu of the language files, the cleanup of stale keys, and
  // the translation of every window; at start-up and after a choice.
  void LoadLanguage();
  void LanguageItemClick(gui::MenuItem& sender);
  void CleanTranslationsLikeGlobload();
  void Globload();
  // The language chosen last (a language file's base name; "" for none).
  const std::wstring& current_language() const { return current_language_; }
  // The folder the Language folder lies in (the program's; tests put theirs).
  std::wstring program_folder;

  // Adopts a source path: clears the listing, shows the path, derives the
  // output folder, lists the groups and enables extraction.
  void AdoptSource(const std::wstring& path, bool finish = true);
  // The last steps of an adoption: enable and focus extraction.
  void FinishAdoption();
  // The command-line source (run on activation when an argument is present).
  void CommandLineSource();
  // A source handed over by a second copy (its first argument; none when it
  // had none): the window comes to the front, restored when minimised, and
  // takes the argument exactly as a command-line source.
  void AdoptHandedSource(const std::optional<std::wstring>& argument);
  // An icon location ("module,-id" or "module,index"): its module is adopted
  // and the named group selected (a log line when there is none). False when
  // the text is no location of an existing module.
  bool AdoptLocation(const std::wstring& text);
  // Ctrl+V: a file copied in Explorer, a path or an icon location as text.
  void PasteSource();
  // What a paste or a drop names: the first acceptable of its files, or
  // else its text as a path or an icon location (one line).
  void AdoptNames(const gui::ClipboardNames& names);
  // The icon location of a row's group, as Windows writes it.
  std::wstring RowLocation(int row) const;

  const icons::IconListing& listing() const { return listing_; }
  // What a drag of these rows carries: their .ico files, written to this
  // run's temporary folder. Null when no row's group could be written.
  platform::ComPtr<IDataObject> IconFilesData(const std::vector<int>& rows);
  // Those .ico files' paths.
  std::vector<std::wstring> IconFiles(const std::vector<int>& rows);
  // This run's folder of files handed to other programs (removed with the window).
  platform::RunTempFolder& transfer_folder() { return transfer_folder_; }
  // Where the first command-line argument comes from (tests put their own).
  std::function<std::optional<std::wstring>()> command_line_argument;
  // The general-menu flag of the "≡" button.
  bool general_menu_flag() const { return SpeedButton_GeneralMenu.allow_all_up; }

  // --- components by name ---
  gui::TabStrip& TabControlTitle;
  gui::SpeedButton& SpeedButton_GeneralMenu;
  gui::Edit& EditSorcePath;
  gui::Button& ButtonBrowse;
  gui::Edit& EditPathExtract;
  gui::Button& ButtonBrowseFolder;
  gui::CheckBox& CheckBoxNoChangePath;
  gui::CheckBox& CheckBoxSavePath;
  gui::Button& ButtonAllZandrel;
  gui::ListView& ListViewIcons;
  gui::Memo& MemoZandrel;
  gui::ProgressBar& ProgressBarZandrel;
  gui::ImageList& ImageListIcons;
  gui::ImageList& ImageList1;
  gui::MenuItem& SaveIconMenu;
  gui::MenuItem& SavePngMenu;
  gui::MenuItem& SaveAllPngMenu;
  gui::MenuItem& CopyIconMenu;
  gui::MenuItem& CopyLocationMenu;
  gui::MenuItem& PropertiesMenu;
  gui::MenuItem& OpenFolderMenuIcons;
  gui::PopupMenu& PopupMenuIcons;
  gui::PopupMenu& PopupMenu_General;
  gui::MenuItem& ThemeMenu;
  gui::MenuItem& ThemeAuto;
  gui::MenuItem& ThemeLight;
  gui::MenuItem& ThemeDark;
  gui::MenuItem& LanguageMenu;
  gui::MenuItem& EmbedFolderMenu;
  gui::MenuItem& AllKindsMenu;
  gui::MenuItem& OpenFolderMenu;
  gui::FileDialog& FileOpenDialogSorce;
  gui::FileDialog& FileSaveDialogIcon;
  gui::FileDialog& FileSaveDialogAni;
  gui::FileDialog& FileSaveDialogPng;

  // --- handlers ---
  void FormCreate();
  void FormActivate();
  void FormClose();
  void FormDestroy();
  void FormMouseMove();
  void SpeedButton_GeneralMenuClick();
  void ButtonBrowseClick();
  void ButtonBrowseFolderClick();
  void CheckBoxNoChangePathClick();
  void ButtonAllZandrelClick();
  void ButtonAllZandrelEnter();
  void ButtonAllZandrelExit();
  void ListViewIconsClick();
  void ListViewIconsSelectItem();
  void ListViewIconsItemActivate();
  void SaveIconMenuClick();
  // The selected group to the clipboard: its .ico file (as a file in this
  // run's temporary folder), and its largest image as a bitmap and as PNG.
  void CopyIconMenuClick();
  // Dragging rows out drops one .ico file per row.
  void ListViewIconsBeginDrag();
  // The selected group's largest image as PNG through the save dialog, or
  // every image into a chosen folder.
  void SavePngMenuClick();
  void SaveAllPngMenuClick();
  // The inspector for the selected row (Alt+Enter, "Свойства...").
  void PropertiesMenuClick();
  // The selected groups' icon locations to the clipboard, one a line.
  void CopyLocationMenuClick();
  // Explorer on the output folder ("Открыть папку"), from either menu.
  void OpenFolderMenuClick();
  // Either menu opens: "Открыть папку" is on when the folder exists.
  void PopupMenuPopup();
  void MemoZandrelMouseMove();
  void UnCheckTheme();
  void ThemeAutoClick();
  void ThemeLightClick();
  void ThemeDarkClick();
  // The system's setting-change broadcast.
  void WMSettingChange();
  void EmbedFolderMenuClick();
  void AllKindsMenuClick();
  void CheckUpdateMenuClick();
  void AboutMenuClick();
  // "Поиск иконок…" (Ctrl+F): the search window.
  void SearchIconsMenuClick();

 protected:
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  // F10, and Enter or Space on the focused "≡" button, open the general menu.
  bool PreviewKey(const MSG& msg) override;

 private:
  // Gives the list the focus back when a handler that showed a dialog for
  // its row ends, however it ends: the row stays selected, and the next
  // Enter saves a row again instead of pressing the default button.
  class ListFocusOnExit {
   public:
    explicit ListFocusOnExit(TForm1& form) : form_(form) {}
    ~ListFocusOnExit() { form_.ListViewIcons.SetFocus(); }
    ListFocusOnExit(const ListFocusOnExit&) = delete;
    ListFocusOnExit& operator=(const ListFocusOnExit&) = delete;

   private:
    TForm1& form_;
  };

  void ResetGeneralMenuFlag() { SpeedButton_GeneralMenu.allow_all_up = true; }
  // The style the system preference asks for.
  void FollowSystemTheme();
  void UpdateSaveIconMenu();
  // "Сохранить иконку" for one row (its dialog), or several (a folder, the
  // names "Извлечь все" gives).
  void SaveRow(int row);
  // An animation's row: the resource, or the .ani file on show, written as it is.
  void SaveAnimation(int index);
  void SaveRowsIntoFolder(const std::vector<int>& rows);
  // "Сохранить как PNG" for several rows: each group's largest image.
  void SaveLargestPngsIntoFolder(const std::vector<int>& rows);
  // The folder for PNG files, starting at the output folder when it exists.
  std::optional<std::wstring> PickPngFolder();
  // The first module or shortcut to one among dropped or pasted files.
  void AdoptFirstAcceptable(const std::vector<std::wstring>& names);
  // The folder "Извлечь все" writes into, when it exists; empty otherwise.
  std::wstring OutputFolderOnDisk() const;
  // The group position a row shows in its "Индекс" column; -1 when none.
  int GroupIndexOfRow(int row) const;
  void OnDropFiles(HDROP drop);
  // WM_COPYDATA from a second copy: kept and taken after the sender is let go.
  bool TakeHandedSource(const COPYDATASTRUCT& data);
  // An existing file is adopted; a missing one is reported unless `once`
  // says it was reported before.
  void TakeSourceArgument(std::wstring argument, bool once);

  // Writes or removes the verb as the menu item says, and tells the shell.
  void ApplyContextMenuChoice();
  std::u16string LanguageSetting() const;
  // One switch at a time: a language chosen while a switch or a translation
  // is under way (messages run during a pass) waits for it to end, so the
  // windows end up in the language chosen last.
  void RunLanguageSwitches();
  void SwitchLanguage(const std::wstring& base_name);
  void TranslateAllWindows();

  const settings::SettingsLocation& settings_;
  MainWindowLinks links_;
  std::unique_ptr<shellext::ContextMenuVerb> verb_ = std::make_unique<shellext::ContextMenuVerb>();
  std::wstring current_language_;  // CurrentLanguage
  int language_busy_ = 0;
  std::optional<std::wstring> pending_language_;
  icons::IconListing listing_;
  bool prev_embed_menu_state_ = false;  // FPrevEmbedMenuState
  // The command-line argument whose missing file was already reported.
  std::wstring reported_missing_argument_;
  // Sources handed over by second copies, waiting for their posted message.
  std::vector<std::optional<std::wstring>> handed_sources_;
  // Files or text dropped through OLE, and what a drop names until its
  // posted message takes it in. The target is revoked as this object goes,
  // while the window still exists (the base class destroys it later).
  std::unique_ptr<gui::DropTarget> drop_target_;
  std::optional<gui::ClipboardNames> dropped_;
  bool command_line_taken_ = false;  // by the first activation
  // False while the source is a file the system does not open as a module:
  // "Извлечь все" stays off until a module lists.
  bool source_listable_ = true;
  // What the rows on show were read from (an .ani file's rows are its frames).
  icons::ContainerKind listed_kind_ = icons::ContainerKind::kPeModule;
  platform::RunTempFolder transfer_folder_;
};

}  // namespace zandrel
