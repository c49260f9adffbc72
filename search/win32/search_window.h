#pragma once
// The icon search TForm5: every icon and cursor group of every file under a
// folder in one list. The scan runs on a worker thread that hands each batch
// to the GUI thread; the window filters and sorts the rows at once, makes
// previews only for the rows on screen, and hands the selected groups on
// (files, the clipboard, dragging out, an export, the main window, the
// inspector). Made hidden at start-up and shown modeless, owned by the main
// window; its place, folder and options live in a settings section of its own.

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/win32/controls.h"
#include "gui/win32/file_dialogs.h"
#include "gui/win32/form.h"
#include "gui/win32/image_list.h"
#include "gui/win32/list_view.h"
#include "gui/win32/menu.h"
#include "platform/run_temp_folder.h"
#include "search/icon_search.h"
#include "search/win32/search_previews.h"
#include "settings/win32/settings_location.h"

namespace zandrel {

// What the search window reads of the rest of the program; the composition
// root (app/) fills these in.
struct SearchWindowLinks {
  // The main window takes the module and selects the group at the location
  // ("module,-id" or "module,position"; empty: the module alone).
  std::function<void(const std::wstring& module, const std::wstring& location)> open_in_main;
  // The inspector for the group at a position of a module's group list.
  std::function<void(const std::wstring& module, int position)> show_inspector;
};

class TForm5 : public gui::Form {
  gui::BuiltForm<TForm5> built_;

 public:
  TForm5(const settings::SettingsLocation& settings, SearchWindowLinks links);
  ~TForm5() override;

  // Shows the window (restoring its place and options the first time).
  void ShowSearch();
  std::wstring Lang(std::wstring_view entry) const { return CatalogueText(entry); }

  // --- what tests and the benchmark read ---
  bool scanning() const { return static_cast<bool>(job_); }
  const search::ScanResults& results() const { return results_; }
  // The groups of the rows on show, in list order (positions in results().groups).
  const std::vector<std::size_t>& rows() const { return rows_; }
  search::SearchFilter CurrentFilter() const;
  // The folder picker (tests put their own answer; nothing = cancelled).
  std::function<std::optional<std::wstring>(const std::wstring& title, const std::wstring& initial)>
      pick_folder;

  gui::Edit& EditSearchFolder;
  gui::Button& ButtonSearchBrowse;
  gui::Button& ButtonSearch;
  gui::Button& ButtonStopSearch;
  gui::CheckBox& CheckBoxSubfolders;
  gui::Edit& EditFilterText;
  gui::Edit& EditMinSize;
  gui::CheckBox& CheckBoxHas256;
  gui::CheckBox& CheckBoxHasPng;
  gui::CheckBox& CheckBoxIcons;
  gui::CheckBox& CheckBoxCursors;
  gui::ListView& ListViewFound;
  gui::ImageList& ImageListFound;
  gui::Button& ButtonOpenInMain;
  gui::Button& ButtonSaveIco;
  gui::Button& ButtonSavePng;
  gui::Button& ButtonExport;
  gui::Button& ButtonCloseSearch;
  gui::ProgressBar& ProgressBarSearch;
  gui::Button& ButtonUnreadable;
  gui::Label& LabelSearchStatus;
  gui::Memo& MemoUnreadable;
  gui::MenuItem& OpenInMainMenu;
  gui::MenuItem& SaveIcoMenu;
  gui::MenuItem& SavePngMenu;
  gui::MenuItem& CopyMenu;
  gui::MenuItem& CopyLocationMenu;
  gui::MenuItem& PropertiesMenu;
  gui::FileDialog& FileSaveDialogExport;
  // The file-kind boxes, in the order of search::SearchableExtensions().
  std::vector<gui::CheckBox*> kind_boxes;

  // --- handlers ---
  void FormClose();
  void ButtonSearchBrowseClick();
  void ButtonSearchClick();
  void ButtonStopSearchClick();
  void FilterChange();
  void ListViewFoundSelectItem();
  void ListViewFoundBeginDrag();
  void ListViewFoundColumnClick(int column);
  // Enter or a double-click on a row: the main window takes its module.
  void OpenInMainMenuClick();
  // Each selected group as .ico (.cur for a cursor) into a chosen folder.
  void SaveIcoMenuClick();
  // Each selected group's largest image as PNG into a chosen folder.
  void SavePngMenuClick();
  // The selected groups as .ico files on the clipboard (one group: also its
  // largest image as a bitmap and PNG).
  void CopyMenuClick();
  void CopyLocationMenuClick();
  void PropertiesMenuClick();
  void ButtonExportClick();
  void ButtonUnreadableClick();
  void ButtonCloseSearchClick();

 protected:
  // Esc closes, F5 searches, Alt+Enter on the list opens the inspector.
  bool PreviewKey(const MSG& msg) override;
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  struct Job;
  void StartScan();
  void StopScan();
  // A batch from the worker (GUI thread).
  void TakeBatch(search::ScanBatch&& batch);
  void ApplyFilter();
  void SortShownRows();
  void ShowRows(bool redraw_all);
  void ShowStatus();
  void UpdateCommands();
  std::wstring CellText(int row, int column) const;
  // The selected rows' groups, in list order.
  std::vector<std::size_t> SelectedGroups() const;
  void Reselect(const std::vector<std::size_t>& groups);
  std::optional<std::wstring> PickFolder(const std::wstring& title);
  // Each selected group into a folder the user picks: its .ico or .cur file,
  // or with `png` its largest image; what could not be written in one box.
  void SaveSelection(bool png);
  // The selected groups' .ico files in this run's temporary folder.
  std::vector<std::wstring> TransferFiles(const std::vector<std::size_t>& groups);
  std::wstring LocationOf(std::size_t group) const;
  void LoadSettings();
  void SaveSettings();

  const settings::SettingsLocation& settings_;
  SearchWindowLinks links_;
  search::ScanResults results_;
  std::vector<std::size_t> rows_;
  std::optional<search::SearchColumn> sort_column_;
  bool sort_ascending_ = true;
  std::shared_ptr<Job> job_;      // the scan under way, if any
  bool stopped_ = false;          // the last scan was stopped before its end
  bool quiet_selection_ = false;  // selection changes made by the window itself
  search::SearchPreviews previews_;
  bool placed_ = false;
  // This run's folder of files handed to other programs (the clipboard, drags).
  platform::RunTempFolder transfer_folder_;
  // Workers check it on the GUI thread before a step touches the window.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace zandrel
