// What the search window hands on of the selected groups: files, the
// clipboard, dragging out, locations, the export, the main window and the
// inspector.
#include <windows.h>

#include <algorithm>
#include <new>

#include "core/casefold.h"
#include "core/file_io.h"
#include "core/paths.h"
#include "core/text.h"
#include "gui/win32/data_transfer.h"
#include "gui/win32/message_box.h"
#include "icons/icon_location.h"
#include "icons/output_names.h"
#include "icons/png_export.h"
#include "platform/process.h"
#include "platform/wide.h"
#include "search/win32/search_window.h"

namespace zandrel {

using platform::FromWide;
using platform::ToWide;

namespace {

// `name` with its extension replaced ("x.ico" -> "x.png").
std::u16string WithExtension(const std::u16string& name, std::u16string_view extension) {
  const std::size_t dot = name.rfind(u'.');
  return (dot == std::u16string::npos ? name : name.substr(0, dot)) + std::u16string(extension);
}

// A name no other file of this save has.
std::u16string UniqueName(icons::RunOutputNames& names, const std::u16string& name) {
  const std::u16string chosen = names.Choose(name);
  names.MarkWritten(chosen);
  return chosen;
}

Bytes TextBytes(const std::wstring& text) {
  const std::u16string wide = FromWide(text) + u'\0';
  return Bytes(reinterpret_cast<const std::uint8_t*>(wide.data()),
               reinterpret_cast<const std::uint8_t*>(wide.data() + wide.size()));
}

}  // namespace

std::wstring TForm5::LocationOf(std::size_t group) const {
  const search::FoundGroup& found = results_.groups.at(group);
  const search::FoundModule& module = results_.modules.at(found.module);
  return ToWide(icons::FormatIconLocation(
      icons::PathWithLocationFolder(module.path, &platform::EnvironmentText), found.name,
      found.position));
}

void TForm5::OpenInMainMenuClick() {
  const std::vector<std::size_t> groups = SelectedGroups();
  const int focused = ListViewFound.focused_row();
  // The row with the focus among several, as Enter names one row.
  std::size_t group = groups.empty() ? 0 : groups[0];
  if (focused >= 0 && static_cast<std::size_t>(focused) < rows_.size() &&
      std::find(groups.begin(), groups.end(), rows_[static_cast<std::size_t>(focused)]) !=
          groups.end())
    group = rows_[static_cast<std::size_t>(focused)];
  if (groups.empty() || !links_.open_in_main) return;
  const search::FoundGroup& found = results_.groups[group];
  const search::FoundModule& module = results_.modules[found.module];
  // The main window lists icon groups: a cursor's module is opened alone.
  links_.open_in_main(ToWide(module.read_from),
                      found.cursor ? std::wstring()
                                   : ToWide(icons::FormatIconLocation(module.read_from, found.name,
                                                                      found.position)));
}

void TForm5::PropertiesMenuClick() {
  const std::vector<std::size_t> groups = SelectedGroups();
  if (groups.size() != 1 || !links_.show_inspector) return;
  const search::FoundGroup& found = results_.groups[groups[0]];
  if (found.cursor) return;
  links_.show_inspector(ToWide(results_.modules[found.module].read_from),
                        static_cast<int>(found.position));
}

void TForm5::SaveIcoMenuClick() {
  SaveSelection(false);
}

void TForm5::SavePngMenuClick() {
  SaveSelection(true);
}

void TForm5::SaveSelection(bool png) {
  const std::vector<std::size_t> groups = SelectedGroups();
  if (groups.empty()) return;
  const auto folder = PickFolder(Lang(L"LangSearchSaveFolder"));
  if (!folder) return;
  OutputFolder target(WithTrailingSeparator(FromWide(*folder)));
  icons::RunOutputNames names;
  std::size_t saved = 0;
  std::wstring failures;
  for (const std::size_t group : groups) {
    const search::FoundGroup& found = results_.groups[group];
    const search::FoundModule& module = results_.modules[found.module];
    const std::u16string file = search::SavedGroupFileName(module, found);
    const std::u16string name = UniqueName(names, png ? WithExtension(file, u".png") : file);
    try {
      const Bytes bytes = png ? search::LargestImagePng(module, found)
                              : search::GroupFileBytes(module, found);
      if (bytes.empty()) throw FileError(png ? u"no image decodes" : u"cannot be read");
      target.Write(name, bytes);
      ++saved;
    } catch (const FileError& error) {
      failures += L"\r\n" + ToWide(module.path) + L" " + ToWide(found.name) + L": " +
                  ToWide(error.message());
    }
  }
  LabelSearchStatus.SetCaption(Lang(L"LangSearchSaved") + L" " + std::to_wstring(saved));
  if (!failures.empty())
    gui::ShowMessageBox(hwnd(), Lang(L"LangSearchNotSaved") + failures, {}, MB_OK | MB_ICONWARNING);
}

std::vector<std::wstring> TForm5::TransferFiles(const std::vector<std::size_t>& groups) {
  icons::RunOutputNames names;
  std::vector<std::wstring> files;
  for (const std::size_t group : groups) {
    const search::FoundGroup& found = results_.groups[group];
    const search::FoundModule& module = results_.modules[found.module];
    const Bytes bytes = search::GroupFileBytes(module, found);
    if (bytes.empty()) continue;
    const std::u16string path = FromWide(transfer_folder_.Path()) +
                                UniqueName(names, search::SavedGroupFileName(module, found));
    WriteFileAtomically(path, bytes);
    files.push_back(ToWide(path));
  }
  return files;
}

void TForm5::CopyMenuClick() {
  const std::vector<std::size_t> groups = SelectedGroups();
  const std::vector<std::wstring> files = TransferFiles(groups);
  if (files.empty()) return;
  std::vector<gui::TransferItem> items;
  items.push_back({CF_HDROP, gui::FileDropBytes(files)});
  if (groups.size() == 1) {
    const search::FoundGroup& found = results_.groups[groups[0]];
    const Bytes png = search::LargestImagePng(results_.modules[found.module], found);
    if (const auto pixels = icons::DecodePng(png)) {
      items.push_back({CF_DIBV5, gui::DibV5Bytes(pixels->width, pixels->height, pixels->pixels)});
      items.push_back({gui::PngClipboardFormat(), png});
    }
  }
  if (!gui::PutOnClipboard(hwnd(), items))
    gui::ShowMessageBox(hwnd(), Lang(L"LangSearchClipboardBusy"), {}, MB_OK | MB_ICONWARNING);
}

void TForm5::ListViewFoundBeginDrag() {
  const std::vector<std::wstring> files = TransferFiles(SelectedGroups());
  if (files.empty()) return;
  const platform::ComPtr<IDataObject> data =
      gui::MakeDataObject({{CF_HDROP, gui::FileDropBytes(files)}});
  if (data) gui::DragOut(ListViewFound.hwnd(), data.get());
}

void TForm5::CopyLocationMenuClick() {
  std::wstring text;
  for (const std::size_t group : SelectedGroups())
    text += (text.empty() ? L"" : L"\r\n") + LocationOf(group);
  if (text.empty()) return;
  if (!gui::PutOnClipboard(hwnd(), {{CF_UNICODETEXT, TextBytes(text)}}))
    gui::ShowMessageBox(hwnd(), Lang(L"LangSearchClipboardBusy"), {}, MB_OK | MB_ICONWARNING);
}

void TForm5::ButtonExportClick() {
  if (rows_.empty()) return;
  FileSaveDialogExport.file_name = L"icons.html";
  if (!FileSaveDialogExport.Execute(hwnd())) return;
  std::u16string path = FromWide(FileSaveDialogExport.file_name);
  const std::u16string name = ExtractFileName(path);
  const std::size_t dot = name.rfind(u'.');
  const std::u16string extension = dot == std::u16string::npos ? u"" : name.substr(dot);
  // The kind follows the name's extension (the dialog's file type sets it).
  const bool csv = EqualsIgnoreCase(extension, u".csv");
  if (!csv && !EqualsIgnoreCase(extension, u".html") && !EqualsIgnoreCase(extension, u".htm"))
    path += u".html";
  std::string text;
  if (csv) {
    text = search::ExportCsv(results_, rows_);
  } else {
    const auto png_of = [this](std::size_t group) {
      const search::FoundGroup& found = results_.groups.at(group);
      return search::LargestImagePng(results_.modules.at(found.module), found);
    };
    text = search::ExportHtml(results_, rows_, png_of, FromWide(Lang(L"LangSearchExportTitle")));
  }
  WriteFileAtomically(path,
                      ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace zandrel
