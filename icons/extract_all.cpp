#include "icons/extract_all.h"

#include <deque>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "core/paths.h"
#include "core/text.h"
#include "icons/group_names.h"
#include "icons/ico_writer.h"
#include "icons/output_names.h"
#include "icons/queued_writes.h"

namespace zandrel::icons {

namespace {

constexpr unsigned kPauseBeforeLoopMs = 50;
// Repainting is costly; the bar is refreshed after the first group, every
// fifth one after it and the last.
constexpr std::size_t kRefreshEvery = 5;

// Waiting for a file to be written, the window is answered this often.
constexpr unsigned kWaitStepMs = 20;
// Blocks held back at most before waiting for the oldest one's file.
constexpr std::size_t kMaxHeldBlocks = 4096;

// One group's block of the log, held back until its file is written.
struct HeldBlock : LogView {
  void Clear() override { lines.clear(); }
  void AppendLine(std::u16string_view line) override { lines.emplace_back(line); }
  void ScrollToEnd() override {}

  std::vector<std::u16string> lines;
  bool queued = false;  // its file waits to be written
};

class Narrator {
 public:
  Narrator(LogView& log, const MessageCatalogue& catalogue) : log_(log), catalogue_(catalogue) {}

  void Line(std::u16string_view text) { log_.AppendLine(text); }
  void Item(std::u16string_view entry) { log_.AppendLine(catalogue_.Text(entry)); }
  void Item(std::u16string_view entry, std::u16string_view value) {
    log_.AppendLine(catalogue_.Text(entry) + u" " + std::u16string(value));
  }
  const MessageCatalogue& catalogue() const { return catalogue_; }

