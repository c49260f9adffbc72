#include <algorithm>
#include <chrono>
#include <exception>
#include <filesystem>
#include <new>
#include <system_error>

#include "core/casefold.h"
#include "core/fs_path.h"
#include "icons/group_names.h"
#include "icons/pe_reader.h"
#include "icons/resource_container.h"
#include "icons/system_resources.h"
#include "search/group_facts.h"
#include "search/icon_search.h"

namespace zandrel::search {

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

bool Picked(const fs::path& path, const std::vector<std::u16string>& extensions) {
  const std::u16string ext = UpperCase(TextOf(path.extension()));
  return std::any_of(extensions.begin(), extensions.end(),
                     [&](const std::u16string& wanted) { return UpperCase(wanted) == ext; });
}

// The files of the kinds asked for, in name order; the walk ends early on a stop.
std::vector<fs::path> FilesUnder(const SearchOptions& options, const std::atomic<bool>& stop) {
  std::vector<fs::path> files;
  std::error_code ec;
  const fs::path root = PathOf(options.folder);
  const auto take = [&](const fs::directory_entry& entry) {
    // The name first: asking a file's kind may cost the file system a look-up.
    if (Picked(entry.path(), options.extensions) && entry.is_regular_file(ec))
      files.push_back(entry.path());
  };
  if (options.subfolders) {
    for (auto it = fs::recursive_directory_iterator(
             root, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator() && !stop; it.increment(ec))
      take(*it);
  } else {
    for (auto it = fs::directory_iterator(root, ec); !ec && it != fs::directory_iterator() && !stop;
         it.increment(ec))
      take(*it);
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::u16string Reason(icons::ContainerError error) {
  switch (error) {
    case icons::ContainerError::kCannotRead:
      return u"cannot be read";
    case icons::ContainerError::kBadHeaders:
      return u"damaged headers";
    case icons::ContainerError::kUnknownFormat:
    case icons::ContainerError::kNone:
      break;
  }
  return u"not a module or icon file";
}

bool CutShort(const icons::OpenedContainer& container) {
  return container.kind == icons::ContainerKind::kPeModule &&
         static_cast<const icons::PeResourceModule&>(*container.module).resources_cut_short();
}

// The groups a container shows: a module's icon groups, then its cursor
// groups; an icon, cursor or .ani file's groups, cursors where the file's
// groups are cursors too.
struct ListedGroup {
  std::u16string name;
  bool cursor = false;
  std::size_t position = 0;
};
std::vector<ListedGroup> ListedGroups(const icons::OpenedContainer& container) {
  const icons::ResourceModule& module = *container.module;
  std::vector<ListedGroup> groups;
  const std::vector<icons::ResourceName> cursors = module.EnumerateNames(icons::kRtGroupCursor);
  const bool file = container.kind != icons::ContainerKind::kPeModule &&
                    container.kind != icons::ContainerKind::kNeModule;
  std::size_t position = 0;
  for (const icons::ResourceName& name : module.EnumerateNames(icons::kRtGroupIcon)) {
    const bool cursor = file && std::find(cursors.begin(), cursors.end(), name) != cursors.end();
    groups.push_back({icons::GroupNameFromResourceName(name), cursor, position++});
  }
  if (file) return groups;
  position = 0;
  for (const icons::ResourceName& name : cursors)
    groups.push_back({icons::GroupNameFromResourceName(name), true, position++});
  return groups;
}

}  // namespace

const std::vector<std::u16string>& SearchableExtensions() {
  static const std::vector<std::u16string> kinds = {u".exe", u".dll", u".mun", u".cpl", u".ocx",
                                                    u".scr", u".icl", u".ico", u".cur", u".ani"};
  return kinds;
}

void ScanFolder(const SearchOptions& options, const std::atomic<bool>& stop,
                const std::function<void(ScanBatch&&)>& deliver, unsigned batch_interval_ms) {
  const std::vector<fs::path> files = FilesUnder(options, stop);
  ScanBatch batch;
  batch.files_total = files.size();
  std::size_t modules = 0;
  icons::SystemResourcesFiles system_resources;
  auto handed_at = Clock::now();
  const auto hand_over = [&](bool last) {
    batch.finished = last;
    const std::size_t scanned = batch.files_scanned, total = batch.files_total;
    deliver(std::move(batch));
    batch = ScanBatch{};
    batch.files_scanned = scanned;
    batch.files_total = total;
    handed_at = Clock::now();
  };
  for (const fs::path& file : files) {
    if (stop) break;
    const std::u16string path = TextOf(file);
    try {
      icons::OpenedContainer container = icons::OpenResourceContainer(path);
      std::u16string read_from = path;
      if (!container.module) {
        batch.unreadable.push_back({path, Reason(container.error)});
      } else if (CutShort(container)) {
        batch.unreadable.push_back({path, u"damaged: its resources lie past the end of the file"});
      } else {
        std::vector<ListedGroup> groups = ListedGroups(container);
        if (groups.empty() && container.kind == icons::ContainerKind::kPeModule) {
          // A system module whose icons live in SystemResources.
          if (const std::u16string mun = system_resources.Find(path); !mun.empty()) {
            icons::OpenedContainer other = icons::OpenResourceContainer(mun);
            if (other.module && other.kind == icons::ContainerKind::kPeModule) {
              container = std::move(other);
              read_from = mun;
              groups = ListedGroups(container);
            }
          }
        }
        if (!groups.empty()) {
          batch.modules.push_back(
              {path, read_from, TextOf(file.filename()), TextOf(file.parent_path())});
          for (const ListedGroup& listed : groups) {
            if (stop) break;
            FoundGroup group = DescribeFoundGroup(*container.module, listed.name, listed.cursor);
            group.module = modules;
            group.position = listed.position;
            batch.groups.push_back(std::move(group));
          }
          ++modules;
        }
      }
    } catch (const std::bad_alloc&) {
      throw;
    } catch (const std::exception&) {
      // One file that cannot be read is counted; the scan goes on.
      batch.unreadable.push_back({path, u"damaged"});
    }
    ++batch.files_scanned;
    // The first groups go out at once, so rows show while the rest is read.
    const bool first_rows = modules > 0 && modules == batch.modules.size();
    if (first_rows || Clock::now() - handed_at >= std::chrono::milliseconds(batch_interval_ms))
      hand_over(false);
  }
  hand_over(true);
}

void ScanResults::Add(ScanBatch&& batch) {
  for (FoundModule& module : batch.modules) modules.push_back(std::move(module));
  for (FoundGroup& group : batch.groups) groups.push_back(std::move(group));
  for (UnreadableFile& file : batch.unreadable) unreadable.push_back(std::move(file));
  files_scanned = batch.files_scanned;
  files_total = batch.files_total;
}

}  // namespace zandrel::search
