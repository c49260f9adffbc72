#pragma once
// What the portable readers keep of a container once it is open: an index of
// its resources, each either where its bytes lie in the file or bytes made
// while reading it (the group directory of an .ico file, say). Each lookup
// reads its own bytes, so memory follows what a caller holds.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/bytes.h"
#include "core/file_io.h"
#include "icons/byte_source.h"
#include "icons/resource_module.h"

namespace zandrel::icons {

// Where a resource's bytes lie in a container's file.
struct StoredResource {
  ResourceData::Status status = ResourceData::Status::kNotFound;
  std::uint64_t offset = 0;
  std::uint32_t size = 0;
  // A cursor image taken from a .cur or .ani file: in resource form its
  // hotspot (x, then y, 16 bits each) comes before the bitmap.
  std::optional<std::uint32_t> hotspot;

  static StoredResource At(std::uint64_t offset, std::uint32_t size) {
    return {ResourceData::Status::kFound, offset, size, std::nullopt};
  }
  static StoredResource NotLoadable() { return {ResourceData::Status::kNotLoadable, 0, 0, {}}; }
};

// Hands out the bytes of stored resources: views into the container's bytes
// for one held in memory, bytes read on each lookup for one read from a file.
// Bytes somebody still holds, and the last bytes read, are handed out again
// instead of being read anew: groups of one container often name the same
// image, and a crafted one may name one image thousands of times.
class ResourceLoader {
 public:
  ResourceLoader(Bytes image, std::unique_ptr<RandomAccessFile> file);

  ResourceData Load(const StoredResource& stored) const;
  // For a container in memory: all of it; empty for one read from a file.
  ByteView image() const { return image_; }
  std::uint64_t size() const { return file_ ? file_->size() : image_.size(); }
  // What the structure is read from while the container opens; it caches
  // blocks of a file, so it is dropped once the container is open.
  std::unique_ptr<ByteSource> OpeningSource() const;

 private:
  struct Key {
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
    std::optional<std::uint32_t> hotspot;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    std::size_t operator()(const Key& key) const {
      return std::hash<std::uint64_t>()(key.offset * 31 + key.size + key.hotspot.value_or(0));
    }
  };
  std::shared_ptr<const Bytes> Read(const Key& key) const;

  Bytes image_;
  std::unique_ptr<RandomAccessFile> file_;
  mutable std::mutex mutex_;
  mutable std::unordered_map<Key, std::weak_ptr<const Bytes>, KeyHash> loaded_;
  mutable std::size_t next_sweep_ = 64;
  mutable Key last_key_;
  mutable std::shared_ptr<const Bytes> last_loaded_;
};

// A resource module over an index the reader of one kind of container fills.
// Names are enumerated in the order they were added; identifiers match
// exactly, string names without regard to letter case; of several resources
// of one name only the first added is kept, as a PE directory holds each
// name once.
class IndexedResourceModule : public ResourceModule {
 public:
  std::vector<ResourceName> EnumerateNames(std::uint16_t type) const override;
  ResourceData Lookup(std::uint16_t type, const ResourceName& name) const override;
  std::uint64_t file_size() const { return loader_.size(); }

 protected:
  IndexedResourceModule(Bytes image, std::unique_ptr<RandomAccessFile> file)
      : loader_(std::move(image), std::move(file)) {}

  const ResourceLoader& loader() const { return loader_; }
  void Add(std::uint16_t type, ResourceName name, const StoredResource& stored);
  void Add(std::uint16_t type, ResourceName name, Bytes made);
  // The stored resource a lookup would find, for a reader that corrects it
  // once the whole container is read; null when there is none.
  StoredResource* FindStored(std::uint16_t type, const ResourceName& name);
  // Puts each type's names in the order a PE module's directory keeps them:
  // string names first, ascending by UTF-16 unit, then identifiers
  // ascending; names that compare equal keep their order.
  void OrderNamesAsPeDirectory();

 private:
  struct Entry {
    ResourceName name;
    StoredResource stored;
    std::shared_ptr<const Bytes> made;
  };
  struct TypeIndex {
    std::vector<Entry> entries;
    std::unordered_map<std::uint16_t, std::size_t> by_id;
    std::unordered_map<std::u16string, std::size_t> by_upper_text;
  };
  void Index(TypeIndex& index, std::size_t position);
  const Entry* Find(std::uint16_t type, const ResourceName& name) const;

  ResourceLoader loader_;
  std::unordered_map<std::uint16_t, TypeIndex> types_;
};

}  // namespace zandrel::icons
