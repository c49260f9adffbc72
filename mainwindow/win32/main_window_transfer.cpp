// What the main window hands on of a group besides "Сохранить иконку": the
// clipboard, dragging rows out, and its images as PNG files.
#include <windows.h>

#include <optional>
#include <unordered_set>

#include "core/file_io.h"
#include "core/paths.h"
#include "gui/win32/data_transfer.h"
#include "gui/win32/file_dialogs.h"
#include "gui/win32/message_box.h"
#include "icons/group_names.h"
#include "icons/ico_writer.h"
#include "icons/output_names.h"
#include "icons/png_export.h"
#include "mainwindow/win32/main_window.h"
#include "mainwindow/win32/window_host.h"
#include "platform/process.h"
#include "platform/wide.h"

namespace zandrel {

using platform::FromWide;
using platform::ToWide;

namespace {

// The group at a position of the source's group list, with its module open.
struct SourceGroup {
  icons::OpenedModule opened;
  std::u16string name;
  icons::ResourceData directory;
};

// Null when the source is gone (reported as saving reports it), cannot be
// opened or holds no group at `index`; the directory may be unreadable.
std::optional<SourceGroup> OpenSourceGroup(std::u16string_view source, int index,
                                           MainWindowHost& host) {
  if (!FileExists(source)) {
    host.ShowMessage(host.Text(u"LangFileNotFound") + u" " + std::u16string(source));
    return std::nullopt;
  }
  SourceGroup group;
  group.opened = host.OpenModule(source);
  if (!group.opened.module) return std::nullopt;
  const std::vector<std::u16string> names = icons::CollectGroupNames(*group.opened.module);
  if (index < 0 || static_cast<std::size_t>(index) >= names.size()) return std::nullopt;
  group.name = names[static_cast<std::size_t>(index)];
  if (const auto id = icons::ResourceIdForWriting(group.name))
    group.directory = group.opened.module->Lookup(icons::kRtGroupIcon, *id);
  return group;
}

// A name GroupOutputFileName made holds no separator; checked once more
// before a file is written into the chosen folder all the same.
bool IsPlainFileName(std::u16string_view name) {
  if (name.empty() || name == u"." || name == u"..") return false;
  for (char16_t c : name)
    if (IsPathDelimiter(c) || c < u' ') return false;
  return true;
}

// Writes the group as "Сохранить иконку" would, into the window's transfer
// folder under the name the save dialog proposes; the file's path, or ""
// when it was not written. Silent, as saving one group is: a bad name or a
// file that would be too large raises its message, a failed write its
// system error.
std::wstring WriteTransferIcon(TForm1& form, const SourceGroup& group, int index) {
  MainWindowHost host(form);
  const std::u16string path =
      FromWide(form.transfer_folder().Path()) +
      icons::ProposedSaveFileName(FromWide(form.EditSorcePath.text()), index, icons::kIconFileMask);
  if (!icons::WriteIconGroupFile(*group.opened.module, group.name, path, icons::WriteMode::kSilent,
                                 host, nullptr)) {
    form.MemoZandrel.AppendLine(form.Lang(L"LangSavingError") + L" " + ToWide(group.name));
    return {};
  }
  return ToWide(path);
}

}  // namespace

void TForm1::CopyIconMenuClick() {
  const std::vector<int> rows = ListViewIcons.selected_rows();
  if (rows.size() > 1) {
    // Several rows: one .ico file each, as dragging them carries.
    const std::vector<std::wstring> files = IconFiles(rows);
    if (files.empty()) return;
    if (!gui::PutOnClipboard(hwnd(), {{CF_HDROP, gui::FileDropBytes(files)}})) {
      gui::ShowMessageBox(hwnd(), Lang(L"LangClipboardBusy"), {}, MB_OK | MB_ICONWARNING);
      return;
    }
    for (const std::wstring& file : files)
      MemoZandrel.AppendLine(Lang(L"LangCopied") + L" " + file);
    return;
  }
  if (rows.empty()) return;
  const int row = rows[0];
  const int index = GroupIndexOfRow(row);
  MainWindowHost host(*this);
  const auto group = OpenSourceGroup(FromWide(EditSorcePath.text()), index, host);
  if (!group) return;
  const std::wstring ico = WriteTransferIcon(*this, *group, index);
  if (ico.empty()) return;
  std::vector<gui::TransferItem> items;
  items.push_back({CF_HDROP, gui::FileDropBytes({ico})});
  if (const auto picture =
          icons::LargestGroupImage(group->directory.bytes, *group->opened.module)) {
    items.push_back({CF_DIBV5, gui::DibV5Bytes(picture->pixels.width, picture->pixels.height,
                                               picture->pixels.pixels)});
    items.push_back({gui::PngClipboardFormat(), picture->png});
  }
  if (!gui::PutOnClipboard(hwnd(), items)) {
    gui::ShowMessageBox(hwnd(), Lang(L"LangClipboardBusy"), {}, MB_OK | MB_ICONWARNING);
    return;
  }
  MemoZandrel.AppendLine(Lang(L"LangCopied") + L" " + ico);
}

std::vector<std::wstring> TForm1::IconFiles(const std::vector<int>& rows) {
  MainWindowHost host(*this);
  const std::u16string source = FromWide(EditSorcePath.text());
  std::vector<std::wstring> files;
  for (int row : rows) {
    const int index = GroupIndexOfRow(row);
    const auto group = OpenSourceGroup(source, index, host);
    if (!group) continue;
    const std::wstring ico = WriteTransferIcon(*this, *group, index);
    if (!ico.empty()) files.push_back(ico);
  }
  return files;
}

platform::ComPtr<IDataObject> TForm1::IconFilesData(const std::vector<int>& rows) {
  const std::vector<std::wstring> files = IconFiles(rows);
  if (files.empty()) return {};
  std::vector<gui::TransferItem> items;
  items.push_back({CF_HDROP, gui::FileDropBytes(files)});
  return gui::MakeDataObject(std::move(items));
}

void TForm1::ListViewIconsBeginDrag() {
  const platform::ComPtr<IDataObject> data = IconFilesData(ListViewIcons.selected_rows());
  if (data) gui::DragOut(ListViewIcons.hwnd(), data.get());
}

void TForm1::SavePngMenuClick() {
  const std::vector<int> rows = ListViewIcons.selected_rows();
  if (rows.size() > 1) {
    SaveLargestPngsIntoFolder(rows);
    return;
  }
  if (rows.empty()) return;
  const int row = rows[0];
  const ListFocusOnExit focus_back(*this);
  const int index = GroupIndexOfRow(row);
  const std::u16string source = FromWide(EditSorcePath.text());
  const std::u16string mask = FromWide(FileSaveDialogPng.file_types().at(0).mask);
  FileSaveDialogPng.file_name = ToWide(icons::ProposedSaveFileName(source, index, mask));
  if (!FileSaveDialogPng.Execute(hwnd())) return;
  const std::u16string path =
      icons::CompleteSaveExtension(FromWide(FileSaveDialogPng.file_name), mask);
  MainWindowHost host(*this);
  const auto group = OpenSourceGroup(source, index, host);
  if (!group) return;
  const auto picture = icons::LargestGroupImage(group->directory.bytes, *group->opened.module);
  if (!picture) {
    host.ShowMessage(host.Text(u"LangNoImages") + u" " + group->name);
    return;
  }
  WriteFileAtomically(path, picture->png);
  MemoZandrel.AppendLine(Lang(L"LangSaved") + L" " + ToWide(path));
}

std::optional<std::wstring> TForm1::PickPngFolder() {
  const std::wstring output = EditPathExtract.text();
  return gui::PickFolder(hwnd(), Lang(L"LangSelectPngFolder"),
                         DirectoryExists(FromWide(output)) ? output : platform::ExecutableFolder());
}

void TForm1::SaveLargestPngsIntoFolder(const std::vector<int>& rows) {
  const ListFocusOnExit focus_back(*this);
  const auto folder = PickPngFolder();
  if (!folder) return;
  MainWindowHost host(*this);
  const std::u16string source = FromWide(EditSorcePath.text());
  const std::u16string target_folder = WithTrailingSeparator(FromWide(*folder));
  for (const int row : rows) {
    const int index = GroupIndexOfRow(row);
    const auto group = OpenSourceGroup(source, index, host);
    if (!group) continue;
    const auto picture = icons::LargestGroupImage(group->directory.bytes, *group->opened.module);
    if (!picture) {
      MemoZandrel.AppendLine(Lang(L"LangNoImages") + L" " + ToWide(group->name));
      continue;
    }
    // Named as the save dialog proposes one group's picture.
    const std::u16string path =
        target_folder + icons::ProposedSaveFileName(source, index, u"*.png");
    try {
      WriteFileAtomically(path, picture->png);
      MemoZandrel.AppendLine(Lang(L"LangSaved") + L" " + ToWide(path));
    } catch (const FileError& error) {
      MemoZandrel.AppendLine(Lang(L"LangErrorSaving") + L" " + ToWide(error.message()));
    }
  }
}

void TForm1::CopyLocationMenuClick() {
  const std::vector<int> rows = ListViewIcons.selected_rows();
  if (rows.empty()) return;
  std::wstring text;
  for (const int row : rows) text += (text.empty() ? L"" : L"\r\n") + RowLocation(row);
  const std::u16string wide = FromWide(text) + u'\0';
  if (!gui::PutOnClipboard(
          hwnd(), {{CF_UNICODETEXT,
                    Bytes(reinterpret_cast<const std::uint8_t*>(wide.data()),
                          reinterpret_cast<const std::uint8_t*>(wide.data() + wide.size()))}})) {
    gui::ShowMessageBox(hwnd(), Lang(L"LangClipboardBusy"), {}, MB_OK | MB_ICONWARNING);
    return;
  }
  MemoZandrel.AppendLine(Lang(L"LangCopied") + L" " + text);
}

void TForm1::SaveAllPngMenuClick() {
  const int row = ListViewIcons.item_index();
  if (row == -1) return;
  const ListFocusOnExit focus_back(*this);
  const int index = GroupIndexOfRow(row);
  const auto folder = PickPngFolder();
  if (!folder) return;
  MainWindowHost host(*this);
  const std::u16string source = FromWide(EditSorcePath.text());
  const auto group = OpenSourceGroup(source, index, host);
  if (!group) return;
  // What one group may write, bounded as "Извлечь все" bounds a whole run.
  const std::uint64_t limit =
      icons::OutputBudget::ForModuleOfSize(FileSize(source).value_or(0)).left;
  bool limited = false;
  const std::vector<icons::PngImage> images = icons::GroupPngImages(
      group->directory.bytes, *group->opened.module, 0, nullptr, limit, &limited);
  if (limited) MemoZandrel.AppendLine(Lang(L"LangGroupTooLarge") + L" " + ToWide(group->name));
  if (images.empty() && !limited) {
    host.ShowMessage(host.Text(u"LangNoImages") + u" " + group->name);
    return;
  }
  // Each file on its own: one that cannot be written is logged and the
  // others are still written, as in "Извлечь все".
  std::unordered_set<std::u16string> taken;
  const std::u16string target_folder = WithTrailingSeparator(FromWide(*folder));
  for (const icons::PngImage& image : images) {
    const std::u16string name = icons::PngImageFileName(group->name, image, taken);
    if (!IsPlainFileName(name)) continue;
    const std::u16string path = target_folder + name;
    try {
      WriteFileAtomically(path, image.png);
      MemoZandrel.AppendLine(Lang(L"LangSaved") + L" " + ToWide(path));
    } catch (const FileError& error) {
      MemoZandrel.AppendLine(Lang(L"LangErrorSaving") + L" " + ToWide(error.message()));
    }
  }
}

}  // namespace zandrel
