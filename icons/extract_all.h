#pragma once
// Extract all: writes every icon group of the source module into the output
// folder, one .ico file per group, narrating each step in the log and moving
// the progress bar. Every text is read from the catalogue when it is logged.

#include <string_view>

#include "icons/host.h"

namespace zandrel::icons {

// `exe_file` and `output_dir` are the texts of the source and output fields.
// Failures inside one group are logged and the loop goes on; once the module
// is open, the closing steps (release, hide the bar, process messages, the
// "ready" line) run on every way out, also when an error escapes.
void ExtractAllIconsWithProgress(std::u16string_view exe_file, std::u16string_view output_dir,
                                 ProgressView& progress, LogView& log, OperationsHost& host,
                                 const MessageCatalogue& catalogue);

}  // namespace zandrel::icons
