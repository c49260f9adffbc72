// zandrel list: the window's rows, as tab-separated lines or JSON.

#include <ostream>

#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/inputs.h"
#include "cli/reporting.h"
#include "core/text.h"
#include "icons/ani_file.h"
#include "icons/cursor_file.h"
#include "icons/group_names.h"
#include "icons/group_sizes.h"

namespace zandrel::cli {

namespace {

struct Row {
  std::size_t index;
  std::u16string name;
  std::size_t images;  // frames, for animations
  std::u16string sizes;
  std::vector<std::uint16_t> languages;
};

Row MakeRow(const Source& source, Kind kind, std::size_t index) {
  const std::u16string& name = source.groups[index];
  const icons::ResourceModule& module = source.module();
  Row row{index, name, 0, {}, {}};
  const auto id = icons::ResourceIdForWriting(name);
  if (kind == Kind::kIcon) {
    row.images = icons::GetGroupImageCount(name, module);
    row.sizes = icons::DescribeGroupSizes(name, module);
  } else if (id && kind == Kind::kCursor) {
    const icons::ResourceData group = module.Lookup(icons::kRtGroupCursor, *id);
    row.images = icons::CursorImageCount(group.bytes, module);
    row.sizes = icons::DescribeCursorGroup(group.bytes, module);
  } else if (id) {
    const icons::ResourceData animation = module.Lookup(GroupType(kind), *id);
    if (const auto summary = icons::SummarizeAni(animation.bytes)) {
      row.images = summary->frames;
      row.sizes = summary->first_frame_sizes;
    }
  }
  if (id && source.pe()) row.languages = source.pe()->LanguageIds(GroupType(kind), *id);
  return row;
}

std::u16string LanguagesText(const std::vector<std::uint16_t>& languages) {
  std::u16string text;
  for (const std::uint16_t language : languages)
    text += (text.empty() ? u"" : u",") + ToDecimal(language);
  return text;
}

}  // namespace

int List(const std::vector<std::string>& inputs, const ListOptions& options, std::ostream& out,
         std::ostream& err, const Environment& environment) {
  const std::vector<Input> files = ExpandInputs(inputs);
  int status = kAllDone;
  nlohmann::ordered_json all = nlohmann::ordered_json::object();
  Progress progress(err, environment.progress_terminal, files.size());
  for (std::size_t f = 0; f < files.size(); ++f) {
    const std::u16string& file = files[f].path;
    progress.Step(f, file);
    const std::optional<Source> source = OpenSource(file, options.kind, options.orphans, err);
    if (!source) {
      status = kSourceMissing;
      continue;
    }
    std::vector<std::size_t> shown;
    if (files[f].location) {
      const auto at = LocatedGroup(files[f], source->groups, err);
      if (!at) {
        status = std::max(status, kSomeGroupsFailed);
        continue;
      }
      shown = {*at};
    } else {
      for (std::size_t i = 0; i < source->groups.size(); ++i) shown.push_back(i);
    }
    // Rows are written as they are made: a module may hold thousands.
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const std::size_t index : shown) {
      const Row row = MakeRow(*source, options.kind, index);
      const std::u16string location =
          options.locations ? LocationOf(file, row.name, row.index) : std::u16string();
      if (options.json) {
        nlohmann::ordered_json item = {{"index", row.index},
                                       {"name", ToUtf8(row.name)},
                                       {"images", row.images},
                                       {"sizes", ToUtf8(row.sizes)}};
        if (options.languages) item["languages"] = row.languages;
        if (options.locations) item["location"] = ToUtf8(location);
        array.push_back(std::move(item));
        continue;
      }
      if (files.size() > 1) out << ToUtf8(file) << '\t';
      out << row.index << '\t' << ToUtf8(row.name) << '\t' << row.images << '\t'
          << ToUtf8(row.sizes);
      if (options.languages) out << '\t' << ToUtf8(LanguagesText(row.languages));
      if (options.locations) out << '\t' << ToUtf8(location);
      out << '\n';
    }
    if (!options.json) continue;
    if (files.size() == 1)
      out << array.dump(2) << "\n";
    else
      all[ToUtf8(file)] = std::move(array);
  }
  if (options.json && files.size() > 1) out << all.dump(2) << "\n";
  return status;
}

}  // namespace zandrel::cli
