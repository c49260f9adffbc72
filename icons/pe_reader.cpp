#include "icons/name_lookup.h"
#include "icons/pe_reader.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "core/casefold.h"
#include "icons/pe_headers.h"

namespace zandrel::icons {

namespace {

constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::uint64_t kDirectoryHeaderSize = 16;
constexpr std::uint64_t kDirectoryEntrySize = 8;

using pe::Section;
using pe::SectionOf;

using Stored = PeResourceModule::Stored;

struct NamedResource {
  ResourceName name;
  Stored data;
  std::int64_t languages = -1;
};

struct TypeResources {
  std::uint16_t type;
  std::vector<NamedResource> resources;
};

// Walks the three levels of the resource directory (type, name, language).
// Offsets inside the directory are relative to its start and must stay inside
// the directory's section; data entries address their bytes by RVA, anywhere
// in the file. The depth is fixed, so a directory that points back at itself
// can neither recurse nor loop.
class ResourceTreeReader {
 public:
  ResourceTreeReader(const Bounded& file, const std::vector<Section>& sections,
                     const Bounded& directory)
      : file_(file), sections_(sections), directory_(directory) {}

  // The types the module is read for, each once (the first entry of a type
  // wins, as with the system loader).
  std::vector<TypeResources> ReadAll() {
    std::vector<TypeResources> types;
    for (const auto& type_entry : ReadDirectory(0)) {
      if (type_entry.name & kHighBit) continue;  // a string-named type nobody can ask for
      const auto type = static_cast<std::uint16_t>(type_entry.name & 0xFFFF);
      if (!PeResourceModule::IsReadType(type) || !(type_entry.target & kHighBit)) continue;
      const bool seen = std::any_of(types.begin(), types.end(),
                                    [type](const TypeResources& t) { return t.type == type; });
      if (seen) continue;
      types.push_back({type, ReadNames(type_entry.target & ~kHighBit)});
    }
    return types;
  }

  // The language lists met, for the module to keep.
  std::vector<std::vector<PeResourceModule::StoredVersion>>& language_lists() { return lists_; }

 private:
  struct Entry {
    std::uint32_t name;
    std::uint32_t target;
  };

  // The entries of the directory at `offset`; a count reaching past the end of
  // the section is cut to the entries present, and to what is left of the
  // module's entry budget.
  std::vector<Entry> ReadDirectory(std::uint32_t offset) {
    std::vector<Entry> entries;
    const auto named = directory_.U16(std::uint64_t{offset} + 12);
    const auto ids = directory_.U16(std::uint64_t{offset} + 14);
    if (!named || !ids) return entries;
    const std::uint64_t first = std::uint64_t{offset} + kDirectoryHeaderSize;
    const std::uint64_t room =
        first <= directory_.size() ? (directory_.size() - first) / kDirectoryEntrySize : 0;
    const std::uint64_t count =
        std::min({std::uint64_t{*named} + *ids, room, entries_left_});
    entries_left_ -= count;
    entries.reserve(static_cast<std::size_t>(count));
    for (std::uint64_t i = 0; i < count; ++i) {
      const std::uint64_t at = first + i * kDirectoryEntrySize;
      entries.push_back({*directory_.U32(at), *directory_.U32(at + 4)});
    }
    return entries;
  }

  std::vector<NamedResource> ReadNames(std::uint32_t offset) {
    std::vector<NamedResource> names;
    std::uint64_t name_units = 0;
    for (const auto& entry : ReadDirectory(offset)) {
      ResourceName name;
      if (entry.name & kHighBit) {
        auto text = ReadString(entry.name & ~kHighBit);
        if (!text) continue;  // a name outside the section cannot be shown
        name_units += text->size();
        if (name_units > PeResourceModule::kMaxNameUnitsPerType) break;
        name = ResourceName::Text(std::move(*text));
      } else {
        name = ResourceName::Id(entry.name & 0xFFFF);
      }
      // A name that leads straight to data instead of to its languages is
      // listed, but cannot be looked up (the system loader does the same).
      if (entry.target & kHighBit) {
        const auto& [data, languages] = ResolveLanguage(entry.target & ~kHighBit);
        names.push_back({std::move(name), data, languages});
      } else {
        names.push_back({std::move(name), Stored{}, -1});
      }
    }
    return names;
  }

