// The search window: its making, keys and settings.
#include "search/win32/search_window.h"

#include "core/casefold.h"
#include "core/file_io.h"
#include "core/text.h"
#include "platform/wide.h"
#include "settings/ini_document.h"
#include "settings/win32/ansi_codec_win32.h"
#include "settings/window_bounds.h"

namespace zandrel {

using platform::FromWide;
using platform::ToWide;

namespace {

constexpr std::u16string_view kSearchSection = u"IconSearch";
// Posted to itself when the previews were dropped during a paint.
constexpr UINT kRedrawListMessage = WM_APP + 30;

const std::pair<const wchar_t*, void (TForm5::*)()> kHandlers[] = {
    {L"FormClose", &TForm5::FormClose},
    {L"ButtonSearchBrowseClick", &TForm5::ButtonSearchBrowseClick},
    {L"ButtonSearchClick", &TForm5::ButtonSearchClick},
    {L"ButtonStopSearchClick", &TForm5::ButtonStopSearchClick},
    {L"FilterChange", &TForm5::FilterChange},
    {L"ListViewFoundSelectItem", &TForm5::ListViewFoundSelectItem},
    {L"ListViewFoundBeginDrag", &TForm5::ListViewFoundBeginDrag},
    {L"OpenInMainMenuClick", &TForm5::OpenInMainMenuClick},
    {L"SaveIcoMenuClick", &TForm5::SaveIcoMenuClick},
    {L"SavePngMenuClick", &TForm5::SavePngMenuClick},
    {L"CopyMenuClick", &TForm5::CopyMenuClick},
    {L"CopyLocationMenuClick", &TForm5::CopyLocationMenuClick},
    {L"PropertiesMenuClick", &TForm5::PropertiesMenuClick},
    {L"ButtonExportClick", &TForm5::ButtonExportClick},
    {L"ButtonUnreadableClick", &TForm5::ButtonUnreadableClick},
    {L"ButtonCloseSearchClick", &TForm5::ButtonCloseSearchClick},
};

// The box of each searchable kind: ".exe" is CheckBoxKindExe.
std::wstring KindBoxName(std::u16string_view extension) {
  std::wstring name = L"CheckBoxKind";
  for (std::size_t i = 1; i < extension.size(); ++i)
    name +=
        static_cast<wchar_t>(i == 1 ? UpperCase(std::u16string(1, extension[i]))[0] : extension[i]);
  return name;
}

std::wstring WindowsFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
  return n > 0 && n <= MAX_PATH ? std::wstring(buffer, n) : std::wstring();
}

}  // namespace

