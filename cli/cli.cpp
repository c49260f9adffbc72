#include "cli/cli.h"

#include <CLI/CLI.hpp>

#include <ostream>

#include "cli/commands.h"

#ifndef ZANDREL_VERSION_TEXT
#define ZANDREL_VERSION_TEXT "0.0.0.0"
#endif

namespace zandrel::cli {

namespace {

const std::vector<std::string> kKinds = {"icon", "cursor", "anicursor", "aniicon"};

Kind KindOf(const std::string& name) {
  if (name == "cursor") return Kind::kCursor;
  if (name == "anicursor") return Kind::kAniCursor;
  if (name == "aniicon") return Kind::kAniIcon;
  return Kind::kIcon;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const Environment& environment) {
  CLI::App app{"zandrel-cli: lists and extracts the icons and cursors of Windows modules (.exe, "
               ".dll, .mun, 16-bit modules and .icl libraries) and of .ico, .cur and .ani files, "
               "byte for byte as the Zandrel window writes them.",
               "zandrel-cli"};
  app.set_version_flag("--version", ZANDREL_VERSION_TEXT);
  app.require_subcommand(1);
  const std::string type_help =
      "icon groups (default), cursor groups, or anicursor / aniicon resources (whole .ani files)";

  std::vector<std::string> list_files;
  ListOptions list_options;
  std::string list_type = "icon", extract_type = "icon";
  CLI::App* list = app.add_subcommand(
      "list", "One line per group: index, name, image count (frames for animations), sizes "
              "(tab-separated; the file's path first when several files are listed).");
  list->add_option("FILE", list_files,
                   "Modules, icon files, folders searched for them, or icon locations "
                   "(shell32.dll,-8)")
      ->required();
  list->add_flag("--json", list_options.json,
                 "JSON: an array per file, in an object keyed by path for several");
  list->add_option("--type", list_type, type_help)->check(CLI::IsMember(kKinds));
  list->add_flag("--orphans", list_options.orphans,
                 "Icon images that no group names, one line each");
  list->add_flag("--languages", list_options.languages,
                 "Add the language ids each group exists in");
  list->add_flag("--locations", list_options.locations,
                 "Add each group's icon location, as Windows writes it (module,-id or "
                 "module,index)");

  std::vector<std::string> extract_files;
  ExtractOptions options;
  CLI::App* extract = app.add_subcommand(
      "extract", "Writes every group as a file (.ico, .cur or .ani), named as \"Extract all\" "
                 "names them.");
  extract
      ->add_option("FILE", extract_files,
                   "Modules, icon files, folders searched for them, or icon locations (one group)")
      ->required();
  extract->add_option("-o,--output", options.output,
                      "Output folder (created; one subfolder per file for several)");
  extract->add_option("--group", options.picks, "A group by name or list index (repeatable)")
      ->expected(1)
      ->take_all();
  extract->add_flag("--png", options.png,
                    "Each image as a PNG file (BMP images as 32-bit RGBA with their masks)");
  extract->add_option("--size", options.size, "With --png: only images of this width")
      ->check(CLI::Range(1, 1024));
  extract->add_option("--type", extract_type, type_help)->check(CLI::IsMember(kKinds));
  extract->add_flag("--orphans", options.orphans,
                    "Each icon image that no group names, as a one-image .ico (image_*.ico)");
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
  list_options.kind = KindOf(list_type);
  options.kind = KindOf(extract_type);
  if ((list->parsed() ? list_options.orphans && list_options.kind != Kind::kIcon
                      : options.orphans && options.kind != Kind::kIcon)) {
    err << "--orphans: icon images only\n";
    return kUsageError;
  }
  if (list->parsed()) return List(list_files, list_options, out, err, environment);
  if (language >= 0) options.language = static_cast<std::uint16_t>(language);
  if (options.png && options.kind != Kind::kIcon) {
    err << "--png: icon groups only\n";
    return kUsageError;
  }
  if (options.orphans && options.language) {
    err << "--orphans: not with --lang\n";
    return kUsageError;
  }
  if (options.size != 0 && !options.png) {
    err << "--size: only with --png\n";
    return kUsageError;
  }
  return Extract(extract_files, options, err, environment);
}

}  // namespace zandrel::cli