  // A stored name: a 16-bit length, then that many UTF-16 units. The name ends
  // at an embedded zero, as the zero-terminated text the system hands out does.
  std::optional<std::u16string> ReadString(std::uint32_t offset) const {
    const auto length = directory_.U16(offset);
    if (!length) return std::nullopt;
    const auto units = directory_.Copy(std::uint64_t{offset} + 2, std::uint64_t{*length} * 2);
    if (!units) return std::nullopt;
    std::u16string text;
    text.reserve(*length);
    for (std::size_t i = 0; i < *length; ++i) {
      const auto unit = static_cast<char16_t>((*units)[2 * i] | ((*units)[2 * i + 1] << 8));
      if (unit == 0) break;
      text.push_back(unit);
    }
    return text;
  }

  // The neutral language when present, otherwise the first stored one. Results
  // are kept per directory, so many names sharing one huge language directory
  // cost one pass over it.
  // Also lists every language of the directory, once per directory.
  const std::pair<Stored, std::int64_t>& ResolveLanguage(std::uint32_t offset) {
    if (const auto cached = languages_.find(offset); cached != languages_.end())
      return cached->second;
    const Entry* chosen = nullptr;
    const auto entries = ReadDirectory(offset);
    std::vector<PeResourceModule::StoredVersion> versions;
    for (const auto& entry : entries) {
      if (entry.target & kHighBit) continue;  // deeper than a resource tree goes
      const bool neutral = !(entry.name & kHighBit) && (entry.name & 0xFFFF) == 0;
      if (!(entry.name & kHighBit))
        versions.push_back({static_cast<std::uint16_t>(entry.name & 0xFFFF),
                            ReadDataEntry(entry.target)});
      // The neutral language wins over the first stored one.
      const bool chosen_neutral =
          chosen && !(chosen->name & kHighBit) && (chosen->name & 0xFFFF) == 0;
      if (!chosen || (neutral && !chosen_neutral)) chosen = &entry;
    }
    const Stored data = chosen ? ReadDataEntry(chosen->target) : Stored{};
    lists_.push_back(std::move(versions));
    return languages_.emplace(offset, std::make_pair(data, static_cast<std::int64_t>(lists_.size() - 1)))
        .first->second;
  }

  // A data entry (RVA, size, code page, reserved) and where its bytes lie.
  Stored ReadDataEntry(std::uint32_t offset) const {
    const Stored not_loadable = Stored::NotLoadable();
    const auto rva = directory_.U32(offset);
    const auto size = directory_.U32(std::uint64_t{offset} + 4);
    if (!rva || !size) return not_loadable;
    const Section* section = SectionOf(sections_, *rva);
    if (!section) return not_loadable;
    const std::uint64_t at =
        std::uint64_t{section->raw_pointer} + (*rva - section->virtual_address);
    if (!file_.Holds(at, *size)) return not_loadable;
    return Stored::At(at, *size);
  }

