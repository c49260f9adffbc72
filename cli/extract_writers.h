#pragma once
// The files one group becomes: .ico (through the window's own writing),
// .cur with the hotspots, an .ani as stored, or one PNG per image.

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <unordered_set>

#include "cli/reporting.h"
#include "cli/source.h"
#include "icons/ico_writer.h"

namespace zandrel::cli {

// The file of a group of `kind`: its .ico name (from the run's names) with
// the kind's prefix and extension: cursor_*.cur, anicursor_*.ani,
// aniicon_*.ani, and image_*.ico for an orphaned image.
std::u16string OutputFileName(const std::u16string& ico_name, Kind kind, bool orphan);

// A cursor group as a .cur file, or an animation resource as its .ani file,
// written into `folder` as `file_name`; problems go to the log as for icons,
// and the file is taken off the budget.
bool WriteCursor(const icons::ResourceModule& module, const std::u16string& group,
                 OutputFolder& folder, const std::u16string& file_name,
                 const icons::MessageCatalogue& catalogue, CollectingLog& log,
                 icons::OutputBudget& budget);
bool WriteAnimation(const icons::ResourceModule& module, Kind kind, const std::u16string& group,
                    OutputFolder& folder, const std::u16string& file_name,
                    const icons::MessageCatalogue& catalogue, CollectingLog& log,
                    icons::OutputBudget& budget);

// The PNG files of one icon group, named as icons::PngImageFileName says;
// the exit code for this group.
int WritePngs(const Source& source, const icons::ResourceModule& view, const std::u16string& group,
              const std::filesystem::path& folder, std::uint32_t size,
              std::unordered_set<std::u16string>& taken, std::ostream& err);

}  // namespace zandrel::cli
