// The main window's sources (dialog, drop, command line) and its output folder.
#include <windows.h>
#include <shellapi.h>

#include "core/casefold.h"
#include "core/file_io.h"
#include "core/paths.h"
#include "core/text.h"
#include "gui/win32/application.h"
#include "gui/win32/data_transfer.h"
#include "gui/win32/message_box.h"
#include "icons/icon_location.h"
#include "mainwindow/win32/main_window.h"
#include "mainwindow/win32/main_window_parts.h"
#include "mainwindow/win32/shortcut_resolver.h"
#include "platform/handles.h"
#include "platform/process.h"
#include "platform/wide.h"
#include "settings/settings_rules.h"

namespace zandrel {

using platform::FromWide;
using platform::ToWide;

namespace {

std::wstring LowerExtension(const std::wstring& path) {
  return ToWide(AsciiLower(ExtractFileExt(FromWide(path))));
}

// What a drop or a shortcut may name as a source: modules, and the icon
// files and libraries the window reads itself.
bool IsModuleExtension(const std::wstring& ext) {
  for (const wchar_t* known : {L".exe", L".dll", L".icl", L".ico", L".cur", L".ani"})
    if (ext == known) return true;
  return false;
}

bool IsExistingFile(const std::wstring& path) {
  return FileExists(FromWide(path));
}

}  // namespace

std::wstring TForm1::RowLocation(int row) const {
  const int index = GroupIndexOfRow(row);
  return ToWide(icons::FormatIconLocation(
      icons::PathWithLocationFolder(FromWide(EditSorcePath.text()), &platform::EnvironmentText),
      FromWide(ListViewIcons.ItemText(row, 2)), static_cast<std::size_t>(std::max(index, 0))));
}

bool TForm1::AdoptLocation(const std::wstring& text) {
  const auto location = icons::ParseIconLocation(FromWide(text));
  if (!location) return false;
  const std::wstring module = ToWide(
      icons::ResolveLocationModule(location->module, &platform::EnvironmentText,
                                   [](const std::u16string& path) { return FileExists(path); }));
  if (!IsExistingFile(module)) return false;
  // The module on show already: only the group changes.
  const bool listed = listing_.module() != nullptr &&
                      UpperCase(FromWide(EditSorcePath.text())) == UpperCase(FromWide(module));
  if (!listed) AdoptSource(module);
  std::vector<std::u16string> groups;
  for (int row = 0; row < ListViewIcons.item_count(); ++row)
    groups.push_back(FromWide(ListViewIcons.ItemText(row, 2)));
  const auto row = icons::GroupOfLocation(groups, location->value);
  if (!row) {
    MemoZandrel.AppendLine(Lang(L"LangLocationNoGroup") + L" " + text);
    return true;
  }
  ListViewIcons.SetItemIndex(static_cast<int>(*row));
  ListViewIcons.ScrollIntoView(static_cast<int>(*row));
  UpdateSaveIconMenu();
  return true;
}

void TForm1::PasteSource() {
  AdoptNames(gui::ReadClipboardNames(hwnd()));
}

void TForm1::AdoptNames(const gui::ClipboardNames& names) {
  if (!names.files.empty()) {
    AdoptFirstAcceptable(names.files);
    return;
  }
  std::wstring text = names.text;
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
    text.pop_back();
  if (text.empty() || text.find_first_of(L"\r\n") != std::wstring::npos) return;
  if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"')
    text = text.substr(1, text.size() - 2);
  if (IsExistingFile(text)) {
    AdoptSource(text);
  } else {
    AdoptLocation(text);
  }
}

void TForm1::AdoptSource(const std::wstring& path, bool finish) {
  ClearIconResources();
  EditSorcePath.SetTextValue(path);
  EditPathExtract.SetTextValue(ToWide(settings::NewSourceOutputFolder(
      FromWide(path), CheckBoxNoChangePath.checked(), FromWide(mainwindow::DefaultOutputFolder()))));
  LoadIconsToListView(path);
  if (finish) FinishAdoption();
}

void TForm1::FinishAdoption() {
  gui::Application::Instance().ProcessMessages();
  const std::wstring source = EditSorcePath.text();
  if (source.empty() || !IsExistingFile(source)) return;
  ButtonBrowseFolder.SetEnabled(!CheckBoxNoChangePath.checked());
  if (!source_listable_) {
    // Not a module: nothing to extract, whatever the previous source allowed.
    ButtonAllZandrel.SetEnabled(false);
    return;
  }
  ButtonAllZandrel.SetEnabled(true);
  SetDefaultButton(&ButtonAllZandrel);
  ButtonAllZandrel.SetFocus();
}

void TForm1::CommandLineSource() {
  // Closing the message box activates this window again, which runs this
  // step again: the message is shown once for an argument, not on every return.
  TakeSourceArgument(command_line_argument().value_or(L""), true);
}

void TForm1::TakeSourceArgument(std::wstring argument, bool once) {
  if (argument.empty()) return;
  if (argument.size() >= 2 && argument.front() == L'"' && argument.back() == L'"')
    argument = argument.substr(1, argument.size() - 2);
  if (IsExistingFile(argument)) {
    AdoptSource(argument);
    return;
  }
  // An icon location ("%SystemRoot%\System32\shell32.dll,-8") names its module.
  if (AdoptLocation(argument)) return;
  if (once && reported_missing_argument_ == argument) return;
  reported_missing_argument_ = argument;
  gui::ShowMessageBox(hwnd(), Lang(L"LangFileNotFound") + L" " + argument, {},
                      MB_OK | MB_ICONERROR);
}

bool TForm1::TakeHandedSource(const COPYDATASTRUCT& data) {
  // Only what a second copy sends: a path's characters, nothing longer than
  // the longest path the system takes, no terminator inside.
  constexpr DWORD kMaxBytes = 32767 * sizeof(wchar_t);
  constexpr std::size_t kMaxWaiting = 16;
  if (data.dwData != kHandedSourceTag || data.cbData % sizeof(wchar_t) != 0 ||
      data.cbData > kMaxBytes || (data.cbData && !data.lpData) ||
      handed_sources_.size() >= kMaxWaiting)
    return false;
  std::optional<std::wstring> argument;
  if (data.cbData) {
    argument.emplace(static_cast<const wchar_t*>(data.lpData), data.cbData / sizeof(wchar_t));
    if (argument->find(L'\0') != std::wstring::npos) return false;
  }
  // The sender waits until this message returns; the listing (and any
  // message box) runs after it has been let go.
  handed_sources_.push_back(std::move(argument));
  PostMessageW(hwnd(), kAdoptHandedSourceMessage, 0, 0);
  return true;
}

void TForm1::AdoptHandedSource(const std::optional<std::wstring>& argument) {
  if (IsIconic(hwnd())) ShowWindow(hwnd(), SW_RESTORE);
  SetForegroundWindow(hwnd());
  if (argument) TakeSourceArgument(*argument, false);
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
  const platform::UniqueDrop finish(drop);  // DragFinish on every path
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  std::vector<std::wstring> names;
  for (UINT i = 0; i < count; ++i) {
    wchar_t buffer[MAX_PATH + 1] = {};
    DragQueryFileW(drop, i, buffer, MAX_PATH + 1);
    names.emplace_back(buffer);
  }
  AdoptFirstAcceptable(names);
}

void TForm1::AdoptFirstAcceptable(const std::vector<std::wstring>& names) {
  bool adopted = false;
  for (std::size_t i = 0; i < names.size() && !adopted; ++i) {
    const std::wstring& name = names[i];
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
    case WM_COPYDATA:
      result = lp && TakeHandedSource(*reinterpret_cast<const COPYDATASTRUCT*>(lp)) ? TRUE : FALSE;
      return true;
    case kAdoptDroppedMessage:
      if (dropped_) {
        const gui::ClipboardNames names = std::move(*dropped_);
        dropped_.reset();
        AdoptNames(names);
      }
      result = 0;
      return true;
    case kAdoptHandedSourceMessage:
      // One posted message per handed source; each takes the oldest waiting.
      if (!handed_sources_.empty()) {
        const std::optional<std::wstring> argument = std::move(handed_sources_.front());
        handed_sources_.erase(handed_sources_.begin());
        AdoptHandedSource(argument);
      }
      result = 0;
      return true;
    default:
      return false;
  }
}

// --- output folder -----------------------------------------------------------------

void TForm1::CheckBoxNoChangePathClick() {
  const bool ticked = CheckBoxNoChangePath.checked();
  ButtonBrowseFolder.SetEnabled(!ticked);
  EditPathExtract.SetTextValue(ToWide(settings::NoChangePathOutputFolder(
      ticked, FromWide(EditPathExtract.text()), FromWide(EditSorcePath.text()),
      FromWide(mainwindow::DefaultOutputFolder()))));
}

void TForm1::ButtonBrowseFolderClick() {
  const auto chosen =
      gui::PickFolder(hwnd(), Lang(L"LangSelectFolder"), platform::ExecutableFolder());
  if (chosen)
    EditPathExtract.SetTextValue(
        ToWide(settings::BrowsedOutputFolder(FromWide(*chosen), FromWide(EditSorcePath.text()))));
  if (!source_listable_) return;
  ButtonAllZandrel.SetEnabled(true);
  SetDefaultButton(&ButtonAllZandrel);
  ButtonAllZandrel.SetFocus();
}

}  // namespace zandrel
