// The main window's icon list, saving one group and extracting all.
#include <new>

#include "core/text.h"
#include "icons/extract_all.h"
#include "icons/ico_writer.h"
#include "icons/output_names.h"
#include "mainwindow/win32/main_window.h"
#include "mainwindow/win32/window_host.h"
#include "platform/wide.h"

namespace zandrel {

using platform::FromWide;
using platform::ToWide;

void TForm1::LoadIconsToListView(const std::wstring& exe_file) {
  listing_.Load(exe_file);
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
  icons::ExtractAllIconsWithProgress(FromWide(EditSorcePath.text()),
                                     FromWide(EditPathExtract.text()), host, host, host, host);
}

void TForm1::ButtonAllZandrelEnter() {
  ButtonAllZandrel.SetBold(true);
}
void TForm1::ButtonAllZandrelExit() {
  ButtonAllZandrel.SetBold(false);
}

}  // namespace zandrel
