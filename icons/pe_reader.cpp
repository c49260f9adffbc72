#include "icons/pe_reader.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>
#include <utility>

#include "core/casefold.h"

namespace zandrel::icons {

// The module's bytes in memory, or its file, read on demand.
class PeResourceModule::Source {
 public:
  virtual ~Source() = default;
  virtual std::uint64_t size() const = 0;
  // Exactly `count` bytes at `offset`, which the caller has checked against size().
  virtual bool Read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const = 0;
};

namespace {

constexpr std::uint16_t kDosMagic = 0x5A4D;         // "MZ"
constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::uint64_t kDirectoryHeaderSize = 16;
constexpr std::uint64_t kDirectoryEntrySize = 8;
constexpr std::uint64_t kSectionHeaderSize = 40;

using Source = PeResourceModule::Source;

class MemorySource : public Source {
 public:
  explicit MemorySource(ByteView bytes) : bytes_(bytes) {}
  std::uint64_t size() const override { return bytes_.size(); }
  bool Read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const override {
    if (count > 0) std::memcpy(out, bytes_.data() + offset, count);
    return true;
  }

 private:
  ByteView bytes_;
};

// The headers and the resource directory are read a field at a time; blocks
// of the file are kept while the module opens, so each is read once. A crafted
// directory spread over a huge file keeps at most kMaxCachedBlocks of them,
// dropping the lot when full and reading again what is asked for.
class FileSource : public Source {
 public:
  explicit FileSource(const RandomAccessFile& file) : file_(file) {}
  std::uint64_t size() const override { return file_.size(); }
  bool Read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const override {
    while (count > 0) {
      const std::uint64_t block = offset / kBlockSize;
      const Bytes* bytes = Block(block);
      if (!bytes) return false;
      const std::uint64_t within = offset - block * kBlockSize;
      if (within >= bytes->size()) return false;
      const std::size_t take =
          static_cast<std::size_t>(std::min<std::uint64_t>(count, bytes->size() - within));
      std::memcpy(out, bytes->data() + within, take);
      out += take;
      offset += take;
      count -= take;
    }
    return true;
  }

 private:
  static constexpr std::uint64_t kBlockSize = 4096;
  static constexpr std::size_t kMaxCachedBlocks = 4096;  // 16 MB

  const Bytes* Block(std::uint64_t block) const {
    if (const auto found = blocks_.find(block); found != blocks_.end()) return &found->second;
    const std::uint64_t start = block * kBlockSize;
    if (start >= file_.size()) return nullptr;
    Bytes bytes(static_cast<std::size_t>(std::min(kBlockSize, file_.size() - start)));
    if (!file_.ReadAt(start, bytes.data(), bytes.size())) return nullptr;
    if (blocks_.size() >= kMaxCachedBlocks) blocks_.clear();
    return &blocks_.emplace(block, std::move(bytes)).first->second;
  }

  const RandomAccessFile& file_;
  mutable std::unordered_map<std::uint64_t, Bytes> blocks_;
};

// A window on the source. Offsets are 64-bit, so that sums of untrusted
// 32-bit values cannot wrap around in the 32-bit build; every read is checked
// against the window's size.
class Bounded {
 public:
  explicit Bounded(const Source& source)
      : source_(source), base_(0), size_(source.size()) {}
  Bounded(const Source& source, std::uint64_t base, std::uint64_t size)
      : source_(source), base_(base), size_(size) {}

  std::optional<std::uint16_t> U16(std::uint64_t offset) const {
    std::uint8_t b[2];
    if (!Read(offset, b, 2)) return std::nullopt;
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
  }
  std::optional<std::uint32_t> U32(std::uint64_t offset) const {
    std::uint8_t b[4];
    if (!Read(offset, b, 4)) return std::nullopt;
    return static_cast<std::uint32_t>(b[0] | (b[1] << 8) | (b[2] << 16)) |
           (static_cast<std::uint32_t>(b[3]) << 24);
  }
  std::optional<Bytes> Copy(std::uint64_t offset, std::uint64_t count) const {
    if (!Holds(offset, count)) return std::nullopt;
    Bytes bytes(static_cast<std::size_t>(count));
    if (!Read(offset, bytes.data(), bytes.size())) return std::nullopt;
    return bytes;
  }
  // Whether [offset, offset + count) lies inside the window.
  bool Holds(std::uint64_t offset, std::uint64_t count) const {
    return offset <= size_ && count <= size_ - offset;
  }
  std::uint64_t base() const { return base_; }
  std::uint64_t size() const { return size_; }

