// The main window's icon list, saving one group and extracting all.
#include <windows.h>
#include <shellapi.h>

#include <new>

#include "core/file_io.h"
#include "core/text.h"
#include "gui/win32/message_box.h"
#include "icons/extract_all.h"
#include "icons/ico_writer.h"
#include "icons/output_names.h"
#include "mainwindow/win32/main_window.h"
#include "mainwindow/win32/window_host.h"
#include "platform/errors.h"
#include "platform/handles.h"
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
  const icons::ListingResult result = listing_.Load(exe_file);
  const bool listable = result.opened || !FileExists(FromWide(exe_file));
  // The message about a file that was no module goes with the next source.
  if (listable && !source_listable_) MemoZandrel.Clear();
  source_listable_ = listable;
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

void TForm1::UpdateSaveIconMenu() {
  try {
    const bool selected = ListViewIcons.item_index() != -1;
    for (gui::MenuItem* item : {&SaveIconMenu, &SavePngMenu, &SaveAllPngMenu, &CopyIconMenu})
      item->SetEnabled(selected);
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
// Enter or a double-click on a row saves that row's group, as the list's
// context menu does.
void TForm1::ListViewIconsItemActivate() {
  if (SaveIconMenu.enabled()) SaveIconMenuClick();
}

int TForm1::GroupIndexOfRow(int row) const {
  return ParseDecimalInt32(FromWide(ListViewIcons.ItemText(row, 1))).value_or(-1);
}

void TForm1::SaveIconMenuClick() {
  const int row = ListViewIcons.item_index();
  if (row == -1) return;
  const ListFocusOnExit focus_back(*this);
  const int index = GroupIndexOfRow(row);
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