 private:
  LogView& log_;
  const MessageCatalogue& catalogue_;
};

void RefreshProgress(ProgressView& progress, OperationsHost& host) {
  progress.Refresh();
  host.ProcessMessages();
}

// Steps from the group search to the summary; runs with the module open.
// module_bytes: the module file's size, which bounds what the run writes.
void ExtractGroups(const ResourceModule& module, std::uint64_t module_bytes,
                   std::u16string_view target_folder, ProgressView& progress, LogView& log,
                   OperationsHost& host, Narrator& say, ExtractAllResult& result) {
  say.Item(u"LangSearchingIconGroups");
  const std::vector<std::u16string> groups = CollectGroupNames(module);
  say.Item(u"LangSearchCompleted");
  if (groups.empty()) {
    say.Item(u"LangNoIconGroupsFound");
    return;
  }
  result.groups = groups.size();

  const std::size_t count = groups.size();
  const std::u16string count_text = ToDecimalUnsigned(count);
  say.Item(u"LangIconGroupsFound", count_text);
  for (std::size_t i = 0; i < count; ++i)
    say.Line(u"  [" + ToDecimalUnsigned(i) + u"] " + groups[i]);

  progress.SetRange(0, static_cast<int>(count));
  progress.SetPosition(0);
  progress.ShowInFront();
  RefreshProgress(progress, host);
  host.Sleep(kPauseBeforeLoopMs);
  host.ProcessMessages();

  say.Line(u"");
  say.Item(u"LangExtractionStarted");
  RunOutputNames names;
  OutputFolder folder{std::u16string(target_folder)};
  OutputBudget budget = OutputBudget::ForModuleOfSize(module_bytes);
  // Files are written on a thread of their own while the next groups are
  // read; each group's block of the log is held back until its file is
  // written, so the blocks keep their order.
  QueuedWrites writes(folder);
  std::deque<HeldBlock> held;
  std::size_t succeeded = 0;
  std::size_t told = 0;
  // Tells the held blocks whose files are done, oldest first; with `all`, or
  // while too much waits, it waits for them and keeps the window answering.
  auto tell = [&](bool all) {
    while (!held.empty()) {
      HeldBlock& block = held.front();
      bool written = false;
      if (block.queued) {
        const bool wait = all || writes.full() || held.size() >= kMaxHeldBlocks;
        const auto outcome = writes.Take(wait ? kWaitStepMs : 0);
        if (!outcome) {
          if (!wait) return;
          host.ProcessMessages();
          continue;
        }
        written = ReportIconGroupWrite(folder.path() + outcome->file_name,
                                       outcome->error ? &*outcome->error : nullptr, outcome->exists,
                                       say.catalogue(), &block);
      }
      for (const std::u16string& line : block.lines) say.Line(line);
      if (written) {
        result.written = ++succeeded;
        say.Item(u"LangSuccessfully");
      } else {
        say.Item(u"LangError2");
      }
      held.pop_front();
      ++told;
      progress.SetPosition(static_cast<int>(told));
      if ((told - 1) % kRefreshEvery == 0 || told == count) RefreshProgress(progress, host);
      say.Line(u"");
    }
  };
  try {
    for (std::size_t j = 0; j < count; ++j) {
      const std::u16string& group = groups[j];
      HeldBlock& block = held.emplace_back();
      block.AppendLine(say.catalogue().Text(u"LangExtraction") + u" " + ToDecimalUnsigned(j + 1) +
                       u"/" + count_text + u": " + group);
      std::u16string file_name = names.Choose(GroupOutputFileName(group));
      block.AppendLine(say.catalogue().Text(u"LangSaveAs") + u" " + file_name);
      auto ico =
          AssembleIconGroupFile(module, group, WriteMode::kLog, say.catalogue(), &block, &budget);
      if (ico) {
        // Taken from here on: a later group of the same name gets the next suffix.
        names.MarkWritten(file_name);
        writes.Queue(std::move(file_name), std::move(*ico));
        block.queued = true;
      }
      tell(false);
    }
    tell(true);
  } catch (...) {
    // What was narrated reaches the log before the error goes on: the blocks
    // of the written files in full, the one being read as far as it got.
    HeldBlock partial;
    if (!held.empty() && !held.back().queued) {
      partial = std::move(held.back());
      held.pop_back();
    }
    tell(true);
    for (const std::u16string& line : partial.lines) say.Line(line);
    throw;
  }

  say.Line(std::u16string(36, u'\u2550'));
  say.Item(u"LangEXTRACTIONCOMPLETE");
  say.Item(u"LangIconsFound", count_text);
  say.Item(u"LangSuccessfullyExtracted", ToDecimalUnsigned(succeeded));
  say.Item(u"LangFolder", target_folder);
  if (succeeded < count) say.Item(u"LangFailedToExtract", ToDecimalUnsigned(count - succeeded));
  log.ScrollToEnd();
}

}  // namespace

ExtractAllResult ExtractAllIconsWithProgress(std::u16string_view exe_file,
                                             std::u16string_view output_dir, ProgressView& progress,
                                             LogView& log, OperationsHost& host,
                                             const MessageCatalogue& catalogue) {
  ExtractAllResult result;
  Narrator say(log, catalogue);
  log.Clear();
  say.Item(u"LangStartingExtractIcons");
  say.Item(u"LangFile", exe_file);
  if (!FileExists(exe_file)) {
    say.Item(u"LangFileNotFound");
    say.Item(u"LangCheckPath", exe_file);
    return result;
  }

  const std::u16string target_folder = ExtractAllTargetFolder(exe_file, output_dir);
  result.folder = target_folder;
  say.Item(u"LangSaveFolder", target_folder);
  if (!DirectoryExists(target_folder)) {
    if (!ForceDirectories(target_folder)) {
      say.Item(u"LangFailedCreateFolder");
      result.folder_failed = true;
      return result;
    }
    say.Item(u"LangFolderCreated");
  }

  say.Item(u"LangLoadingFile");
  OpenedModule opened = host.OpenModule(exe_file);
  if (!opened.module) {
    say.Item(u"LangERRORFailedLoadFile");
    say.Item(u"LangErrorCode", ToDecimalUnsigned(opened.error_code));
    return result;
  }
  say.Item(u"LangFileLoadedSuccessfully");

  // From here on the closing steps run on every way out.
  auto finish = [&] {
    opened.module.reset();
    progress.HideAndReset();
    host.ProcessMessages();
    say.Line(u"");
    say.Item(u"LangReady");
  };
  try {
    ExtractGroups(*opened.module, FileSize(exe_file).value_or(0), target_folder, progress, log,
                  host, say, result);
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return result;
}

}  // namespace zandrel::icons
