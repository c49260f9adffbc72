// The main window's icon list, saving one group and extracting all.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <new>

#include "core/file_io.h"
#include "core/text.h"
#include "gui/win32/message_box.h"
#include "core/paths.h"
#include "icons/extract_all.h"
#include "icons/group_names.h"
#include "icons/ico_writer.h"
#include "icons/output_names.h"
#include "mainwindow/win32/main_window.h"
#include "mainwindow/win32/window_host.h"
#include "platform/errors.h"
#include "platform/handles.h"
#include "platform/process.h"
#include "platform/wide.h"

namespace zandrel {

using platform::FromWide;
using platform::ToWide;

namespace {

// Whether a new file can be made in the folder: a probe that the system
// deletes again when it is closed.
bool CanCreateFileIn(const std::wstring& folder) {
  const std::wstring probe = folder + L"~zandrel-write-test.tmp";
  const platform::UniqueFile file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                              nullptr));
  return static_cast<bool>(file);
}

}  // namespace

void TForm1::LoadIconsToListView(const std::wstring& exe_file) {
  const icons::IconListing::AniKinds ani_kinds{Lang(L"LangAniCursor"), Lang(L"LangAniIcon")};
  const icons::ListingResult result =
      listing_.Load(exe_file, AllKindsMenu.checked() ? &ani_kinds : nullptr);
  listed_kind_ = result.kind;
  const bool listable = result.opened || !FileExists(FromWide(exe_file));
  // The message about a file that was no module goes with the next source.
  if (listable && !source_listable_) MemoZandrel.Clear();
  source_listable_ = listable;
  if (result.own_reader) MemoZandrel.AppendLine(Lang(L"LangOwnReader") + L" " + exe_file);
  if (source_listable_) return;
  // A file the system does not take as a module says so at once, in place
  // of the previous source's log, instead of leaving an empty list.
  MemoZandrel.Clear();
  MemoZandrel.AppendLine(Lang(L"LangNotAModule") + L" " + exe_file);
  // The system's words may name the file where they say "%1".
  std::wstring reason = platform::SystemErrorText(result.error);
  if (const std::size_t at = reason.find(L"%1"); at != std::wstring::npos)
    reason.replace(at, 2, exe_file);
  MemoZandrel.AppendLine(reason);
}

void TForm1::ClearIconResources() {
  listing_.Clear();
}

void TForm1::AllKindsMenuClick() {
  // An auto-check item: the tick has already changed; the list follows it.
  const std::wstring source = EditSorcePath.text();
  if (!source.empty() && FileExists(FromWide(source))) LoadIconsToListView(source);
}

