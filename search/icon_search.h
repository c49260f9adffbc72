#pragma once
// Finding icons over whole folders: every icon and cursor group of every
// module and icon file under a folder, read through the bounded container
// readers (resource directory and group directories only, each image read
// on demand to learn its format and size), streamed out in batches so a
// window can show rows while the scan goes on. Nothing is written during a
// scan. Filters, sorting, the file names a selection is saved under and the
// export of a filtered list (CSV, an HTML contact sheet) live here too, so
// the search window only shows and forwards.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/bytes.h"

namespace zandrel::search {

// The file kinds a search picks up, as zandrel-cli takes them from a folder:
// ".exe", ".dll", ".mun", ".cpl", ".ocx", ".scr", ".icl", ".ico", ".cur", ".ani".
const std::vector<std::u16string>& SearchableExtensions();

struct SearchOptions {
  std::u16string folder;
  bool subfolders = true;
  // The kinds to pick up (lower case, with the dot), a subset of
  // SearchableExtensions(); compared without regard to letter case.
  std::vector<std::u16string> extensions;
};

// One group found. Everything a row shows and a filter asks is here, so
// neither reads the module again.
struct FoundGroup {
  std::size_t module = 0;  // index into ScanResults::modules
  std::size_t position =
      0;                // place among the module's groups of its kind, as the main window lists
  std::u16string name;  // as the main window shows it: "ID:7" or the string name
  bool cursor = false;  // a cursor group (type 12) rather than an icon group (type 14)
  std::uint16_t image_count = 0;
  std::u16string sizes;       // the main window's sizes text
  std::uint32_t largest = 0;  // the largest image's longer edge in pixels (256 for 256x256)
  bool has_png = false;       // at least one image stored as PNG
};

// One file that held at least one group.
struct FoundModule {
  std::u16string path;       // the file found under the folder
  std::u16string read_from;  // the file read: `path`, or the .mun holding its resources
  std::u16string file_name;  // the file name of `path`, without folder
  std::u16string folder;     // the folder of `path`
};

// A file of a picked-up kind that could not be read, with the reason in
// English words ("not a module or icon file", "cannot be read", "damaged
// headers", "damaged: its resources lie past the end of the file",
// "damaged"). A crafted file costs at most its reader's budgets.
struct UnreadableFile {
  std::u16string path;
  std::u16string reason;
};

// What one hand-over carries: the modules and groups found since the last
// batch (a group's `module` indexes the modules of all batches together, in
// the order they came), the files that could not be read, and the counts.
struct ScanBatch {
  std::vector<FoundModule> modules;
  std::vector<FoundGroup> groups;
  std::vector<UnreadableFile> unreadable;
  std::size_t files_scanned = 0;  // all files read so far, this batch's included
  std::size_t files_total = 0;    // the files of picked-up kinds under the folder
  bool finished = false;          // the last batch of the scan (also after a stop)
};

// Walks the folder, reads each file and hands batches to `deliver`, from the
// calling thread: a batch at least every `batch_interval_ms` while groups
// come in, and always a last one (finished = true). Returns when the folder
// is done or `stop` turns true (checked between files and between groups of
// a file, so a stop takes effect within one module's budget). A System32
// module whose icons live in SystemResources\<name>.mun is read from there.
void ScanFolder(const SearchOptions& options, const std::atomic<bool>& stop,
                const std::function<void(ScanBatch&&)>& deliver, unsigned batch_interval_ms = 100);

// All batches of one scan together, in the order they came.
struct ScanResults {
  std::vector<FoundModule> modules;
  std::vector<FoundGroup> groups;
  std::vector<UnreadableFile> unreadable;
  std::size_t files_scanned = 0;
  std::size_t files_total = 0;
  std::size_t modules_with_groups() const { return modules.size(); }
  void Add(ScanBatch&& batch);
};

struct SearchFilter {
  std::u16string text;         // in the module's file name or the group name, any letter case
  std::uint32_t at_least = 0;  // largest image at least this many pixels; 0 for any
  bool needs_256 = false;      // an image of 256 px or more
  bool needs_png = false;      // an image stored as PNG
  bool icons = true;           // icon groups shown
  bool cursors = true;         // cursor groups shown
};

bool Matches(const FoundGroup& group, const FoundModule& module, const SearchFilter& filter);

// The positions in `results.groups` that pass the filter, in result order.
std::vector<std::size_t> FilterRows(const ScanResults& results, const SearchFilter& filter);

enum class SearchColumn { kModule, kFolder, kPosition, kName, kImageCount, kSizes, kLargest };

// Sorts rows (positions in results.groups) by one column, stable, numbers as
// numbers, texts without regard to letter case; module name and position
// break ties so the order is always the same.
void SortRows(std::vector<std::size_t>& rows, const ScanResults& results, SearchColumn column,
              bool ascending);

// The file a saved group gets in the chosen folder: "<module>_<group file
// name part>.ico" (".cur" for a cursor group) with every character a file
// name cannot hold replaced, so no name can reach outside the folder.
std::u16string SavedGroupFileName(const FoundModule& module, const FoundGroup& group);

// The bytes "Извлечь все" writes for the group (an .ico, or a .cur for a
// cursor group), read again from `module.read_from`; empty when the group
// can no longer be read.
Bytes GroupFileBytes(const FoundModule& module, const FoundGroup& group);

// The PNG of the group's largest image (a stored PNG as stored, a bitmap
// encoded); empty when it cannot be read or decoded.
Bytes LargestImagePng(const FoundModule& module, const FoundGroup& group);

// The rows as CSV (UTF-8 with BOM; header line; module, folder, position,
// name, kind, images, sizes, largest), quoted as RFC 4180 quotes.
std::string ExportCsv(const ScanResults& results, const std::vector<std::size_t>& rows);

// The rows as a self-contained HTML page (UTF-8): one card per row with the
// group's largest image as an embedded PNG (data: URL), its module, folder,
// name/ID and sizes; every text escaped. `largest_png` gives a row's PNG
// bytes (empty when it has none: the card says so).
std::string ExportHtml(const ScanResults& results, const std::vector<std::size_t>& rows,
                       const std::function<Bytes(std::size_t row)>& largest_png,
                       std::u16string_view title);

}  // namespace zandrel::search
