#include "settings/settings_rules.h"

#include "core/casefold.h"
#include "core/paths.h"

namespace zandrel::settings {

namespace {

constexpr std::u16string_view kSettingsFile = u"Config\\Option.ini";
constexpr std::u16string_view kExtractedIcons = u"Extracted Icons";

std::u16string_view WithoutTrailingSeparator(std::u16string_view path) {
  if (!path.empty() && IsPathDelimiter(path.back())) path.remove_suffix(1);
  return path;
}

}  // namespace

std::u16string PortableMarkerPath(std::u16string_view exe_path) {
  return ExtractFilePath(exe_path) + u"portable.ini";
}

std::u16string PortableSettingsPath(std::u16string_view exe_path) {
  return ExtractFilePath(exe_path) + std::u16string(kSettingsFile);
}

std::u16string InstalledSettingsPath(std::u16string_view roaming_folder,
                                     std::u16string_view company_name, std::u16string_view title) {
  return WithTrailingSeparator(roaming_folder) + WithTrailingSeparator(company_name) +
         std::u16string(title) + u"\\" + std::u16string(kSettingsFile);
}

std::u16string DefaultOutputFolder(std::u16string_view my_pictures, std::u16string_view title) {
  return std::u16string(my_pictures) + u"\\" + std::u16string(title);
}

std::u16string StartupOutputFolder(std::u16string_view stored, std::u16string_view default_folder) {
  return std::u16string(stored.empty() ? default_folder : stored);
}

std::u16string NewSourceOutputFolder(std::u16string_view source, bool use_default_folder,
                                     std::u16string_view default_folder) {
  if (use_default_folder)
    return std::u16string(default_folder) + u"\\" + FileNameWithoutExt(source);
  return ExtractFilePath(source) + std::u16string(kExtractedIcons);
}

std::u16string NoChangePathOutputFolder(bool ticked, std::u16string_view current,
                                        std::u16string_view source,
                                        std::u16string_view default_folder) {
  if (!ticked) return std::u16string(current);
  if (source.empty()) return std::u16string(default_folder);
  return NewSourceOutputFolder(source, true, default_folder);
}

std::u16string FolderNameOfPath(std::u16string_view path) {
  const std::u16string_view folder = WithoutTrailingSeparator(path);
  if (folder.empty()) return {};
  // A root is a path whose parent part is empty or the path itself.
  const std::u16string parent = ExtractFilePath(folder);
  const std::u16string_view parent_folder = WithoutTrailingSeparator(parent);
  if (parent_folder.empty() || parent_folder == folder) return {};
  return ExtractFileName(folder);
}

std::u16string BrowsedOutputFolder(std::u16string_view chosen_folder, std::u16string_view source) {
  const std::u16string chosen_name = FolderNameOfPath(chosen_folder);
  const std::u16string source_folder_name =
      source.empty() ? std::u16string() : FolderNameOfPath(ExtractFilePath(source));
  std::u16string result = WithTrailingSeparator(chosen_folder);
  if (!source_folder_name.empty() && !EqualsIgnoreCase(source_folder_name, chosen_name))
    result += source_folder_name + u"\\";
  return result + std::u16string(kExtractedIcons);
}

}  // namespace zandrel::settings