void TForm1::UpdateSaveIconMenu() {
  try {
    const int row = ListViewIcons.item_index();
    const bool selected = row != -1;
    SaveIconMenu.SetEnabled(selected);
    // An animation is saved whole; the group commands take icon groups only.
    const bool group = selected && !listing_.AniRowAt(static_cast<std::size_t>(
                                       std::max(GroupIndexOfRow(row), 0)));
    for (gui::MenuItem* item :
         {&SavePngMenu, &SaveAllPngMenu, &CopyIconMenu, &CopyLocationMenu, &PropertiesMenu})
      item->SetEnabled(group);
  } catch (const std::bad_alloc&) {
    throw;
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
// Enter or a double-click on a row saves that one row's group, as the list's
// context menu does for one row, whatever else is selected.
void TForm1::ListViewIconsItemActivate() {
  const int row =
      ListViewIcons.focused_row() >= 0 ? ListViewIcons.focused_row() : ListViewIcons.item_index();
  if (SaveIconMenu.enabled() && row >= 0) SaveRow(row);
}

int TForm1::GroupIndexOfRow(int row) const {
  return ParseDecimalInt32(FromWide(ListViewIcons.ItemText(row, 1))).value_or(-1);
}

void TForm1::SaveIconMenuClick() {
  const std::vector<int> rows = ListViewIcons.selected_rows();
  if (rows.size() > 1) {
    SaveRowsIntoFolder(rows);
  } else if (rows.size() == 1) {
    SaveRow(rows[0]);
  }
}

void TForm1::SaveRowsIntoFolder(const std::vector<int>& rows) {
  const ListFocusOnExit focus_back(*this);
  const std::wstring output = EditPathExtract.text();
  const auto folder =
      gui::PickFolder(hwnd(), Lang(L"LangSelectFolder"),
                      DirectoryExists(FromWide(output)) ? output : platform::ExecutableFolder());
  if (!folder) return;
  // Each group under the name "Извлечь все" gives it, replacing a file of
  // that name as a run does; what cannot be written is logged, the rest is.
  MainWindowHost host(*this);
  const std::u16string source = FromWide(EditSorcePath.text());
  const icons::OpenedModule opened = host.OpenModule(source);
  if (!opened.module) {
    MemoZandrel.AppendLine(Lang(L"LangERRORFailedLoadFile") + L" " + EditSorcePath.text());
    return;
  }
  const std::vector<std::u16string> groups = icons::CollectGroupNames(*opened.module);
  icons::RunOutputNames names;
  icons::OutputBudget budget = icons::OutputBudget::ForModuleOfSize(FileSize(source).value_or(0));
  OutputFolder target_folder(WithTrailingSeparator(FromWide(*folder)));
  for (const int row : rows) {
    const int index = GroupIndexOfRow(row);
    if (index < 0 || static_cast<std::size_t>(index) >= groups.size()) continue;
    const std::u16string& group = groups[static_cast<std::size_t>(index)];
    const std::u16string file_name = names.Choose(icons::GroupOutputFileName(group));
    const std::u16string path = target_folder.path() + file_name;
    // Log mode narrates each file and each problem, as "Извлечь все" does.
    if (icons::WriteIconGroupFile(*opened.module, group, path, icons::WriteMode::kLog, host, &host,
                                  &budget, &target_folder))
      names.MarkWritten(file_name);
  }
}

void TForm1::SaveAnimation(int index) {
  const std::wstring source = EditSorcePath.text();
  const icons::IconListing::AniRow* ani = listing_.AniRowAt(static_cast<std::size_t>(index));
  const std::u16string base = ExtractFileName(FromWide(source));
  const std::u16string stem = base.substr(0, std::min(base.size(), base.rfind(u'.')));
  FileSaveDialogAni.file_name =
      ani ? ToWide(icons::ProposedSaveFileName(FromWide(source), index, u"*.ani")) : ToWide(stem + u".ani");
  if (!FileSaveDialogAni.Execute(hwnd())) return;
  const std::wstring path =
      ToWide(icons::CompleteSaveExtension(FromWide(FileSaveDialogAni.file_name), u"*.ani"));
  try {
    if (ani) {
      const icons::ResourceModule* module = listing_.module();
      const icons::ResourceData data =
          module ? module->Lookup(ani->type, ani->name) : icons::ResourceData{};
      if (!data.found()) throw FileError(FromWide(Lang(L"LangErrorLoadingResource")));
      WriteFileAtomically(FromWide(path), data.bytes);
    } else {
      const auto bytes = ReadFileBytes(FromWide(source));
      if (!bytes) throw FileError(FromWide(Lang(L"LangERRORFailedLoadFile")));
      WriteFileAtomically(FromWide(path), *bytes);
    }
  } catch (const FileError& error) {
    MemoZandrel.AppendLine(Lang(L"LangSavingError") + L" " + path + L" " + ToWide(error.message()));
    return;
  }
  MemoZandrel.AppendLine(Lang(L"LangSaved") + L" " + path);
}

void TForm1::SaveRow(int row) {
  const ListFocusOnExit focus_back(*this);
  const int index = GroupIndexOfRow(row);
  // An animation is written as it is: the resource, or the .ani file on show.
  if (listed_kind_ == icons::ContainerKind::kAniFile ||
      (index >= 0 && listing_.AniRowAt(static_cast<std::size_t>(index)))) {
    SaveAnimation(index);
    return;
  }
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
  const icons::ExtractAllResult result = icons::ExtractAllIconsWithProgress(
      FromWide(EditSorcePath.text()), FromWide(EditPathExtract.text()), host, host, host, host);
  if (result.written > 0) {
    // Where the files went: the command that opens the folder.
    MemoZandrel.AppendLine(Lang(L"LangOpenFolderHint") + L" \u00AB" + OpenFolderMenu.caption() +
                           L"\u00BB");
    MemoZandrel.ScrollToEnd();
  }
  // A folder the user cannot write to must not end in silence: the log
  // keeps its lines, and another folder can be chosen for the next run.
  // Groups that could not be read (a damaged module) are the log's matter.
  const bool unwritable = result.folder_failed || (result.groups > 0 && result.written == 0 &&
                                                   !CanCreateFileIn(ToWide(result.folder)));
  if (!unwritable) return;
  const std::wstring text = Lang(L"LangCannotWriteFolder") + L"\r\n" + ToWide(result.folder) +
                            L"\r\n\r\n" + Lang(L"LangChooseAnotherFolder");
  if (gui::ShowMessageBox(hwnd(), text, {}, MB_YESNO | MB_ICONWARNING) == IDYES)
    ButtonBrowseFolderClick();
}

void TForm1::PropertiesMenuClick() {
  const int row =
      ListViewIcons.focused_row() >= 0 ? ListViewIcons.focused_row() : ListViewIcons.item_index();
  if (row < 0 || !links_.show_inspector) return;
  links_.show_inspector(EditSorcePath.text(), GroupIndexOfRow(row));
}

void TForm1::OpenFolderMenuClick() {
  ResetGeneralMenuFlag();
  const std::wstring folder = OutputFolderOnDisk();
  if (folder.empty()) return;
  ShellExecuteW(hwnd(), L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::wstring TForm1::OutputFolderOnDisk() const {
  const std::u16string source = FromWide(EditSorcePath.text());
  const std::u16string output = FromWide(EditPathExtract.text());
  if (source.empty() && output.empty()) return {};
  // The folder "Извлечь все" writes into: the field's, or beside the source.
  const std::u16string folder = icons::ExtractAllTargetFolder(source, output);
  return DirectoryExists(folder) ? ToWide(folder) : std::wstring();
}

void TForm1::PopupMenuPopup() {
  const bool exists = !OutputFolderOnDisk().empty();
  OpenFolderMenu.SetEnabled(exists);
  OpenFolderMenuIcons.SetEnabled(exists);
}

void TForm1::ButtonAllZandrelEnter() {
  ButtonAllZandrel.SetBold(true);
}
void TForm1::ButtonAllZandrelExit() {
  ButtonAllZandrel.SetBold(false);
}

}  // namespace zandrel
