#include "icons/extract_all.h"

#include <string>
#include <vector>

#include "core/file_io.h"
#include "core/paths.h"
#include "core/text.h"
#include "icons/group_names.h"
#include "icons/ico_writer.h"
#include "icons/output_names.h"

namespace zandrel::icons {

namespace {

constexpr unsigned kPauseBeforeLoopMs = 50;
// Repainting is costly; the bar is refreshed after the first group, every
// fifth one after it and the last.
constexpr std::size_t kRefreshEvery = 5;

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
  std::size_t succeeded = 0;
  for (std::size_t j = 0; j < count; ++j) {
    const std::u16string& group = groups[j];
    say.Line(say.catalogue().Text(u"LangExtraction") + u" " + ToDecimalUnsigned(j + 1) + u"/" +
             count_text + u": " + group);
    const std::u16string file_name = names.Choose(GroupOutputFileName(group));
    say.Item(u"LangSaveAs", file_name);
    if (WriteIconGroupFile(module, group, folder.path() + file_name, WriteMode::kLog,
                           say.catalogue(), &log, &budget, &folder)) {
      names.MarkWritten(file_name);
      ++succeeded;
      result.written = succeeded;
      say.Item(u"LangSuccessfully");
    } else {
      say.Item(u"LangError2");
    }
    progress.SetPosition(static_cast<int>(j + 1));
    if (j % kRefreshEvery == 0 || j == count - 1) RefreshProgress(progress, host);
    say.Line(u"");
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
