#include "cli/cli.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <system_error>
#include <unordered_set>

#include "core/casefold.h"
#include "core/file_io.h"
#include "core/text.h"
#include "icons/cursor_file.h"
#include "icons/group_names.h"
#include "icons/group_sizes.h"
#include "icons/host.h"
#include "icons/icon_location.h"
#include "icons/ico_writer.h"
#include "icons/output_names.h"
#include "icons/pe_reader.h"
#include "icons/png_export.h"

#ifndef ZANDREL_VERSION_TEXT
#define ZANDREL_VERSION_TEXT "0.0.0.0"
#endif

namespace zandrel::cli {

namespace fs = std::filesystem;

namespace {

fs::path PathOf(const std::u16string& text) {
#ifdef _WIN32
  return fs::path(std::wstring(text.begin(), text.end()));
#else
  return fs::path(ToUtf8(text));
#endif
}

std::u16string TextOf(const fs::path& path) {
#ifdef _WIN32
  const std::wstring wide = path.wstring();
  return std::u16string(wide.begin(), wide.end());
#else
  return FromUtf8(path.string());
#endif
}

// The English texts of what writing a group may report.
class EnglishCatalogue : public icons::MessageCatalogue {
 public:
  std::u16string Text(std::u16string_view entry) const override {
    static const std::map<std::u16string_view, std::u16string_view> texts = {
        {u"LangErrorloadingIconID", u"image cannot be loaded: ID="},
        {u"LangIconIDnotFound", u"image not found: ID="},
        {u"LangSaved", u"saved:"},
        {u"LangSavingError", u"could not save:"},
        {u"LangErrorSaving", u"error while saving:"},
        {u"LangIDConversionError", u"invalid ID:"},
        {u"LangGroupNotFound", u"group not found:"},
        {u"LangErrorLoadingResource", u"group cannot be loaded:"},
        {u"LangInvalidDataSize", u"group data cut short:"},
        {u"LangGroupTooLarge", u"group too large, skipped:"},
    };
    const auto it = texts.find(entry);
    return std::u16string(it == texts.end() ? entry : it->second);
  }
};

// What writing one group reports, as lines for stderr.
class CollectingLog : public icons::LogView {
 public:
  void Clear() override { lines.clear(); }
  void AppendLine(std::u16string_view line) override { lines.emplace_back(line); }
  void ScrollToEnd() override {}
  std::vector<std::u16string> lines;
};

enum class Kind { kIcon, kCursor };

std::uint16_t GroupType(Kind kind) {
  return kind == Kind::kCursor ? icons::kRtGroupCursor : icons::kRtGroupIcon;
}

struct Source {
  std::u16string path;       // as given (or found in a folder)
  std::u16string read_from;  // the module read: the path, or its .mun
  std::unique_ptr<icons::PeResourceModule> module;
  std::vector<std::u16string> groups;
};

std::vector<std::u16string> GroupNames(const icons::PeResourceModule& module, Kind kind) {
  if (kind == Kind::kIcon) return icons::CollectGroupNames(module);
  std::vector<std::u16string> names;
  for (const icons::ResourceName& name : module.EnumerateNames(icons::kRtGroupCursor))
    names.push_back(icons::GroupNameFromResourceName(name));
  return names;
}

// The module as one language shows it: each resource in that language when
// it has it, otherwise as the window would take it.
class LanguageView : public icons::ResourceModule {
 public:
  LanguageView(const icons::PeResourceModule& module, std::optional<std::uint16_t> language)
      : module_(module), language_(language) {}
  std::vector<icons::ResourceName> EnumerateNames(std::uint16_t type) const override {
    return module_.EnumerateNames(type);
  }
  icons::ResourceData Lookup(std::uint16_t type, const icons::ResourceName& name) const override {
    if (language_) {
      icons::ResourceData version = module_.LookupLanguage(type, name, *language_);
      if (version.status != icons::ResourceData::Status::kNotFound) return version;
    }
    return module_.Lookup(type, name);
  }
  bool Has(std::uint16_t type, const icons::ResourceName& name) const {
    if (!language_) return true;
    const auto ids = module_.LanguageIds(type, name);
    return std::find(ids.begin(), ids.end(), *language_) != ids.end();
  }

