#pragma once
// Extract all: writes every icon group of the source module into the output
// folder, one .ico file per group, narrating each step in the log and moving
// the progress bar. Every text is read from the catalogue when it is logged.

#include <cstddef>
#include <string>
#include <string_view>

#include "icons/host.h"

namespace zandrel::icons {

// What a run did, for the window to tell what the log cannot: that nothing
// could be written where the user asked.
struct ExtractAllResult {
  std::u16string folder;       // the folder the run wrote into (or tried to)
  bool folder_failed = false;  // it did not exist and could not be created
  std::size_t groups = 0;      // groups found in the module
  std::size_t written = 0;     // .ico files written
};

// `exe_file` and `output_dir` are the texts of the source and output fields.
// Failures inside one group are logged and the loop goes on; once the module
// is open, the closing steps (release, hide the bar, process messages, the
// "ready" line) run on every way out, also when an error escapes.
ExtractAllResult ExtractAllIconsWithProgress(std::u16string_view exe_file,
                                             std::u16string_view output_dir, ProgressView& progress,
                                             LogView& log, OperationsHost& host,
                                             const MessageCatalogue& catalogue);

}  // namespace zandrel::icons
