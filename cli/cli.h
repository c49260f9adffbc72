#pragma once
// zandrel-cli: the command-line companion for batch work, on the portable
// core. `list` prints the window's rows of every icon group; `extract` writes
// the same .ico files as "Extract all". Messages go to stderr in English;
// the listing goes to stdout only.

#include <iosfwd>
#include <string>
#include <vector>

#include "icons/system_resources.h"

namespace zandrel::cli {

// Exit codes.
inline constexpr int kAllDone = 0;
inline constexpr int kSomeGroupsFailed = 1;
inline constexpr int kUsageError = 2;
inline constexpr int kSourceMissing = 3;  // a source missing or not a module

struct Environment {
  // stderr is a terminal: a progress line is shown for runs over several files.
  bool progress_terminal = false;
};

// Arguments as UTF-8, the program name first.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const Environment& environment = {});

using icons::SystemResourcesFile;

}  // namespace zandrel::cli