TForm5::TForm5(const settings::SettingsLocation& settings, SearchWindowLinks links)
    : gui::Form(L"FORM5"),
      built_(this, kHandlers),
      EditSearchFolder(Get<gui::Edit>(L"EditSearchFolder")),
      ButtonSearchBrowse(Get<gui::Button>(L"ButtonSearchBrowse")),
      ButtonSearch(Get<gui::Button>(L"ButtonSearch")),
      ButtonStopSearch(Get<gui::Button>(L"ButtonStopSearch")),
      CheckBoxSubfolders(Get<gui::CheckBox>(L"CheckBoxSubfolders")),
      EditFilterText(Get<gui::Edit>(L"EditFilterText")),
      EditMinSize(Get<gui::Edit>(L"EditMinSize")),
      CheckBoxHas256(Get<gui::CheckBox>(L"CheckBoxHas256")),
      CheckBoxHasPng(Get<gui::CheckBox>(L"CheckBoxHasPng")),
      CheckBoxIcons(Get<gui::CheckBox>(L"CheckBoxIcons")),
      CheckBoxCursors(Get<gui::CheckBox>(L"CheckBoxCursors")),
      ListViewFound(Get<gui::ListView>(L"ListViewFound")),
      ImageListFound(Get<gui::ImageList>(L"ImageListFound")),
      ButtonOpenInMain(Get<gui::Button>(L"ButtonOpenInMain")),
      ButtonSaveIco(Get<gui::Button>(L"ButtonSaveIco")),
      ButtonSavePng(Get<gui::Button>(L"ButtonSavePng")),
      ButtonExport(Get<gui::Button>(L"ButtonExport")),
      ButtonCloseSearch(Get<gui::Button>(L"ButtonCloseSearch")),
      ProgressBarSearch(Get<gui::ProgressBar>(L"ProgressBarSearch")),
      ButtonUnreadable(Get<gui::Button>(L"ButtonUnreadable")),
      LabelSearchStatus(Get<gui::Label>(L"LabelSearchStatus")),
      MemoUnreadable(Get<gui::Memo>(L"MemoUnreadable")),
      OpenInMainMenu(Get<gui::MenuItem>(L"OpenInMainMenu")),
      SaveIcoMenu(Get<gui::MenuItem>(L"SaveIcoMenu")),
      SavePngMenu(Get<gui::MenuItem>(L"SavePngMenu")),
      CopyMenu(Get<gui::MenuItem>(L"CopyMenu")),
      CopyLocationMenu(Get<gui::MenuItem>(L"CopyLocationMenu")),
      PropertiesMenu(Get<gui::MenuItem>(L"PropertiesMenu")),
      FileSaveDialogExport(Get<gui::FileDialog>(L"FileSaveDialogExport")),
      settings_(settings),
      links_(std::move(links)),
      previews_(ImageListFound, [this] { PostMessageW(hwnd(), kRedrawListMessage, 0, 0); }),
      transfer_folder_(L"Zandrel-search") {
  for (const std::u16string& extension : search::SearchableExtensions())
    kind_boxes.push_back(&Get<gui::CheckBox>(KindBoxName(extension)));
  ListViewFound.SetRowSource({[this](int row, int column) { return CellText(row, column); },
                              [this](int row) {
                                return row >= 0 && static_cast<std::size_t>(row) < rows_.size()
                                           ? previews_.ImageOf(results_,
                                                               rows_[static_cast<std::size_t>(row)])
                                           : -1;
                              }});
  ListViewFound.on_column_click = [this](int column) { ListViewFoundColumnClick(column); };
  UpdateCommands();
}

TForm5::~TForm5() {
  *alive_ = false;
  StopScan();
}

void TForm5::ShowSearch() {
  if (!placed_) {
    LoadSettings();
    placed_ = true;
  }
  if (!IsWindowVisible(hwnd())) Show();
  if (IsIconic(hwnd())) ShowWindow(hwnd(), SW_RESTORE);
  SetForegroundWindow(hwnd());
  EditSearchFolder.SetFocus();
}

bool TForm5::PreviewKey(const MSG& msg) {
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
    Close();
    return true;
  }
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_F5) {
    ButtonSearchClick();
    return true;
  }
  if (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_RETURN && msg.hwnd == ListViewFound.hwnd()) {
    PropertiesMenuClick();
    return true;
  }
  return false;
}

bool TForm5::HandleMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
  if (msg != kRedrawListMessage) return false;
  ListViewFound.Invalidate();
  result = 0;
  return true;
}

void TForm5::FormClose() {
  // A closed window searches no more.
  StopScan();
  SaveSettings();
}

void TForm5::ButtonCloseSearchClick() {
  Close();
}

void TForm5::ButtonSearchBrowseClick() {
  const auto folder = PickFolder(Lang(L"LangSearchSelectFolder"));
  if (!folder) return;
  EditSearchFolder.SetTextValue(*folder);
  EditSearchFolder.SetFocus();
}

std::optional<std::wstring> TForm5::PickFolder(const std::wstring& title) {
  std::wstring initial = EditSearchFolder.text();
  if (!DirectoryExists(FromWide(initial))) initial = WindowsFolder();
  if (pick_folder) return pick_folder(title, initial);
  return gui::PickFolder(hwnd(), title, initial);
}

