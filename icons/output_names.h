#pragma once
// Where icons are written: the extract-all target folder, the file name of a
// group, names kept apart within one run, and the save dialog's file names.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace zandrel::icons {

// The save dialog's only file type.
inline constexpr std::u16string_view kIconFileMask = u"*.ico";

// `output_dir` with a trailing "\" unless it already ends in "\" or "/"; for an
// empty `output_dir`, the source's folder + "Extracted_Icons\".
std::u16string ExtractAllTargetFolder(std::u16string_view exe_file, std::u16string_view output_dir);

// "icon_101.ico" for "ID:101", otherwise "icon_" + the name with each of
// " * / : < > ? \ | replaced by "_" + ".ico". The rest after "ID:" gets the
// same replacement, so no group name can reach outside the target folder.
std::u16string GroupOutputFileName(std::u16string_view group_name);
// The group's part of such a name: "101" for "ID:101", otherwise the name,
// with the same replacement.
std::u16string GroupFileNamePart(std::u16string_view group_name);

// Keeps the files of one extract-all run apart. Two groups can map to the same
// name ("A?B" and "A*B"); the later one gets the first free suffix _2, _3, ...
// before its extension (".ico", ".cur", ".png") instead of replacing the first file. Names are compared
// without regard to letter case, as Windows file systems compare them. Files
// from earlier runs do not count: they are replaced as before.
class RunOutputNames {
 public:
  // The name to use for `file_name` (which ends in ".ico").
  std::u16string Choose(std::u16string_view file_name) const;
  // Records a name as written in this run.
  void MarkWritten(std::u16string_view file_name);

 private:
  bool Taken(std::u16string_view file_name) const;
  std::unordered_set<std::u16string> written_;  // upper-cased
  // Per requested name (upper-cased), the suffix to try first: every suffix
  // below it was taken already, so many groups of one name cost one try each.
  mutable std::unordered_map<std::u16string, std::uint64_t> next_suffix_;
};

// The file type mask's extension: from its first "." to the end (".ico").
std::u16string MaskExtension(std::u16string_view mask);

// The save dialog's proposal: source file name without folder and last
// extension ("icon" when that is empty) + "_" + index + the mask's extension.
std::u16string ProposedSaveFileName(std::u16string_view source_path, int icon_index,
                                    std::u16string_view mask = kIconFileMask);

// The chosen path with the mask's extension appended when it has none at all;
// a path with any extension stays as chosen.
std::u16string CompleteSaveExtension(std::u16string_view chosen_path,
                                     std::u16string_view mask = kIconFileMask);

}  // namespace zandrel::icons
