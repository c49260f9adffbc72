// The search window's scan on its worker thread, and the list it fills:
// filters, sorting, the status line.
#include <algorithm>
#include <exception>
#include <new>
#include <thread>

#include "core/file_io.h"
#include "core/text.h"
#include "gui/win32/application.h"
#include "gui/win32/gui_thread.h"
#include "gui/win32/message_box.h"
#include "platform/wide.h"
#include "search/win32/search_window.h"

namespace zandrel {

using platform::FromWide;
using platform::ToWide;

// One scan: the worker keeps it alive as long as it runs, so the stop flag
// outlives the window if need be.
struct TForm5::Job {
  std::atomic<bool> stop{false};
};

void TForm5::ButtonSearchClick() {
  const std::wstring folder = EditSearchFolder.text();
  if (folder.empty() || !DirectoryExists(FromWide(folder))) {
    gui::ShowMessageBox(hwnd(), Lang(L"LangSearchNoFolder") + L" " + folder, {},
                        MB_OK | MB_ICONWARNING);
    EditSearchFolder.SetFocus();
    return;
  }
  StartScan();
}

void TForm5::ButtonStopSearchClick() {
  // The worker's last batch ends the scan on the screen.
  if (job_) job_->stop = true;
}

void TForm5::StopScan() {
  if (!job_) return;
  job_->stop = true;
  // Whatever the worker still hands over is not this window's any more.
  job_.reset();
  stopped_ = true;
  ButtonStopSearch.SetEnabled(false);
}

void TForm5::StartScan() {
  StopScan();
  search::SearchOptions options;
  options.folder = FromWide(EditSearchFolder.text());
  options.subfolders = CheckBoxSubfolders.checked();
  const auto& extensions = search::SearchableExtensions();
  for (std::size_t i = 0; i < extensions.size() && i < kind_boxes.size(); ++i)
    if (kind_boxes[i]->checked()) options.extensions.push_back(extensions[i]);
  results_ = {};
  rows_.clear();
  previews_.Clear();
  stopped_ = false;
  MemoUnreadable.Clear();
  ShowRows(true);
  ProgressBarSearch.SetRange(0, 1);
  ProgressBarSearch.SetPosition(0);
  ButtonStopSearch.SetEnabled(true);
  ShowStatus();
  UpdateCommands();
  if (placed_) SaveSettings();

  const auto job = std::make_shared<Job>();
  job_ = job;
  const std::weak_ptr<bool> alive = alive_;
  const gui::GuiHandOver handover = gui::Application::Instance().HandOver();
  std::thread([this, alive, handover, job, options = std::move(options)] {
    // Each step runs on the GUI thread, and only while the window exists
    // and this is still its scan.
    const auto mine = [&] {
      const auto living = alive.lock();
      return living && *living && job_ == job;
    };
    try {
      search::ScanFolder(options, job->stop, [&](search::ScanBatch&& batch) {
        handover.Run([&] {
          if (mine()) TakeBatch(std::move(batch));
        });
      });
    } catch (const std::exception& error) {
      const std::string what = error.what();
      try {
        handover.Run([&] {
          if (!mine()) return;
          StopScan();
          ShowStatus();
          gui::ShowMessageBox(hwnd(), ToWide(FromUtf8(what)), {}, MB_OK | MB_ICONERROR);
        });
      } catch (...) {
        // The window could not be told; the scan has ended all the same.
      }
    }
  }).detach();
}

void TForm5::TakeBatch(search::ScanBatch&& batch) {
  const bool finished = batch.finished;
  const std::vector<std::size_t> selected =
      sort_column_ ? SelectedGroups() : std::vector<std::size_t>();
  for (const search::UnreadableFile& file : batch.unreadable)
    MemoUnreadable.AppendLine(ToWide(file.path) + L" \u2014 " + ToWide(file.reason));
  const std::size_t first = results_.groups.size();
  results_.Add(std::move(batch));
  const search::SearchFilter filter = CurrentFilter();
  for (std::size_t i = first; i < results_.groups.size(); ++i) {
    const search::FoundGroup& group = results_.groups[i];
    if (group.module < results_.modules.size() &&
        search::Matches(group, results_.modules[group.module], filter))
      rows_.push_back(i);
  }
  if (sort_column_) {
    SortShownRows();
    ShowRows(true);
    Reselect(selected);
  } else {
    ShowRows(false);
  }
  ProgressBarSearch.SetRange(0, static_cast<int>(std::max<std::size_t>(results_.files_total, 1)));
  ProgressBarSearch.SetPosition(static_cast<int>(results_.files_scanned));
  if (finished) {
    stopped_ = job_ && job_->stop;
    job_.reset();
    ButtonStopSearch.SetEnabled(false);
  }
  ShowStatus();
  UpdateCommands();
}

void TForm5::FilterChange() {
  ApplyFilter();
}

void TForm5::ApplyFilter() {
  const std::vector<std::size_t> selected = SelectedGroups();
  rows_ = search::FilterRows(results_, CurrentFilter());
  SortShownRows();
  ShowRows(true);
  Reselect(selected);
  ShowStatus();
  UpdateCommands();
}

void TForm5::ListViewFoundColumnClick(int column) {
  static constexpr search::SearchColumn kColumns[] = {
      search::SearchColumn::kModule, search::SearchColumn::kModule,
      search::SearchColumn::kFolder, search::SearchColumn::kPosition,
      search::SearchColumn::kName,   search::SearchColumn::kImageCount,
      search::SearchColumn::kSizes,  search::SearchColumn::kLargest};
  if (column < 0 || static_cast<std::size_t>(column) >= std::size(kColumns)) return;
  const search::SearchColumn chosen = kColumns[column];
  // A second click on the same column turns the order round.
  sort_ascending_ = sort_column_ == chosen ? !sort_ascending_ : true;
  sort_column_ = chosen;
  const std::vector<std::size_t> selected = SelectedGroups();
  SortShownRows();
  ShowRows(true);
  Reselect(selected);
}

void TForm5::SortShownRows() {
  if (sort_column_) search::SortRows(rows_, results_, *sort_column_, sort_ascending_);
}

void TForm5::ShowRows(bool redraw_all) {
  ListViewFound.SetSourceRowCount(static_cast<int>(rows_.size()), redraw_all);
}

std::vector<std::size_t> TForm5::SelectedGroups() const {
  std::vector<std::size_t> groups;
  for (const int row : ListViewFound.selected_rows())
    if (row >= 0 && static_cast<std::size_t>(row) < rows_.size())
      groups.push_back(rows_[static_cast<std::size_t>(row)]);
  return groups;
}

void TForm5::Reselect(const std::vector<std::size_t>& groups) {
  const HWND list = ListViewFound.hwnd();
  // One update of the commands at the end, not one per row.
  quiet_selection_ = true;
  struct Loud {
    TForm5& form;
    ~Loud() { form.quiet_selection_ = false; }
  } loud{*this};
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
  if (groups.empty()) return;
  std::vector<bool> wanted(results_.groups.size(), false);
  for (const std::size_t group : groups)
    if (group < wanted.size()) wanted[group] = true;
  for (std::size_t row = 0; row < rows_.size(); ++row)
    if (wanted[rows_[row]])
      ListView_SetItemState(list, static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
}

std::wstring TForm5::CellText(int row, int column) const {
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return {};
  const search::FoundGroup& group = results_.groups[rows_[static_cast<std::size_t>(row)]];
  if (group.module >= results_.modules.size()) return {};
  const search::FoundModule& module = results_.modules[group.module];
  switch (column) {
    case 1:
      return ToWide(module.file_name);
    case 2:
      return ToWide(module.folder);
    case 3:
      return std::to_wstring(group.position);
    case 4:
      return ToWide(group.name);
    case 5:
      return std::to_wstring(group.image_count);
    case 6:
      return ToWide(group.sizes);
    case 7:
      return group.largest > 0 ? std::to_wstring(group.largest) + L" px" : std::wstring();
    default:
      return {};
  }
}

void TForm5::ShowStatus() {
  const auto number = [](std::size_t n) { return std::to_wstring(n); };
  std::wstring text = Lang(L"LangSearchScanned") + L" " + number(results_.files_scanned) + L" " +
                      Lang(L"LangSearchOf") + L" " + number(results_.files_total) + L" \u00B7 " +
                      Lang(L"LangSearchWithIcons") + L" " + number(results_.modules_with_groups()) +
                      L" \u00B7 " + Lang(L"LangSearchShown") + L" " + number(rows_.size()) + L" " +
                      Lang(L"LangSearchOf") + L" " + number(results_.groups.size()) + L" \u00B7 " +
                      Lang(L"LangSearchUnreadable") + L" " + number(results_.unreadable.size());
  if (stopped_) text += L" \u00B7 " + Lang(L"LangSearchStopped");
  LabelSearchStatus.SetCaption(text);
  ButtonUnreadable.SetEnabled(!results_.unreadable.empty());
}

void TForm5::ListViewFoundSelectItem() {
  if (!quiet_selection_) UpdateCommands();
}

void TForm5::UpdateCommands() {
  const std::vector<std::size_t> groups = SelectedGroups();
  const bool any = !groups.empty();
  for (gui::Button* button : {&ButtonOpenInMain, &ButtonSaveIco, &ButtonSavePng})
    button->SetEnabled(any);
  for (gui::MenuItem* item :
       {&OpenInMainMenu, &SaveIcoMenu, &SavePngMenu, &CopyMenu, &CopyLocationMenu})
    item->SetEnabled(any);
  // The inspector shows icon groups.
  PropertiesMenu.SetEnabled(groups.size() == 1 && !results_.groups[groups[0]].cursor);
  ButtonExport.SetEnabled(!rows_.empty());
}

void TForm5::ButtonUnreadableClick() {
  MemoUnreadable.SetVisible(!MemoUnreadable.visible());
  if (MemoUnreadable.visible()) MemoUnreadable.SetFocus();
}

}  // namespace zandrel
