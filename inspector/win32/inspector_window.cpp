#include "inspector/win32/inspector_window.h"

#include <windows.h>

#include <unordered_set>

#include "core/file_io.h"
#include "core/paths.h"
#include "core/text.h"
#include "gui/win32/data_transfer.h"
#include "gui/win32/message_box.h"
#include "icons/group_names.h"
#include "icons/ico_writer.h"
#include "icons/output_names.h"
#include "icons/pe_reader.h"
#include "icons/png_export.h"
#include "icons/win32/loader_module.h"
#include "platform/process.h"
#include "platform/wide.h"
#include "settings/ini_document.h"
#include "settings/win32/ansi_codec_win32.h"
#include "settings/window_bounds.h"

namespace zandrel {

using platform::FromWide;
using platform::ToWide;

namespace {

constexpr std::u16string_view kInspectorSection = u"Inspector";

const std::pair<const wchar_t*, void (TForm3::*)()> kHandlers[] = {
    {L"FormClose", &TForm3::FormClose},
    {L"ButtonSaveIcoClick", &TForm3::ButtonSaveIcoClick},
    {L"ButtonSavePngClick", &TForm3::ButtonSavePngClick},
    {L"ButtonCloseInspectorClick", &TForm3::ButtonCloseInspectorClick},
    {L"ImageSheetImagesCopy", &TForm3::ImageSheetImagesCopy},
    {L"ImageSheetImagesCheck", &TForm3::ImageSheetImagesCheck},
};

// The languages a group exists in, as the module's directory lists them.
std::wstring GroupLanguages(const std::wstring& source, std::u16string_view group_name) {
  const auto module = icons::PeResourceModule::FromFile(FromWide(source));
  const auto id = icons::ResourceIdForWriting(group_name);
  if (!module || !id) return {};
  std::wstring text;
  for (const std::uint16_t language : module->LanguageIds(icons::kRtGroupIcon, *id))
    text += (text.empty() ? L"" : L", ") + std::to_wstring(language);
  return text;
}

}  // namespace

TForm3::TForm3(const settings::SettingsLocation& settings)
    : gui::Form(L"FORM3"),
      built_(this, kHandlers),
      LabelGroup(Get<gui::Label>(L"LabelGroup")),
      ImageSheetImages(Get<gui::ImageSheet>(L"ImageSheetImages")),
      ButtonSaveIco(Get<gui::Button>(L"ButtonSaveIco")),
      ButtonSavePng(Get<gui::Button>(L"ButtonSavePng")),
      ButtonCloseInspector(Get<gui::Button>(L"ButtonCloseInspector")),
      FileSaveDialogInspectorIco(Get<gui::FileDialog>(L"FileSaveDialogInspectorIco")),
      FileSaveDialogInspectorPng(Get<gui::FileDialog>(L"FileSaveDialogInspectorPng")),
      settings_(settings) {}

TForm3::~TForm3() = default;

void TForm3::ShowGroup(const std::wstring& source, int position) {
  module_.reset();
  group_ = {};
  images_.clear();
  source_ = source;
  position_ = position;
  group_name_.clear();
  std::unique_ptr<icons::ResourceModule> module = icons::OpenModuleForWindow(source).module;
  if (module) {
    const std::vector<std::u16string> groups = icons::CollectGroupNames(*module);
    if (position >= 0 && static_cast<std::size_t>(position) < groups.size()) {
      group_name_ = groups[static_cast<std::size_t>(position)];
      if (const auto id = icons::ResourceIdForWriting(group_name_))
        group_ = module->Lookup(icons::kRtGroupIcon, *id);
    }
    module_ = std::move(module);
  }
  if (module_ && group_.found()) images_ = icons::DescribeGroupImages(group_.bytes, *module_);

  std::wstring caption = Lang(L"LangInspectorGroup") + L" " + ToWide(group_name_) + L" \u00B7 " +
                         Lang(L"LangInspectorPosition") + L" " + std::to_wstring(position);
  const std::wstring languages = GroupLanguages(source, group_name_);
  if (!languages.empty())
    caption += L" \u00B7 " + Lang(L"LangInspectorLanguage") + L" " + languages;
  LabelGroup.SetCaption(caption);

  std::vector<gui::ImageSheet::Entry> entries;
  for (const icons::GroupImage& image : images_) {
    gui::ImageSheet::Entry entry;
    if (image.pixels) {
      entry.width = image.pixels->width;
      entry.height = image.pixels->height;
      entry.rgba = image.pixels->pixels;
    }
    entry.lines = ImageLines(image);
    entries.push_back(std::move(entry));
  }
  ImageSheetImages.SetEntries(std::move(entries));
  if (!placed_) {
    LoadPlacement();
    placed_ = true;
  }
  if (!IsWindowVisible(hwnd())) Show();
  if (IsIconic(hwnd())) ShowWindow(hwnd(), SW_RESTORE);
  SetForegroundWindow(hwnd());
  ImageSheetImages.SetFocus();
}

std::vector<std::wstring> TForm3::ImageLines(const icons::GroupImage& image) const {
  std::vector<std::wstring> lines;
  lines.push_back(std::to_wstring(image.width) + L" \u00D7 " + std::to_wstring(image.height) +
                  L", " + std::to_wstring(image.bits) + L"-bit, " + (image.png ? L"PNG" : L"BMP"));
  lines.push_back(Lang(L"LangInspectorPosition") + L" " + std::to_wstring(image.position) + L", " +
                  std::to_wstring(image.bytes) + L" " + Lang(L"LangInspectorBytes"));
  if (image.problem == icons::GroupImage::Problem::kMissing) {
    lines.push_back(Lang(L"LangInspectorMissing"));
  } else if (image.problem == icons::GroupImage::Problem::kUndecodable) {
    lines.push_back(Lang(L"LangInspectorUndecodable"));
  } else if (std::max(image.width, image.height) >
             static_cast<std::uint32_t>(gui::ImageSheet::kMaxSide)) {
    lines.push_back(Lang(L"LangInspectorScaled"));
  }
  return lines;
}

std::vector<std::size_t> TForm3::CheckedPositions() const {
  std::vector<std::size_t> positions;
  const auto& entries = ImageSheetImages.entries();
  for (std::size_t i = 0; i < entries.size() && i < images_.size(); ++i)
    if (entries[i].checked) positions.push_back(images_[i].position);
  return positions;
}

Bytes TForm3::PngOf(const icons::GroupImage& image) const {
  if (image.png && module_) {
    const icons::ResourceData data =
        module_->Lookup(icons::kRtIcon, icons::ResourceName::Id(image.image_id));
    if (data.found()) return Bytes(data.bytes.begin(), data.bytes.end());
  }
  if (!image.pixels) return {};
  return icons::EncodePng(image.pixels->width, image.pixels->height, image.pixels->pixels);
}

void TForm3::ButtonSaveIcoClick() {
  const std::vector<std::size_t> positions = CheckedPositions();
  if (!module_ || positions.empty()) {
    gui::ShowMessageBox(hwnd(), Lang(L"LangInspectorNothingChecked"));
    return;
  }
  const std::u16string mask = FromWide(FileSaveDialogInspectorIco.file_types().at(0).mask);
  FileSaveDialogInspectorIco.file_name =
      ToWide(icons::ProposedSaveFileName(FromWide(source_), position_, mask));
  if (!FileSaveDialogInspectorIco.Execute(hwnd())) return;
  const std::u16string path =
      icons::CompleteSaveExtension(FromWide(FileSaveDialogInspectorIco.file_name), mask);
  // The same layout rules as the group's own file, with just these entries.
  const auto file =
      icons::AssembleIconFile(icons::SubsetGroupDirectory(group_.bytes, positions), *module_);
  if (!file) return;
  WriteFileAtomically(path, *file);
}

void TForm3::ButtonSavePngClick() {
  std::vector<const icons::GroupImage*> chosen;
  const auto& entries = ImageSheetImages.entries();
  for (std::size_t i = 0; i < entries.size() && i < images_.size(); ++i)
    if (entries[i].checked && images_[i].pixels) chosen.push_back(&images_[i]);
  if (chosen.empty()) {
    gui::ShowMessageBox(hwnd(), Lang(L"LangInspectorNothingChecked"));
    return;
  }
  // Named as the command line names them: one file, or a folder for several.
  std::unordered_set<std::u16string> taken;
  const auto name_of = [&](const icons::GroupImage& image) {
    const icons::PngImage png{
        image.width, image.height, static_cast<std::uint16_t>(image.png ? 0 : image.bits), {}};
    return icons::PngImageFileName(group_name_, png, taken);
  };
  if (chosen.size() == 1) {
    const std::u16string mask = FromWide(FileSaveDialogInspectorPng.file_types().at(0).mask);
    FileSaveDialogInspectorPng.file_name = ToWide(name_of(*chosen[0]));
    if (!FileSaveDialogInspectorPng.Execute(hwnd())) return;
    WriteFileAtomically(
        icons::CompleteSaveExtension(FromWide(FileSaveDialogInspectorPng.file_name), mask),
        PngOf(*chosen[0]));
    return;
  }
  const auto folder =
      gui::PickFolder(hwnd(), Lang(L"LangInspectorSelectFolder"), platform::ExecutableFolder());
  if (!folder) return;
  const std::u16string target = WithTrailingSeparator(FromWide(*folder));
  for (const icons::GroupImage* image : chosen)
    WriteFileAtomically(target + name_of(*image), PngOf(*image));
}

void TForm3::ImageSheetImagesCopy() {
  const int current = ImageSheetImages.current();
  if (current < 0 || static_cast<std::size_t>(current) >= images_.size()) return;
  const icons::GroupImage& image = images_[static_cast<std::size_t>(current)];
  if (!image.pixels) return;
  const std::vector<gui::TransferItem> items = {
      {CF_DIBV5, gui::DibV5Bytes(image.pixels->width, image.pixels->height, image.pixels->pixels)},
      {gui::PngClipboardFormat(), PngOf(image)}};
  gui::PutOnClipboard(hwnd(), items);
}

void TForm3::ImageSheetImagesCheck() {
  const bool any = !CheckedPositions().empty();
  ButtonSaveIco.SetEnabled(any);
  ButtonSavePng.SetEnabled(any);
}

void TForm3::ButtonCloseInspectorClick() {
  Close();
}

bool TForm3::PreviewKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE) return false;
  Close();
  return true;
}

void TForm3::FormClose() {
  SavePlacement();
}

void TForm3::LoadPlacement() {
  const settings::IniDocument ini = settings::ReadSettingsForLoading(settings_.PortablePath());
  const auto bounds = settings::ReadWindowBounds(ini, kInspectorSection);
  if (!bounds) return;
  RestorePlacement(
      {RECT{bounds->left, bounds->top, bounds->left + bounds->width, bounds->top + bounds->height},
       bounds->maximized});
}

void TForm3::SavePlacement() {
  if (!hwnd()) return;
  const std::u16string path = FromWide(settings_.PortablePath());
  settings::IniDocument ini = settings::LoadIniFile(path, settings::SystemAnsiCodec());
  const Placement place = placement();
  const RECT& r = place.normal;
  settings::WriteWindowBounds(ini, kInspectorSection,
                              {r.left, r.top, r.right - r.left, r.bottom - r.top, place.maximized});
  settings::SaveIniFile(path, ini);
}

}  // namespace zandrel
