#include "cli/extract_writers.h"

#include <ostream>
#include <vector>

#include "cli/cli.h"
#include "cli/paths.h"
#include "core/file_io.h"
#include "core/text.h"
#include "icons/cursor_file.h"
#include "icons/group_names.h"
#include "icons/png_export.h"

namespace zandrel::cli {

namespace {

void LogImageProblem(const icons::ImageProblem& problem, const icons::MessageCatalogue& catalogue,
                     CollectingLog& log) {
  log.AppendLine(catalogue.Text(problem.kind == icons::ImageProblem::Kind::kNotFound
                                    ? u"LangIconIDnotFound"
                                    : u"LangErrorloadingIconID") +
                 ToDecimalUnsigned(problem.image_id));
}

// The group's bytes of `type`, or a line in the log saying why not.
std::optional<icons::ResourceData> GroupBytes(const icons::ResourceModule& module,
                                              std::uint16_t type, const std::u16string& group,
                                              const icons::MessageCatalogue& catalogue,
                                              CollectingLog& log) {
  const auto id = icons::ResourceIdForWriting(group);
  if (!id) {
    log.AppendLine(catalogue.Text(u"LangIDConversionError") + u" " + group);
    return std::nullopt;
  }
  icons::ResourceData data = module.Lookup(type, *id);
  if (!data.found()) {
    log.AppendLine(catalogue.Text(u"LangErrorLoadingResource") + u" " + group);
    return std::nullopt;
  }
  return data;
}

bool WriteWhole(OutputFolder& folder, const std::u16string& file_name, ByteView bytes,
                const icons::MessageCatalogue& catalogue, CollectingLog& log) {
  try {
    folder.Write(file_name, bytes);
  } catch (const FileError& e) {
    log.AppendLine(catalogue.Text(u"LangErrorSaving") + u" " + e.message());
    return false;
  }
  return true;
}

}  // namespace

std::u16string OutputFileName(const std::u16string& ico_name, Kind kind, bool orphan) {
  std::u16string prefix = u"icon_", extension = u".ico";
  if (kind == Kind::kCursor) prefix = u"cursor_", extension = u".cur";
  if (kind == Kind::kAniCursor) prefix = u"anicursor_", extension = u".ani";
  if (kind == Kind::kAniIcon) prefix = u"aniicon_", extension = u".ani";
  if (orphan) prefix = u"image_";
  std::u16string name = ico_name;
  if (name.starts_with(u"icon_")) name = prefix + name.substr(5);
  name.replace(name.size() - 4, 4, extension);
  return name;
}

bool WriteCursor(const icons::ResourceModule& module, const std::u16string& group,
                 OutputFolder& folder, const std::u16string& file_name,
                 const icons::MessageCatalogue& catalogue, CollectingLog& log,
                 icons::OutputBudget& budget) {
  const auto data = GroupBytes(module, icons::kRtGroupCursor, group, catalogue, log);
  if (!data) return false;
  const auto file = icons::AssembleCursorFile(
      data->bytes, module,
      [&](const icons::ImageProblem& problem) { LogImageProblem(problem, catalogue, log); },
      &budget);
  if (!file) {
    log.AppendLine(catalogue.Text(u"LangGroupTooLarge") + u" " + group);
    return false;
  }
  return WriteWhole(folder, file_name, *file, catalogue, log);
}

bool WriteAnimation(const icons::ResourceModule& module, Kind kind, const std::u16string& group,
                    OutputFolder& folder, const std::u16string& file_name,
                    const icons::MessageCatalogue& catalogue, CollectingLog& log,
                    icons::OutputBudget& budget) {
  const auto data = GroupBytes(module, GroupType(kind), group, catalogue, log);
  if (!data) return false;
  // Many names may share one large resource: the run's budget bounds them.
  if (data->bytes.size() > budget.left) {
    log.AppendLine(catalogue.Text(u"LangGroupTooLarge") + u" " + group);
    return false;
  }
  budget.left -= data->bytes.size();
  return WriteWhole(folder, file_name, data->bytes, catalogue, log);
}

int WritePngs(const Source& source, const icons::ResourceModule& view, const std::u16string& group,
              const std::filesystem::path& folder, std::uint32_t size,
              std::unordered_set<std::u16string>& taken, std::ostream& err) {
  const auto id = icons::ResourceIdForWriting(group);
  const icons::ResourceData data =
      id ? view.Lookup(icons::kRtGroupIcon, *id) : icons::ResourceData{};
  if (!data.found()) {
    err << "error: " << ToUtf8(source.path) << ": group " << ToUtf8(group) << ": cannot be read\n";
    return kSomeGroupsFailed;
  }
  int skipped = 0;
  const std::vector<icons::PngImage> images =
      icons::GroupPngImages(data.bytes, view, size, &skipped);
  int status = kAllDone;
  if (skipped > 0) {
    err << "warning: " << ToUtf8(source.path) << ": group " << ToUtf8(group) << ": " << skipped
        << " image(s) missing or unreadable\n";
  }
  for (const icons::PngImage& image : images) {
    const std::u16string name = icons::PngImageFileName(group, image, taken);
    const std::filesystem::path target = folder / PathOf(name);
    if (!PlainFileName(PathOf(name))) {
      err << "error: " << ToUtf8(source.path) << ": group " << ToUtf8(group)
          << ": refusing a file name outside the output folder\n";
      status = kSomeGroupsFailed;
      continue;
    }
    try {
      WriteFileAtomically(TextOf(target), image.png);
    } catch (const FileError& e) {
      err << "error: " << ToUtf8(TextOf(target)) << ": " << ToUtf8(e.message()) << "\n";
      status = kSomeGroupsFailed;
    }
  }
  return status;
}

}  // namespace zandrel::cli