 private:
  const icons::PeResourceModule& module_;
  std::optional<std::uint16_t> language_;
};

// A variable of the environment (names are case-blind on Windows).
std::optional<std::u16string> EnvironmentValue(std::u16string_view name) {
#ifdef _WIN32
  const wchar_t* value = _wgetenv(std::wstring(name.begin(), name.end()).c_str());
  if (!value) return std::nullopt;
  const std::wstring wide(value);
  return std::u16string(wide.begin(), wide.end());
#else
  const char* value = std::getenv(ToUtf8(name).c_str());
  if (!value) return std::nullopt;
  return FromUtf8(value);
#endif
}

// A group's location as Windows writes it, the module's path absolute and
// written with the environment folder it lies in.
std::u16string LocationOf(const std::u16string& module, const std::u16string& group,
                          std::size_t position) {
  std::vector<icons::EnvironmentFolder> folders;
  for (const std::u16string& name : icons::LocationFolderVariables())
    if (const auto value = EnvironmentValue(name)) folders.emplace_back(name, *value);
  std::error_code ec;
  const fs::path absolute = fs::absolute(PathOf(module), ec);
  return icons::FormatIconLocation(
      icons::PathWithEnvironmentFolder(ec ? module : TextOf(absolute), folders), group, position);
}

bool IsModuleName(const fs::path& path) {
  std::u16string ext = UpperCase(TextOf(path.extension()));
  return ext == u".EXE" || ext == u".DLL" || ext == u".MUN" || ext == u".CPL" ||
         ext == u".OCX" || ext == u".SCR";
}

// One module to read, and the one group an icon location named in it.
struct Input {
  std::u16string path;
  std::optional<std::int32_t> location;
};

// The files named on the command line; a folder stands for the modules in
// it and below it, in name order; an icon location ("shell32.dll,-8") for
// its module, narrowed to that group.
std::vector<Input> ExpandInputs(const std::vector<std::string>& inputs) {
  std::vector<Input> files;
  for (const std::string& input : inputs) {
    const std::u16string text = FromUtf8(input);
    std::error_code ec;
    if (!fs::exists(PathOf(text), ec)) {
      if (const auto location = icons::ParseIconLocation(text)) {
        const std::u16string module = icons::ResolveLocationModule(
            location->module, &EnvironmentValue,
            [](const std::u16string& path) { return FileExists(path); });
        files.push_back({module, location->value});
        continue;
      }
    }
    if (!fs::is_directory(PathOf(text), ec)) {
      files.push_back({text, std::nullopt});
      continue;
    }
    std::vector<std::u16string> found;
    for (auto it = fs::recursive_directory_iterator(
             PathOf(text), fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      if (it->is_regular_file(ec) && IsModuleName(it->path())) found.push_back(TextOf(it->path()));
    }
    std::sort(found.begin(), found.end());
    for (std::u16string& file : found) files.push_back({std::move(file), std::nullopt});
  }
  return files;
}

// The group an input's location names, reported when the module has none.
std::optional<std::size_t> LocatedGroup(const Input& input,
                                        const std::vector<std::u16string>& groups,
                                        std::ostream& err) {
  const auto at = icons::GroupOfLocation(groups, *input.location);
  if (!at)
    err << "error: " << ToUtf8(input.path) << ": no group at location " << *input.location << "\n";
  return at;
}

// Opens a source; a module without icon groups that has a system-resources
// file takes its groups from there, and says so.
std::optional<Source> OpenSource(const std::u16string& path, Kind kind, std::ostream& err) {
  if (!FileExists(path)) {
    err << "error: " << ToUtf8(path) << ": no such file\n";
    return std::nullopt;
  }
  icons::PeOpenError error = icons::PeOpenError::kNone;
  Source source;
  source.path = path;
  source.read_from = path;
  source.module = icons::PeResourceModule::FromFile(path, &error);
  if (!source.module) {
    err << "error: " << ToUtf8(path) << ": "
        << (error == icons::PeOpenError::kCannotRead ? "cannot be read" : "not a Windows module")
        << "\n";
    return std::nullopt;
  }
  source.groups = GroupNames(*source.module, kind);
  if (source.groups.empty()) {
    const std::u16string mun = SystemResourcesFile(path);
    if (!mun.empty()) {
      if (auto other = icons::PeResourceModule::FromFile(mun)) {
        err << "note: " << ToUtf8(path) << " holds no icon groups; reading " << ToUtf8(mun) << "\n";
        source.read_from = mun;
        source.module = std::move(other);
        source.groups = GroupNames(*source.module, kind);
      }
    }
  }
  return source;
}

class Progress {
 public:
  Progress(std::ostream& err, bool shown, std::size_t total)
      : err_(err), shown_(shown && total > 1), total_(total) {}
  ~Progress() {
    if (shown_ && started_) err_ << "\n" << std::flush;
  }
  void Step(std::size_t index, const std::u16string& file) {
    if (!shown_) return;
    started_ = true;
    err_ << "\r[" << index + 1 << "/" << total_ << "] " << ToUtf8(file) << "\x1b[K" << std::flush;
  }

 private:
  std::ostream& err_;
  bool shown_;
  std::size_t total_;
  bool started_ = false;
};

struct Row {
  std::size_t index;
  std::u16string name;
  std::uint16_t images;
  std::u16string sizes;
  std::vector<std::uint16_t> languages;
};

std::vector<Row> Rows(const Source& source, Kind kind) {
  std::vector<Row> rows;
  rows.reserve(source.groups.size());
  for (std::size_t i = 0; i < source.groups.size(); ++i) {
    const std::u16string& name = source.groups[i];
    Row row{i, name, 0, {}, {}};
    const auto id = icons::ResourceIdForWriting(name);
    if (kind == Kind::kIcon) {
      row.images = icons::GetGroupImageCount(name, *source.module);
      row.sizes = icons::DescribeGroupSizes(name, *source.module);
    } else if (id) {
      const icons::ResourceData group = source.module->Lookup(icons::kRtGroupCursor, *id);
      row.images = icons::CursorImageCount(group.bytes, *source.module);
      row.sizes = icons::DescribeCursorGroup(group.bytes, *source.module);
    }
    if (id) row.languages = source.module->LanguageIds(GroupType(kind), *id);
    rows.push_back(std::move(row));
  }
  return rows;
}

std::u16string LanguagesText(const std::vector<std::uint16_t>& languages) {
  std::u16string text;
  for (const std::uint16_t language : languages)
    text += (text.empty() ? u"" : u",") + ToDecimal(language);
  return text;
}

struct ListOptions {
  bool json = false;
  bool languages = false;
  bool locations = false;
  Kind kind = Kind::kIcon;
};

int List(const std::vector<std::string>& inputs, const ListOptions& options, std::ostream& out,
         std::ostream& err, const Environment& environment) {
  const bool json = options.json;
  const std::vector<Input> files = ExpandInputs(inputs);
  int status = kAllDone;
  nlohmann::ordered_json all = nlohmann::ordered_json::object();
  Progress progress(err, environment.progress_terminal, files.size());
  for (std::size_t f = 0; f < files.size(); ++f) {
    const std::u16string& file = files[f].path;
    progress.Step(f, file);
    const std::optional<Source> source = OpenSource(file, options.kind, err);
    if (!source) {
      status = kSourceMissing;
      continue;
    }
    std::vector<Row> rows = Rows(*source, options.kind);
    if (files[f].location) {
      const auto at = LocatedGroup(files[f], source->groups, err);
      if (!at) {
        status = std::max(status, kSomeGroupsFailed);
        continue;
      }
      rows = {rows[*at]};
    }
    if (json) {
      nlohmann::ordered_json array = nlohmann::ordered_json::array();
      for (const Row& row : rows) {
        nlohmann::ordered_json item = {{"index", row.index},
                                       {"name", ToUtf8(row.name)},
                                       {"images", row.images},
                                       {"sizes", ToUtf8(row.sizes)}};
        if (options.languages) item["languages"] = row.languages;
        if (options.locations) item["location"] = ToUtf8(LocationOf(file, row.name, row.index));
        array.push_back(std::move(item));
      }
      if (files.size() == 1)
        out << array.dump(2) << "\n";
      else
        all[ToUtf8(file)] = std::move(array);
      continue;
    }
    for (const Row& row : rows) {
      if (files.size() > 1) out << ToUtf8(file) << '\t';
      out << row.index << '\t' << ToUtf8(row.name) << '\t' << row.images << '\t' << ToUtf8(row.sizes);
      if (options.languages) out << '\t' << ToUtf8(LanguagesText(row.languages));
      if (options.locations) out << '\t' << ToUtf8(LocationOf(file, row.name, row.index));
      out << '\n';
    }
  }
  if (json && files.size() > 1) out << all.dump(2) << "\n";
  return status;
}

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

// True when `name` is one plain file name: no folder part, no root or drive,
// not "." or "..". Joined to the output folder it stays in that folder
// whatever the resource name held; writing then replaces a link of that name
// rather than following it.
bool PlainFileName(const fs::path& name) {
  return !name.empty() && std::distance(name.begin(), name.end()) == 1 && !name.has_root_path() &&
         name != "." && name != "..";
}

struct ExtractOptions {
  std::string output = ".";
  std::vector<std::string> picks;
  bool png = false;
  std::uint32_t size = 0;  // --size: only images of this width (PNG export)
  Kind kind = Kind::kIcon;
  std::optional<std::uint16_t> language;
};

// The cursor file of a group: its .ico name with "cursor_" and ".cur".
std::u16string CursorFileName(std::u16string ico_name) {
  if (ico_name.starts_with(u"icon_")) ico_name = u"cursor_" + ico_name.substr(5);
  ico_name.replace(ico_name.size() - 4, 4, u".cur");
  return ico_name;
}

// The PNG files of one group, named as icons::PngImageFileName says.
int WritePngs(const Source& source, const icons::ResourceModule& view, const std::u16string& group,
              const fs::path& folder, std::uint32_t size, std::unordered_set<std::u16string>& taken,
              std::ostream& err) {
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
    const fs::path target = folder / PathOf(name);
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

// A cursor group as a .cur file; problems go to the log as for icons.
bool WriteCursor(const icons::ResourceModule& module, const std::u16string& group,
                 const std::u16string& target, const icons::MessageCatalogue& catalogue,
                 CollectingLog& log, icons::OutputBudget& budget) {
  const auto id = icons::ResourceIdForWriting(group);
  if (!id) {
    log.AppendLine(catalogue.Text(u"LangIDConversionError") + u" " + group);
    return false;
  }
  const icons::ResourceData data = module.Lookup(icons::kRtGroupCursor, *id);
  if (!data.found()) {
    log.AppendLine(catalogue.Text(u"LangErrorLoadingResource") + u" " + group);
    return false;
  }
  const auto file = icons::AssembleCursorFile(
      data.bytes, module,
      [&](const icons::ImageProblem& problem) {
        log.AppendLine(catalogue.Text(problem.kind == icons::ImageProblem::Kind::kNotFound
                                          ? u"LangIconIDnotFound"
                                          : u"LangErrorloadingIconID") +
                       ToDecimalUnsigned(problem.image_id));
      },
      &budget);
  if (!file) {
    log.AppendLine(catalogue.Text(u"LangGroupTooLarge") + u" " + group);
    return false;
  }
  try {
    WriteFileAtomically(target, *file);
  } catch (const FileError& e) {
    log.AppendLine(catalogue.Text(u"LangErrorSaving") + u" " + e.message());
    return false;
  }
  return true;
}

int Extract(const std::vector<std::string>& inputs, const ExtractOptions& options,
            std::ostream& err, const Environment& environment) {
  const std::string& output = options.output;
  const std::vector<std::string>& picks = options.picks;
  const std::vector<Input> files = ExpandInputs(inputs);
  const fs::path out_dir = PathOf(FromUtf8(output));
  int status = kAllDone;
  EnglishCatalogue catalogue;
  std::unordered_set<std::u16string> subfolders;  // upper-cased
  Progress progress(err, environment.progress_terminal, files.size());
  for (std::size_t f = 0; f < files.size(); ++f) {
    progress.Step(f, files[f].path);
    const std::optional<Source> source = OpenSource(files[f].path, options.kind, err);
    if (!source) {
      status = std::max(status, kSourceMissing);
      continue;
    }
    const LanguageView view(*source->module, options.language);
    fs::path folder = out_dir;
    if (files.size() > 1) {
      // One folder per module, named after its file; a second module of the
      // same name gets _2, _3, ...
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
      chosen = Chosen(*source, picks, err, missing);
    }
    if (missing) status = std::max(status, kSomeGroupsFailed);
    icons::RunOutputNames names;
    std::unordered_set<std::u16string> png_names;
    const auto module_size = source->module->file_size();
    icons::OutputBudget budget = icons::OutputBudget::ForModuleOfSize(module_size);
    for (const std::size_t index : chosen) {
      const std::u16string& group = source->groups[index];
      const auto id = icons::ResourceIdForWriting(group);
      if (id && !view.Has(GroupType(options.kind), *id)) {
        err << "note: " << ToUtf8(source->path) << ": group " << ToUtf8(group)
            << " has no version in language " << *options.language << "\n";
        continue;
      }
      if (options.png) {
        status = std::max(status,
                          WritePngs(*source, view, group, folder, options.size, png_names, err));
        continue;
      }
      const std::u16string ico_name = names.Choose(icons::GroupOutputFileName(group));
      const std::u16string file_name =
          options.kind == Kind::kCursor ? CursorFileName(ico_name) : ico_name;
      const fs::path target = folder / PathOf(file_name);
      if (!PlainFileName(PathOf(file_name))) {
        err << "error: " << ToUtf8(source->path) << ": group " << ToUtf8(group)
            << ": refusing a file name outside the output folder\n";
        status = std::max(status, kSomeGroupsFailed);
        continue;
      }
      CollectingLog log;
      const bool written =
          options.kind == Kind::kCursor
              ? WriteCursor(view, group, TextOf(target), catalogue, log, budget)
              : icons::WriteIconGroupFile(view, group, TextOf(target), icons::WriteMode::kLog,
                                          catalogue, &log, &budget);
      for (const std::u16string& line : log.lines)
        if (!line.starts_with(u"saved:"))
          err << (written ? "warning: " : "error: ") << ToUtf8(source->path) << ": group "
              << ToUtf8(group) << ": " << ToUtf8(line) << "\n";
      if (written) {
        names.MarkWritten(ico_name);
      } else {
        status = std::max(status, kSomeGroupsFailed);
      }
    }
  }
  return status;
}

}  // namespace

std::u16string SystemResourcesFile(const std::u16string& module_path) {
  const fs::path module = PathOf(module_path);
  const fs::path windows = module.parent_path().parent_path();
  if (windows.empty() || windows == module.parent_path()) return {};
  std::error_code ec;
  const fs::path wanted = windows / "SystemResources" / (module.filename().native() + PathOf(u".mun").native());
  if (fs::is_regular_file(wanted, ec)) return TextOf(wanted);
  // A mounted Windows volume on a file system that tells letter case apart.
  const std::u16string folder_upper = u"SYSTEMRESOURCES";
  const std::u16string file_upper = UpperCase(TextOf(module.filename()) + u".mun");
  for (auto it = fs::directory_iterator(windows, ec); !ec && it != fs::directory_iterator();
       it.increment(ec)) {
    if (UpperCase(TextOf(it->path().filename())) != folder_upper || !it->is_directory(ec)) continue;
    for (auto inner = fs::directory_iterator(it->path(), ec);
         !ec && inner != fs::directory_iterator(); inner.increment(ec))
      if (UpperCase(TextOf(inner->path().filename())) == file_upper && inner->is_regular_file(ec))
        return TextOf(inner->path());
  }
  return {};
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const Environment& environment) {
  CLI::App app{"zandrel-cli: lists and extracts the icon groups of Windows modules (.exe, .dll, "
               ".mun, ...), byte for byte as the Zandrel window writes them.",
               "zandrel-cli"};
  app.set_version_flag("--version", ZANDREL_VERSION_TEXT);
  app.require_subcommand(1);

  std::vector<std::string> list_files;
  ListOptions list_options;
  std::string list_type = "icon", extract_type = "icon";
  CLI::App* list = app.add_subcommand(
      "list", "One line per icon group: index, name, image count, sizes (tab-separated; the "
              "file's path first when several files are listed).");
  list->add_option("FILE", list_files,
                   "Modules, folders searched for modules, or icon locations (shell32.dll,-8)")
      ->required();
  list->add_flag("--json", list_options.json,
                 "JSON: an array per file, in an object keyed by path for several");
  list->add_option("--type", list_type, "icon (default) or cursor groups")
      ->check(CLI::IsMember({"icon", "cursor"}));
  list->add_flag("--languages", list_options.languages,
                 "Add the language ids each group exists in");
  list->add_flag("--locations", list_options.locations,
                 "Add each group's icon location, as Windows writes it (module,-id or "
                 "module,index)");

  std::vector<std::string> extract_files;
  ExtractOptions options;
  CLI::App* extract = app.add_subcommand(
      "extract", "Writes every icon group as an .ico file, named as \"Extract all\" names them.");
  extract
      ->add_option("FILE", extract_files,
                   "Modules, folders searched for modules, or icon locations (one group)")
      ->required();
  extract->add_option("-o,--output", options.output,
                      "Output folder (created; one subfolder per module for several)");
  extract->add_option("--group", options.picks, "A group by name or list index (repeatable)")
      ->expected(1)
      ->take_all();
  extract->add_flag("--png", options.png,
                    "Each image as a PNG file (BMP images as 32-bit RGBA with their masks)");
  extract->add_option("--size", options.size, "With --png: only images of this width")
      ->check(CLI::Range(1, 1024));
  extract->add_option("--type", extract_type, "icon (.ico, default) or cursor (.cur) groups")
      ->check(CLI::IsMember({"icon", "cursor"}));
  int language = -1;
  extract->add_option("--lang", language,
                      "A language id: each group in that language (groups without it are left out)")
      ->check(CLI::Range(0, 65535));

  std::vector<std::string> reversed(args.rbegin(), args.rend());
  if (!reversed.empty()) reversed.pop_back();  // the program name
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e, out, err);
    return code == 0 ? kAllDone : kUsageError;
  }
  list_options.kind = list_type == "cursor" ? Kind::kCursor : Kind::kIcon;
  if (list->parsed()) return List(list_files, list_options, out, err, environment);
  options.kind = extract_type == "cursor" ? Kind::kCursor : Kind::kIcon;
  if (language >= 0) options.language = static_cast<std::uint16_t>(language);
  if (options.png && options.kind == Kind::kCursor) {
    err << "--png: icon groups only\n";
    return kUsageError;
  }
  if (options.size != 0 && !options.png) {
    err << "--size: only with --png\n";
    return kUsageError;
  }
  return Extract(extract_files, options, err, environment);
}

}  // namespace zandrel::cli
