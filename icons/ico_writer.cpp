#include "icons/ico_writer.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "core/file_io.h"
#include "core/paths.h"
#include "core/text.h"
#include "icons/group_directory.h"
#include "icons/group_names.h"

namespace zandrel::icons {

namespace {

constexpr std::size_t kIcoRecordSize = 16;
constexpr std::size_t kCopiedEntryBytes = 8;

// One image that makes it into the file.
struct PlacedImage {
  ByteView entry;  // the 14-byte group entry
  ResourceData image;
};

std::u16string WithValue(const MessageCatalogue& catalogue, std::u16string_view entry,
                         std::u16string_view value) {
  return catalogue.Text(entry) + u" " + std::u16string(value);
}

}  // namespace

GroupIdConversionError::GroupIdConversionError(std::u16string message)
    : std::runtime_error(ToUtf8(message)), message_(std::move(message)) {}

GroupTooLargeError::GroupTooLargeError(std::u16string message)
    : std::runtime_error(ToUtf8(message)), message_(std::move(message)) {}

std::optional<Bytes> AssembleIconFile(ByteView group, const ResourceModule& module,
                                      const ImageProblemHandler& on_problem,
                                      AssemblyFailure* failure, OutputBudget* budget) {
  auto fail = [failure](AssemblyFailure why) -> std::optional<Bytes> {
    if (failure) *failure = why;
    return std::nullopt;
  };
  if (failure) *failure = AssemblyFailure::kNone;
  const auto count = GroupEntryCount(group);
  if (group.size() < kGroupHeaderSize || !count) return fail(AssemblyFailure::kBadGroup);

  const std::uint64_t limit =
      budget ? std::min(budget->left, kMaxIconFileBytes) : kMaxIconFileBytes;
  std::vector<PlacedImage> placed;
  std::uint64_t image_bytes = 0;
  for (std::size_t i = 0; i < *count; ++i) {
    const auto entry = GroupEntry(group, i);
    if (!entry) break;  // a short directory: the entries present are all there is
    if (budget) {
      if (budget->entries_left == 0) return fail(AssemblyFailure::kTooLarge);
      --budget->entries_left;
    }
    const std::uint16_t image_id = GroupEntryImageId(*entry);
    const ResourceData image = module.Lookup(kRtIcon, ResourceName::Id(image_id));
    if (!image.found()) {
      if (on_problem) {
        const auto kind = image.status == ResourceData::Status::kNotLoadable
                              ? ImageProblem::Kind::kNotLoadable
                              : ImageProblem::Kind::kNotFound;
        on_problem({kind, image_id});
      }
      continue;
    }
    if (image.bytes.empty()) continue;
    placed.push_back({*entry, image});
    image_bytes += image.bytes.size();
    if (kGroupHeaderSize + kIcoRecordSize * placed.size() + image_bytes > limit)
      return fail(AssemblyFailure::kTooLarge);
  }

  const std::uint64_t first_offset = kGroupHeaderSize + kIcoRecordSize * placed.size();
  static_assert(kMaxIconFileBytes <= std::numeric_limits<std::uint32_t>::max());
  if (first_offset + image_bytes > limit) return fail(AssemblyFailure::kTooLarge);

  Bytes out;
  out.reserve(static_cast<std::size_t>(first_offset + image_bytes));
  AppendU16LE(out, 0);
  AppendU16LE(out, 1);
  AppendU16LE(out, static_cast<std::uint16_t>(placed.size()));
  auto offset = static_cast<std::uint32_t>(first_offset);
  for (const auto& p : placed) {
    AppendBytes(out, p.entry.first(kCopiedEntryBytes));
    const auto size = static_cast<std::uint32_t>(p.image.bytes.size());
    AppendU32LE(out, size);
    AppendU32LE(out, offset);
    offset += size;
  }
  for (const auto& p : placed) AppendBytes(out, p.image.bytes);
  if (budget) budget->left -= out.size();
  return out;
}

namespace {

void Report(const MessageCatalogue& catalogue, LogView* log, std::u16string_view entry,
            std::u16string_view value) {
  if (log) log->AppendLine(WithValue(catalogue, entry, value));
}

}  // namespace

std::optional<Bytes> AssembleIconGroupFile(const ResourceModule& module,
                                           std::u16string_view group_name, WriteMode mode,
                                           const MessageCatalogue& catalogue, LogView* log,
                                           OutputBudget* budget) {
  LogView* const report_to = mode == WriteMode::kLog ? log : nullptr;
  auto report = [&](std::u16string_view entry, std::u16string_view value) {
    Report(catalogue, report_to, entry, value);
  };

  const auto id = ResourceIdForWriting(group_name);
  if (!id) {
    if (mode == WriteMode::kSilent)
      throw GroupIdConversionError(WithValue(catalogue, u"LangIDConversionError", group_name));
    report(u"LangIDConversionError", group_name);
    return std::nullopt;
  }

  const ResourceData group = module.Lookup(kRtGroupIcon, *id);
  if (group.status == ResourceData::Status::kNotFound) {
    report(u"LangGroupNotFound", group_name);
    return std::nullopt;
  }
  if (group.status == ResourceData::Status::kNotLoadable) {
    report(u"LangErrorLoadingResource", group_name);
    return std::nullopt;
  }

  AssemblyFailure failure = AssemblyFailure::kNone;
  auto ico = AssembleIconFile(
      group.bytes, module,
      [&](const ImageProblem& problem) {
        // These two lines carry the identifier right after the text, no blank.
        if (!report_to) return;
        const auto entry = problem.kind == ImageProblem::Kind::kNotFound
                               ? u"LangIconIDnotFound"
                               : u"LangErrorloadingIconID";
        report_to->AppendLine(catalogue.Text(entry) + ToDecimalUnsigned(problem.image_id));
      },
      &failure, budget);
  if (!ico && failure == AssemblyFailure::kTooLarge) {
    // Nothing is written for it; saving one group says so instead of
    // reporting a save that did not happen.
    if (mode == WriteMode::kSilent)
      throw GroupTooLargeError(WithValue(catalogue, u"LangGroupTooLarge", group_name));
    report(u"LangGroupTooLarge", group_name);
    return std::nullopt;
  }
  if (!ico) report(u"LangInvalidDataSize", group_name);
  return ico;
}

bool ReportIconGroupWrite(std::u16string_view output_ico_file, const std::u16string* error,
                          bool exists, const MessageCatalogue& catalogue, LogView* log) {
  if (error) {
    Report(catalogue, log, u"LangErrorSaving", *error);
    return false;
  }
  if (exists)
    Report(catalogue, log, u"LangSaved", FileNameWithoutExt(output_ico_file));
  else
    Report(catalogue, log, u"LangSavingError", output_ico_file);
  return exists;
}

bool WriteIconGroupFile(const ResourceModule& module, std::u16string_view group_name,
                        std::u16string_view output_ico_file, WriteMode mode,
                        const MessageCatalogue& catalogue, LogView* log, OutputBudget* budget,
                        OutputFolder* folder) {
  const auto ico = AssembleIconGroupFile(module, group_name, mode, catalogue, log, budget);
  if (!ico) return false;
  std::optional<std::u16string> error;
  try {
    if (folder && output_ico_file.starts_with(folder->path()))
      folder->Write(output_ico_file.substr(folder->path().size()), *ico);
    else
      WriteFileAtomically(output_ico_file, *ico);
  } catch (const FileError& e) {
    if (mode == WriteMode::kSilent) throw;
    error = e.message();
  }
  const bool exists = !error && FileExists(output_ico_file);
  return ReportIconGroupWrite(output_ico_file, error ? &*error : nullptr, exists, catalogue,
                              mode == WriteMode::kLog ? log : nullptr);
}

void ExtractIconByIndex(std::u16string_view exe_file, std::u16string_view output_ico_file,
                        int icon_index, OperationsHost& host, const MessageCatalogue& catalogue) {
  if (!FileExists(exe_file)) {
    host.ShowMessage(WithValue(catalogue, u"LangFileNotFound", exe_file));
    return;
  }
  const OpenedModule opened = host.OpenModule(exe_file);
  if (!opened.module) return;
  const std::vector<std::u16string> names = CollectGroupNames(*opened.module);
  if (icon_index < 0 || static_cast<std::size_t>(icon_index) >= names.size()) return;
  WriteIconGroupFile(*opened.module, names[static_cast<std::size_t>(icon_index)], output_ico_file,
                     WriteMode::kSilent, catalogue, nullptr);
}

}  // namespace zandrel::icons