 private:
  bool Read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const {
    return Holds(offset, count) && source_.Read(base_ + offset, out, count);
  }

  const Source& source_;
  std::uint64_t base_;
  std::uint64_t size_;
};

struct Section {
  std::uint32_t virtual_address;
  std::uint32_t raw_size;
  std::uint32_t raw_pointer;
};

struct Headers {
  bool pe32_plus = false;
  std::uint32_t resource_rva = 0;  // 0: the module has no resource directory
  std::vector<Section> sections;
};

std::optional<Headers> ReadHeaders(const Bounded& file, PeOpenError& error) {
  error = PeOpenError::kNotPe;
  if (file.U16(0) != kDosMagic) return std::nullopt;
  const auto pe_offset = file.U32(0x3C);
  if (!pe_offset || file.U32(*pe_offset) != kPeSignature) return std::nullopt;

  error = PeOpenError::kBadHeaders;
  const std::uint64_t coff = std::uint64_t{*pe_offset} + 4;
  const auto section_count = file.U16(coff + 2);
  const auto optional_size = file.U16(coff + 16);
  const std::uint64_t optional = coff + 20;
  const auto magic = file.U16(optional);
  if (!section_count || !optional_size || !magic) return std::nullopt;

  Headers headers;
  if (*magic == kPe32PlusMagic) {
    headers.pe32_plus = true;
  } else if (*magic != kPe32Magic) {
    return std::nullopt;
  }
  const std::uint64_t rva_count_field = headers.pe32_plus ? 108 : 92;
  const auto rva_count = file.U32(optional + rva_count_field);
  if (!rva_count) return std::nullopt;

  // The resource entry counts only when the header declares it and holds it;
  // beyond the optional header's declared size the section table begins.
  const std::uint64_t resource_entry = rva_count_field + 4 + 8 * kResourceDirectoryIndex;
  if (*rva_count > kResourceDirectoryIndex && resource_entry + 8 <= *optional_size)
    headers.resource_rva = file.U32(optional + resource_entry).value_or(0);

  // Section headers cut off by the end of the file are left out.
  const std::uint64_t table = optional + *optional_size;
  for (std::uint64_t i = 0; i < *section_count; ++i) {
    const auto entry = file.Copy(table + kSectionHeaderSize * i, kSectionHeaderSize);
    if (!entry) break;
    headers.sections.push_back(
        {*ReadU32LE(*entry, 12), *ReadU32LE(*entry, 16), *ReadU32LE(*entry, 20)});
  }
  error = PeOpenError::kNone;
  return headers;
}

// The section whose raw data holds the RVA. Like the system loader with modules
// opened as data files, only the part of a section present in the file counts.
const Section* SectionOf(const std::vector<Section>& sections, std::uint32_t rva) {
  for (const auto& s : sections)
    if (rva >= s.virtual_address && rva - s.virtual_address < s.raw_size) return &s;
  return nullptr;
}

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
    const Stored not_loadable{ResourceData::Status::kNotLoadable, 0, 0};
    const auto rva = directory_.U32(offset);
    const auto size = directory_.U32(std::uint64_t{offset} + 4);
    if (!rva || !size) return not_loadable;
    const Section* section = SectionOf(sections_, *rva);
    if (!section) return not_loadable;
    const std::uint64_t at =
        std::uint64_t{section->raw_pointer} + (*rva - section->virtual_address);
    if (!file_.Holds(at, *size)) return not_loadable;
    return {ResourceData::Status::kFound, at, *size};
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
    : image_(std::move(image)), file_(std::move(file)) {}

PeResourceModule::~PeResourceModule() = default;

std::unique_ptr<PeResourceModule> PeResourceModule::Open(std::unique_ptr<PeResourceModule> module,
                                                         const Source& source, PeOpenError* error) {
  const Bounded file(source);
  PeOpenError reason = PeOpenError::kNone;
  const auto headers = ReadHeaders(file, reason);
  if (error) *error = reason;
  if (!headers) return nullptr;
  module->pe32_plus_ = headers->pe32_plus;
  module->file_size_ = file.size();

  const Section* section =
      headers->resource_rva ? SectionOf(headers->sections, headers->resource_rva) : nullptr;
  if (!section) return module;

  // The directory reaches from its RVA to the end of its section's raw data,
  // as far as the file holds it.
  const std::uint64_t start =
      std::uint64_t{section->raw_pointer} + (headers->resource_rva - section->virtual_address);
  const std::uint64_t end =
      std::min<std::uint64_t>(std::uint64_t{section->raw_pointer} + section->raw_size, file.size());
  if (start >= end) return module;
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
  const MemorySource source(module->image_);
  return Open(std::move(module), source, error);
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
  // The blocks read while opening go with this source; afterwards only the
  // index stays, and each lookup reads its own bytes.
  const FileSource source(*module->file_);
  return Open(std::move(module), source, error);
}

ResourceData PeResourceModule::Load(const Stored& stored) const {
  if (stored.status != ResourceData::Status::kFound) return {stored.status, {}};
  if (!file_)
    return {ResourceData::Status::kFound,
            ByteView(image_).subspan(static_cast<std::size_t>(stored.offset), stored.size)};
  const std::lock_guard<std::mutex> lock(loaded_mutex_);
  // Groups of one module often name the same image, and a crafted one may
  // name one image thousands of times: bytes somebody still holds, and the
  // last bytes read, are handed out again instead of being read anew.
  const LoadedKey key{stored.offset, stored.size};
  if (last_loaded_ && last_key_ == key) return Found(last_loaded_);
  if (const auto held = loaded_.find(key); held != loaded_.end())
    if (auto bytes = held->second.lock()) {
      last_key_ = key;
      last_loaded_ = bytes;
      return Found(std::move(bytes));
    }
  try {
    auto bytes = std::make_shared<Bytes>(stored.size);
    if (!file_->ReadAt(stored.offset, bytes->data(), bytes->size()))
      return {ResourceData::Status::kNotLoadable, {}};
    if (loaded_.size() >= next_sweep_) {
      std::erase_if(loaded_, [](const auto& entry) { return entry.second.expired(); });
      next_sweep_ = std::max<std::size_t>(64, 2 * loaded_.size());
    }
    loaded_[key] = bytes;
    last_key_ = key;
    last_loaded_ = bytes;
    return Found(std::move(bytes));
  } catch (const std::bad_alloc&) {
    // A size no memory can hold is reported like bytes the file lacks.
    return {ResourceData::Status::kNotLoadable, {}};
  }
}

ResourceData PeResourceModule::Found(std::shared_ptr<const Bytes> bytes) {
  const ByteView view(*bytes);
  return {ResourceData::Status::kFound, view, std::move(bytes)};
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
  const auto found = types_.find(type);
  if (found == types_.end()) return nullptr;
  const TypeIndex& index = found->second;
  if (name.is_id) {
    if (name.id > 0xFFFF) return nullptr;
    const auto at = index.by_id.find(static_cast<std::uint16_t>(name.id));
    return at == index.by_id.end() ? nullptr : &index.resources[at->second];
  }
  const auto at = index.by_upper_text.find(UpperCase(name.text));
  return at == index.by_upper_text.end() ? nullptr : &index.resources[at->second];
}

ResourceData PeResourceModule::Lookup(std::uint16_t type, const ResourceName& name) const {
  const Resource* resource = Find(type, name);
  return resource ? Load(resource->data) : ResourceData{};
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
    if (version.language == language) return Load(version.data);
  return {};
}

}  // namespace zandrel::icons
