#include "icons/output_names.h"

#include <algorithm>

#include "core/casefold.h"
#include "core/paths.h"
#include "core/text.h"

namespace zandrel::icons {

namespace {

constexpr std::u16string_view kIdPrefix = u"ID:";
constexpr std::u16string_view kIcoExtension = u".ico";

bool IsForbiddenInFileName(char16_t c) {
  return c == u'"' || c == u'*' || c == u'/' || c == u':' || c == u'<' || c == u'>' || c == u'?' ||
         c == u'\\' || c == u'|';
}

std::u16string ReplaceForbidden(std::u16string_view text) {
  std::u16string out(text);
  for (auto& c : out)
    if (IsForbiddenInFileName(c)) c = u'_';
  return out;
}

}  // namespace

std::u16string ExtractAllTargetFolder(std::u16string_view exe_file,
                                      std::u16string_view output_dir) {
  if (output_dir.empty()) return ExtractFilePath(exe_file) + u"Extracted_Icons\\";
  return WithTrailingSeparator(output_dir);
}

std::u16string GroupFileNamePart(std::u16string_view group_name) {
  return ReplaceForbidden(StartsWith(group_name, kIdPrefix) ? group_name.substr(kIdPrefix.size())
                                                            : group_name);
}

std::u16string GroupOutputFileName(std::u16string_view group_name) {
  return u"icon_" + GroupFileNamePart(group_name) + std::u16string(kIcoExtension);
}

std::u16string RunOutputNames::Choose(std::u16string_view file_name) const {
  if (!Taken(file_name)) return std::u16string(file_name);
  const std::size_t dot = file_name.rfind(u'.');
  const std::u16string_view stem =
      dot == std::u16string_view::npos ? file_name : file_name.substr(0, dot);
  const std::u16string_view extension = file_name.substr(stem.size());
  std::uint64_t& next = next_suffix_[UpperCase(file_name)];
  for (std::uint64_t n = std::max<std::uint64_t>(next, 2);; ++n) {
    std::u16string candidate =
        std::u16string(stem) + u"_" + ToDecimalUnsigned(n) + std::u16string(extension);
    if (!Taken(candidate)) {
      next = n;  // not taken until marked written: the same answer comes again
      return candidate;
    }
  }
}

void RunOutputNames::MarkWritten(std::u16string_view file_name) {
  written_.insert(UpperCase(file_name));
}

bool RunOutputNames::Taken(std::u16string_view file_name) const {
  return written_.contains(UpperCase(file_name));
}

std::u16string MaskExtension(std::u16string_view mask) {
  const std::size_t dot = mask.find(u'.');
  return dot == std::u16string_view::npos ? std::u16string() : std::u16string(mask.substr(dot));
}

std::u16string ProposedSaveFileName(std::u16string_view source_path, int icon_index,
                                    std::u16string_view mask) {
  std::u16string base = FileNameWithoutExt(source_path);
  if (base.empty()) base = u"icon";
  return base + u"_" + ToDecimal(icon_index) + MaskExtension(mask);
}

std::u16string CompleteSaveExtension(std::u16string_view chosen_path, std::u16string_view mask) {
  std::u16string path(chosen_path);
  if (ExtractFileExt(path).empty() && !mask.empty()) path += MaskExtension(mask);
  return path;
}

}  // namespace zandrel::icons