  const Bounded& file_;
  const std::vector<Section>& sections_;
  const Bounded& directory_;
  std::unordered_map<std::uint32_t, std::pair<Stored, std::int64_t>> languages_;
  std::vector<std::vector<PeResourceModule::StoredVersion>> lists_;
  std::uint64_t entries_left_ = PeResourceModule::kMaxDirectoryEntries;
};

}  // namespace

PeResourceModule::PeResourceModule(Bytes image, std::unique_ptr<RandomAccessFile> file)
    : loader_(std::move(image), std::move(file)) {}

PeResourceModule::~PeResourceModule() = default;

std::unique_ptr<PeResourceModule> PeResourceModule::Open(std::unique_ptr<PeResourceModule> module,
                                                         PeOpenError* error) {
  // The blocks read while opening go with this source; afterwards only the
  // index stays, and each lookup reads its own bytes.
  const auto opening = module->loader_.OpeningSource();
  const ByteSource& source = *opening;
  const Bounded file(source);
  PeOpenError reason = PeOpenError::kNone;
  const auto headers = pe::ReadHeaders(file, reason);
  if (error) *error = reason;
  if (!headers) return nullptr;
  module->pe32_plus_ = headers->pe32_plus;

  const Section* section =
      headers->resource_rva ? SectionOf(headers->sections, headers->resource_rva) : nullptr;
  module->resources_cut_short_ = headers->resource_rva != 0;
  if (!section) return module;

  // The directory reaches from its RVA to the end of its section's raw data,
  // as far as the file holds it.
  const std::uint64_t start =
      std::uint64_t{section->raw_pointer} + (headers->resource_rva - section->virtual_address);
  const std::uint64_t end =
      std::min<std::uint64_t>(std::uint64_t{section->raw_pointer} + section->raw_size, file.size());
  if (start >= end) return module;
  module->resources_cut_short_ = false;
  const Bounded directory(source, start, end - start);

  ResourceTreeReader reader(file, headers->sections, directory);
  for (auto& type : reader.ReadAll()) {
    TypeIndex& index = module->types_[type.type];
    index.resources.reserve(type.resources.size());
    for (auto& resource : type.resources) {
      const std::size_t position = index.resources.size();
      // With duplicate names the first one stored wins.
      if (resource.name.is_id) {
        index.by_id.emplace(static_cast<std::uint16_t>(resource.name.id), position);
      } else {
        index.by_upper_text.emplace(UpperCase(resource.name.text), position);
      }
      index.resources.push_back({std::move(resource.name), resource.data, resource.languages});
    }
  }
  module->language_lists_ = std::move(reader.language_lists());
  return module;
}

std::unique_ptr<PeResourceModule> PeResourceModule::FromBytes(Bytes image, PeOpenError* error) {
  std::unique_ptr<PeResourceModule> module(new PeResourceModule(std::move(image), nullptr));
  return Open(std::move(module), error);
}

std::unique_ptr<PeResourceModule> PeResourceModule::FromFile(const std::u16string& path,
                                                             PeOpenError* error) {
  auto file = RandomAccessFile::Open(path);
  if (!file) {
    if (error) *error = PeOpenError::kCannotRead;
    return nullptr;
  }
  return FromOpenFile(std::move(file), error);
}

std::unique_ptr<PeResourceModule> PeResourceModule::FromOpenFile(
    std::unique_ptr<RandomAccessFile> file, PeOpenError* error) {
  std::unique_ptr<PeResourceModule> module(new PeResourceModule({}, std::move(file)));
  return Open(std::move(module), error);
}

std::vector<ResourceName> PeResourceModule::EnumerateNames(std::uint16_t type) const {
  std::vector<ResourceName> names;
  const auto found = types_.find(type);
  if (found == types_.end()) return names;
  names.reserve(found->second.resources.size());
  for (const auto& resource : found->second.resources) names.push_back(resource.name);
  return names;
}

const PeResourceModule::Resource* PeResourceModule::Find(std::uint16_t type,
                                                         const ResourceName& name) const {
  return FindByName(types_, type, name, &TypeIndex::resources);
}

ResourceData PeResourceModule::Lookup(std::uint16_t type, const ResourceName& name) const {
  const Resource* resource = Find(type, name);
  return resource ? loader_.Load(resource->data) : ResourceData{};
}

std::vector<std::uint16_t> PeResourceModule::LanguageIds(std::uint16_t type,
                                                         const ResourceName& name) const {
  const Resource* resource = Find(type, name);
  if (!resource || resource->languages < 0) return {};
  const auto& versions = language_lists_[static_cast<std::size_t>(resource->languages)];
  std::vector<std::uint16_t> ids;
  ids.reserve(std::min(versions.size(), kMaxLanguagesListed));
  for (const StoredVersion& version : versions) {
    if (ids.size() == kMaxLanguagesListed) break;
    ids.push_back(version.language);
  }
  return ids;
}

ResourceData PeResourceModule::LookupLanguage(std::uint16_t type, const ResourceName& name,
                                              std::uint16_t language) const {
  const Resource* resource = Find(type, name);
  if (!resource || resource->languages < 0) return {};
  for (const StoredVersion& version :
       language_lists_[static_cast<std::size_t>(resource->languages)])
    if (version.language == language) return loader_.Load(version.data);
  return {};
}

}  // namespace zandrel::icons
