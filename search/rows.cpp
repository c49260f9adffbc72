#include <algorithm>

#include "core/casefold.h"
#include "icons/output_names.h"
#include "search/icon_search.h"

namespace zandrel::search {

namespace {

bool Contains(const std::u16string& text, const std::u16string& upper_needle) {
  return UpperCase(text).find(upper_needle) != std::u16string::npos;
}

// -1, 0 or 1 for the column's values of two rows.
int CompareBy(SearchColumn column, const ScanResults& results, const FoundGroup& a,
              const FoundGroup& b) {
  const auto numbers = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
  const auto texts = [](const std::u16string& x, const std::u16string& y) {
    const std::u16string ux = UpperCase(x), uy = UpperCase(y);
    return ux < uy ? -1 : (uy < ux ? 1 : 0);
  };
  const FoundModule& ma = results.modules[a.module];
  const FoundModule& mb = results.modules[b.module];
  switch (column) {
    case SearchColumn::kModule:
      return texts(ma.file_name, mb.file_name);
    case SearchColumn::kFolder:
      return texts(ma.folder, mb.folder);
    case SearchColumn::kPosition:
      return numbers(a.position, b.position);
    case SearchColumn::kName:
      return texts(a.name, b.name);
    case SearchColumn::kImageCount:
      return numbers(a.image_count, b.image_count);
    case SearchColumn::kSizes:
      return texts(a.sizes, b.sizes);
    case SearchColumn::kLargest:
      return numbers(a.largest, b.largest);
  }
  return 0;
}

}  // namespace

bool Matches(const FoundGroup& group, const FoundModule& module, const SearchFilter& filter) {
  if (!(group.cursor ? filter.cursors : filter.icons)) return false;
  if (group.largest < filter.at_least) return false;
  if (filter.needs_256 && group.largest < 256) return false;
  if (filter.needs_png && !group.has_png) return false;
  if (filter.text.empty()) return true;
  const std::u16string needle = UpperCase(filter.text);
  return Contains(module.file_name, needle) || Contains(group.name, needle);
}

std::vector<std::size_t> FilterRows(const ScanResults& results, const SearchFilter& filter) {
  std::vector<std::size_t> rows;
  for (std::size_t i = 0; i < results.groups.size(); ++i) {
    const FoundGroup& group = results.groups[i];
    if (group.module < results.modules.size() &&
        Matches(group, results.modules[group.module], filter))
      rows.push_back(i);
  }
  return rows;
}

void SortRows(std::vector<std::size_t>& rows, const ScanResults& results, SearchColumn column,
              bool ascending) {
  std::stable_sort(rows.begin(), rows.end(), [&](std::size_t x, std::size_t y) {
    const FoundGroup& a = results.groups[x];
    const FoundGroup& b = results.groups[y];
    if (const int c = CompareBy(column, results, a, b)) return ascending ? c < 0 : c > 0;
    // The same order for equals whatever the direction: module, then place.
    if (const int c = CompareBy(SearchColumn::kModule, results, a, b)) return c < 0;
    if (a.module != b.module) return a.module < b.module;
    if (a.cursor != b.cursor) return !a.cursor;
    return a.position < b.position;
  });
}

std::u16string SavedGroupFileName(const FoundModule& module, const FoundGroup& group) {
  std::u16string stem = module.file_name;
  if (const std::size_t dot = stem.rfind(u'.'); dot != std::u16string::npos && dot > 0)
    stem.resize(dot);
  // Module first, so no name is a device name (CON, NUL, ...) on its own.
  std::u16string file =
      (stem.empty() ? u"module" : stem) + u"_" + icons::GroupFileNamePart(group.name);
  // Nor may a file name hold control characters.
  for (char16_t& c : file)
    if (c < u' ') c = u'_';
  // Windows drops trailing dots and blanks; a long name is cut short.
  if (file.size() > 200) file.resize(200);
  while (!file.empty() && (file.back() == u'.' || file.back() == u' ')) file.pop_back();
  return file + (group.cursor ? u".cur" : u".ico");
}

}  // namespace zandrel::search