search::SearchFilter TForm5::CurrentFilter() const {
  search::SearchFilter filter;
  filter.text = FromWide(EditFilterText.text());
  const auto at_least = ParseDecimalInt32(FromWide(EditMinSize.text()));
  filter.at_least = at_least && *at_least > 0 ? static_cast<std::uint32_t>(*at_least) : 0;
  filter.needs_256 = CheckBoxHas256.checked();
  filter.needs_png = CheckBoxHasPng.checked();
  filter.icons = CheckBoxIcons.checked();
  filter.cursors = CheckBoxCursors.checked();
  return filter;
}

void TForm5::LoadSettings() {
  const settings::IniDocument ini = settings::ReadSettingsForLoading(settings_.PortablePath());
  const std::u16string folder = ini.ReadString(kSearchSection, u"Folder", u"");
  EditSearchFolder.SetTextValue(folder.empty() ? WindowsFolder() : ToWide(folder));
  CheckBoxSubfolders.SetChecked(ini.ReadBool(kSearchSection, u"Subfolders", true));
  const auto& extensions = search::SearchableExtensions();
  for (std::size_t i = 0; i < extensions.size() && i < kind_boxes.size(); ++i)
    kind_boxes[i]->SetChecked(ini.ReadBool(kSearchSection, u"Kind" + extensions[i], true));
  EditFilterText.SetTextValue(ToWide(ini.ReadString(kSearchSection, u"Filter", u"")));
  EditMinSize.SetTextValue(ToWide(ini.ReadString(kSearchSection, u"AtLeast", u"")));
  CheckBoxHas256.SetChecked(ini.ReadBool(kSearchSection, u"Has256", false));
  CheckBoxHasPng.SetChecked(ini.ReadBool(kSearchSection, u"HasPng", false));
  CheckBoxIcons.SetChecked(ini.ReadBool(kSearchSection, u"Icons", true));
  CheckBoxCursors.SetChecked(ini.ReadBool(kSearchSection, u"Cursors", true));
  const auto bounds = settings::ReadWindowBounds(ini, kSearchSection);
  if (!bounds) return;
  RestorePlacement(
      {RECT{bounds->left, bounds->top, bounds->left + bounds->width, bounds->top + bounds->height},
       bounds->maximized});
}

void TForm5::SaveSettings() {
  if (!hwnd() || !placed_) return;
  const std::u16string path = FromWide(settings_.PortablePath());
  settings::IniDocument ini = settings::LoadIniFile(path, settings::SystemAnsiCodec());
  ini.WriteString(kSearchSection, u"Folder", FromWide(EditSearchFolder.text()));
  ini.WriteBool(kSearchSection, u"Subfolders", CheckBoxSubfolders.checked());
  const auto& extensions = search::SearchableExtensions();
  for (std::size_t i = 0; i < extensions.size() && i < kind_boxes.size(); ++i)
    ini.WriteBool(kSearchSection, u"Kind" + extensions[i], kind_boxes[i]->checked());
  ini.WriteString(kSearchSection, u"Filter", FromWide(EditFilterText.text()));
  ini.WriteString(kSearchSection, u"AtLeast", FromWide(EditMinSize.text()));
  ini.WriteBool(kSearchSection, u"Has256", CheckBoxHas256.checked());
  ini.WriteBool(kSearchSection, u"HasPng", CheckBoxHasPng.checked());
  ini.WriteBool(kSearchSection, u"Icons", CheckBoxIcons.checked());
  ini.WriteBool(kSearchSection, u"Cursors", CheckBoxCursors.checked());
  const Placement place = placement();
  const RECT& r = place.normal;
  settings::WriteWindowBounds(ini, kSearchSection,
                              {r.left, r.top, r.right - r.left, r.bottom - r.top, place.maximized});
  settings::SaveIniFile(path, ini);
}

}  // namespace zandrel
