// zandrel extract: the files "Extract all" writes, for every file given.

#include <filesystem>
#include <ostream>
#include <system_error>
#include <unordered_set>

#include "cli/commands.h"
#include "cli/extract_writers.h"
#include "cli/inputs.h"
#include "cli/paths.h"
#include "cli/reporting.h"
#include "core/casefold.h"
#include "core/text.h"
#include "icons/group_names.h"
#include "icons/ico_writer.h"
#include "icons/output_names.h"

namespace zandrel::cli {

namespace fs = std::filesystem;

namespace {

// The groups a run writes: all, or those named by name or list position.
std::vector<std::size_t> Chosen(const Source& source, const std::vector<std::string>& picks,
                                std::ostream& err, bool& missing) {
  std::vector<std::size_t> chosen;
  if (picks.empty()) {
    for (std::size_t i = 0; i < source.groups.size(); ++i) chosen.push_back(i);
    return chosen;
  }
  std::unordered_set<std::size_t> seen;
  for (const std::string& pick : picks) {
    const std::u16string wanted = FromUtf8(pick);
    std::optional<std::size_t> at;
    for (std::size_t i = 0; i < source.groups.size() && !at; ++i)
      if (UpperCase(source.groups[i]) == UpperCase(wanted)) at = i;
    if (!at) {
      const std::optional<std::int32_t> index = ParseDecimalInt32(wanted);
      if (index && *index >= 0 && static_cast<std::size_t>(*index) < source.groups.size())
        at = static_cast<std::size_t>(*index);
    }
    if (!at) {
      err << "error: " << ToUtf8(source.path) << ": no group " << pick << "\n";
      missing = true;
      continue;
    }
    if (seen.insert(*at).second) chosen.push_back(*at);
  }
  return chosen;
}

// What a group is written as: the kind asked for, except that a cursor
// file, or an animation's cursor frame, stays a cursor (.cur, with its
// hotspots) when icons, the default, are asked for.
Kind WrittenKind(const Source& source, const ExtractOptions& options,
                 const std::optional<icons::ResourceName>& id) {
  const icons::ContainerKind container = source.container.kind;
  if (options.kind != Kind::kIcon || options.orphans || !id ||
      (container != icons::ContainerKind::kCursorFile &&
       container != icons::ContainerKind::kAniFile))
    return options.kind;
  return source.module().Lookup(icons::kRtGroupCursor, *id).found() ? Kind::kCursor : Kind::kIcon;
}

// Writes the chosen groups of one source into `folder`; the exit code.
int ExtractSource(const Source& source, const std::vector<std::size_t>& chosen,
                  const ExtractOptions& options, const fs::path& folder, std::ostream& err) {
  const LanguageView view(source, options.language);
  EnglishCatalogue catalogue;
  icons::RunOutputNames names;
  std::unordered_set<std::u16string> png_names;
  icons::OutputBudget budget = icons::OutputBudget::ForModuleOfSize(source.container.file_size);
  OutputFolder out(TextOf(folder / ""));
  int status = kAllDone;
  for (const std::size_t index : chosen) {
    const std::u16string& group = source.groups[index];
    const auto id = icons::ResourceIdForWriting(group);
    if (id && !view.Has(GroupType(options.kind), *id)) {
      err << "note: " << ToUtf8(source.path) << ": group " << ToUtf8(group)
          << " has no version in language " << *options.language << "\n";
      continue;
    }
    if (options.png) {
      status =
          std::max(status, WritePngs(source, view, group, folder, options.size, png_names, err));
      continue;
    }
    const Kind kind = WrittenKind(source, options, id);
    const std::u16string ico_name = names.Choose(icons::GroupOutputFileName(group));
    const std::u16string file_name = OutputFileName(ico_name, kind, options.orphans);
    if (!PlainFileName(PathOf(file_name))) {
      err << "error: " << ToUtf8(source.path) << ": group " << ToUtf8(group)
          << ": refusing a file name outside the output folder\n";
      status = std::max(status, kSomeGroupsFailed);
      continue;
    }
    CollectingLog log;
    bool written = false;
    if (kind == Kind::kIcon)
      written = icons::WriteIconGroupFile(view, group, out.path() + file_name,
                                          icons::WriteMode::kLog, catalogue, &log, &budget, &out);
    else if (kind == Kind::kCursor)
      written = WriteCursor(view, group, out, file_name, catalogue, log, budget);
    else
      written = WriteAnimation(view, kind, group, out, file_name, catalogue, log, budget);
    for (const std::u16string& line : log.lines)
      if (!line.starts_with(u"saved:"))
        err << (written ? "warning: " : "error: ") << ToUtf8(source.path) << ": group "
            << ToUtf8(group) << ": " << ToUtf8(line) << "\n";
    if (written)
      names.MarkWritten(ico_name);
    else
      status = std::max(status, kSomeGroupsFailed);
  }
  return status;
}

}  // namespace

int Extract(const std::vector<std::string>& inputs, const ExtractOptions& options,
            std::ostream& err, const Environment& environment) {
  const std::vector<Input> files = ExpandInputs(inputs);
  const fs::path out_dir = PathOf(FromUtf8(options.output));
  int status = kAllDone;
  std::unordered_set<std::u16string> subfolders;  // upper-cased
  Progress progress(err, environment.progress_terminal, files.size());
  for (std::size_t f = 0; f < files.size(); ++f) {
    progress.Step(f, files[f].path);
    const std::optional<Source> source =
        OpenSource(files[f].path, options.kind, options.orphans, err);
    if (!source) {
      status = std::max(status, kSourceMissing);
      continue;
    }
    fs::path folder = out_dir;
    if (files.size() > 1) {
      // One folder per file, named after it; a second file of the same
      // name gets _2, _3, ...
      const std::u16string base = TextOf(PathOf(files[f].path).filename());
      std::u16string name = base;
      for (int n = 2; !subfolders.insert(UpperCase(name)).second; ++n)
        name = base + u"_" + ToDecimal(n);
      folder /= PathOf(name);
    }
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec && !fs::is_directory(folder)) {
      err << "error: " << ToUtf8(TextOf(folder)) << ": cannot create the folder\n";
      status = std::max(status, kSomeGroupsFailed);
      continue;
    }
    bool missing = false;
    std::vector<std::size_t> chosen;
    if (files[f].location) {
      const auto at = LocatedGroup(files[f], source->groups, err);
      missing = !at;
      if (at) chosen = {*at};
    } else {
      chosen = Chosen(*source, options.picks, err, missing);
    }
    if (missing) status = std::max(status, kSomeGroupsFailed);
    status = std::max(status, ExtractSource(*source, chosen, options, folder, err));
  }
  return status;
}

}  // namespace zandrel::cli
