#pragma once
// Reads the resources of a PE32 or PE32+ module straight from the file's bytes,
// without the system loader. Every offset, size and count in the file is
// untrusted and checked against the bytes actually present; a damaged module
// gives fewer names or lookups that fail, never a read outside its bytes.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/bytes.h"
#include "icons/resource_module.h"

namespace zandrel::icons {

// Why a file could not be opened as a module.
enum class PeOpenError {
  kNone,
  kCannotRead,  // the file is missing or unreadable
  kNotPe,       // no MZ header or no PE signature: a text file, a shortcut, ...
  kBadHeaders,  // a PE signature, but the headers are cut short or of an unknown kind
};

class PeResourceModule : public ResourceModule {
 public:
  // Both factories answer nullptr when the bytes are not a module this reader
  // understands, and then store the reason in *error when it is given. A module
  // whose resource directory is missing or unreadable still opens: it simply has
  // no resources, as the system loader would report.
  static std::unique_ptr<PeResourceModule> FromBytes(Bytes image, PeOpenError* error = nullptr);
  static std::unique_ptr<PeResourceModule> FromFile(const std::u16string& path,
                                                    PeOpenError* error = nullptr);

  PeResourceModule(const PeResourceModule&) = delete;
  PeResourceModule& operator=(const PeResourceModule&) = delete;

  // Only the types the program asks for are read: icons and cursors with
  // their groups. Every other type is left in the file, unread.
  static bool IsReadType(std::uint16_t type) {
    return type == kRtIcon || type == kRtGroupIcon || type == kRtCursor || type == kRtGroupCursor;
  }

  // The names of one type may add up to this many UTF-16 units; entries past it
  // are left out. Real modules stay far below; a crafted directory whose 131,070
  // entries all point to one 65,535-unit name would otherwise cost gigabytes.
  static constexpr std::uint64_t kMaxNameUnitsPerType = std::uint64_t{1} << 22;
  // All directories read for one module together hold at most this many
  // entries; what lies past it is left out. shell32.dll holds about 2,000 and
  // the format allows 131,070 per directory, yet a crafted file can make
  // directories overlap so that each entry is met again and again.
  static constexpr std::uint64_t kMaxDirectoryEntries = std::uint64_t{1} << 20;

  bool is_pe32_plus() const { return pe32_plus_; }
  // The whole file; every ResourceData::bytes lies inside it.
  ByteView image() const { return image_; }

  std::vector<ResourceName> EnumerateNames(std::uint16_t type) const override;
  // Identifiers match exactly, string names without regard to letter case. Of
  // several languages the neutral one (0) is taken, otherwise the first stored.
  ResourceData Lookup(std::uint16_t type, const ResourceName& name) const override;

  // Every language version of a resource, in stored order (identifier-named
  // languages only). Empty when there is no such resource.
  struct LanguageVersion {
    std::uint16_t language;
    ResourceData data;
  };
  std::vector<LanguageVersion> Languages(std::uint16_t type, const ResourceName& name) const;

 private:
  struct Resource {
    ResourceName name;
    ResourceData data;
    std::int64_t languages = -1;  // index into language_lists_
  };
  const Resource* Find(std::uint16_t type, const ResourceName& name) const;
  // One resource type, indexed once when the module opens so that lookups in
  // modules with thousands of groups stay cheap.
  struct TypeIndex {
    std::vector<Resource> resources;  // in directory order
    std::unordered_map<std::uint16_t, std::size_t> by_id;
    std::unordered_map<std::u16string, std::size_t> by_upper_text;
  };

  PeResourceModule(Bytes image, bool pe32_plus);

  Bytes image_;
  bool pe32_plus_;
  std::unordered_map<std::uint16_t, TypeIndex> types_;
  // One list per language directory; names sharing a directory share it.
  std::vector<std::vector<LanguageVersion>> language_lists_;
};

}  // namespace zandrel::icons
