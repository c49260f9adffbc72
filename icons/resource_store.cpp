#include "icons/name_lookup.h"
#include "icons/resource_store.h"

#include <algorithm>
#include <new>

#include "core/casefold.h"

namespace zandrel::icons {

namespace {

ResourceData Found(std::shared_ptr<const Bytes> bytes) {
  const ByteView view(*bytes);
  return {ResourceData::Status::kFound, view, std::move(bytes)};
}

}  // namespace

ResourceLoader::ResourceLoader(Bytes image, std::unique_ptr<RandomAccessFile> file)
    : image_(std::move(image)), file_(std::move(file)) {}

std::unique_ptr<ByteSource> ResourceLoader::OpeningSource() const {
  if (file_) return std::make_unique<BlockCachedFile>(*file_);
  return std::make_unique<MemorySource>(image_);
}

ResourceData ResourceLoader::Load(const StoredResource& stored) const {
  if (stored.status != ResourceData::Status::kFound) return {stored.status, {}};
  if (!file_ && !stored.hotspot)
    return {ResourceData::Status::kFound,
            ByteView(image_).subspan(static_cast<std::size_t>(stored.offset), stored.size)};
  const std::lock_guard<std::mutex> lock(mutex_);
  const Key key{stored.offset, stored.size, stored.hotspot};
  if (last_loaded_ && last_key_ == key) return Found(last_loaded_);
  if (const auto held = loaded_.find(key); held != loaded_.end())
    if (auto bytes = held->second.lock()) {
      last_key_ = key;
      last_loaded_ = bytes;
      return Found(std::move(bytes));
    }
  try {
    auto bytes = Read(key);
    if (!bytes) return {ResourceData::Status::kNotLoadable, {}};
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

std::shared_ptr<const Bytes> ResourceLoader::Read(const Key& key) const {
  const std::size_t prefix = key.hotspot ? 4 : 0;
  auto bytes = std::make_shared<Bytes>(prefix + key.size);
  if (key.hotspot) {
    (*bytes)[0] = static_cast<std::uint8_t>(*key.hotspot);
    (*bytes)[1] = static_cast<std::uint8_t>(*key.hotspot >> 8);
    (*bytes)[2] = static_cast<std::uint8_t>(*key.hotspot >> 16);
    (*bytes)[3] = static_cast<std::uint8_t>(*key.hotspot >> 24);
  }
  if (file_) {
    if (!file_->ReadAt(key.offset, bytes->data() + prefix, key.size)) return nullptr;
  } else {
    const auto from = image_.begin() + static_cast<std::ptrdiff_t>(key.offset);
    std::copy(from, from + key.size, bytes->begin() + static_cast<std::ptrdiff_t>(prefix));
  }
  return bytes;
}

std::vector<ResourceName> IndexedResourceModule::EnumerateNames(std::uint16_t type) const {
  std::vector<ResourceName> names;
  const auto found = types_.find(type);
  if (found == types_.end()) return names;
  names.reserve(found->second.entries.size());
  for (const Entry& entry : found->second.entries) names.push_back(entry.name);
  return names;
}

ResourceData IndexedResourceModule::Lookup(std::uint16_t type, const ResourceName& name) const {
  const Entry* entry = Find(type, name);
  if (!entry) return {};
  if (entry->made) return Found(entry->made);
  return loader_.Load(entry->stored);
}

void IndexedResourceModule::Add(std::uint16_t type, ResourceName name,
                                const StoredResource& stored) {
  if (Find(type, name)) return;
  TypeIndex& index = types_[type];
  index.entries.push_back({std::move(name), stored, nullptr});
  Index(index, index.entries.size() - 1);
}

void IndexedResourceModule::Add(std::uint16_t type, ResourceName name, Bytes made) {
  if (Find(type, name)) return;
  TypeIndex& index = types_[type];
  index.entries.push_back(
      {std::move(name), StoredResource{}, std::make_shared<const Bytes>(std::move(made))});
  Index(index, index.entries.size() - 1);
}

void IndexedResourceModule::Index(TypeIndex& index, std::size_t position) {
  const ResourceName& name = index.entries[position].name;
  if (name.is_id)
    index.by_id.emplace(static_cast<std::uint16_t>(name.id), position);
  else
    index.by_upper_text.emplace(UpperCase(name.text), position);
}

StoredResource* IndexedResourceModule::FindStored(std::uint16_t type, const ResourceName& name) {
  const Entry* entry = Find(type, name);
  return entry && !entry->made ? const_cast<StoredResource*>(&entry->stored) : nullptr;
}

void IndexedResourceModule::OrderNamesAsPeDirectory() {
  for (auto& [type, index] : types_) {
    std::stable_sort(index.entries.begin(), index.entries.end(),
                     [](const Entry& a, const Entry& b) {
                       if (a.name.is_id != b.name.is_id) return !a.name.is_id;
                       return a.name.is_id ? a.name.id < b.name.id : a.name.text < b.name.text;
                     });
    index.by_id.clear();
    index.by_upper_text.clear();
    for (std::size_t i = 0; i < index.entries.size(); ++i) Index(index, i);
  }
}

const IndexedResourceModule::Entry* IndexedResourceModule::Find(std::uint16_t type,
                                                                const ResourceName& name) const {
  return FindByName(types_, type, name, &TypeIndex::entries);
}

}  // namespace zandrel::icons
