#pragma once
// The one way the program reaches the resources of an opened module. Listing,
// saving and extracting talk only to this interface; the Windows build backs it
// with the system resource loader, the portable reader reads the PE file itself.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/bytes.h"

namespace zandrel::icons {

inline constexpr std::uint16_t kRtCursor = 1;
inline constexpr std::uint16_t kRtIcon = 3;
inline constexpr std::uint16_t kRtGroupCursor = 12;
inline constexpr std::uint16_t kRtGroupIcon = 14;
// Animated cursors and icons: each resource is a whole .ani file.
inline constexpr std::uint16_t kRtAniCursor = 21;
inline constexpr std::uint16_t kRtAniIcon = 22;

// A resource name as a module stores it: a 16-bit identifier or a string.
struct ResourceName {
  bool is_id = false;
  std::uint32_t id = 0;  // 32 bits so that out-of-range requests can be told apart
  std::u16string text;

  static ResourceName Id(std::uint32_t value) { return {true, value, {}}; }
  static ResourceName Text(std::u16string value) { return {false, 0, std::move(value)}; }
  bool operator==(const ResourceName&) const = default;
};

// Result of looking a resource up, with the outcomes the callers report apart.
// The bytes stay valid while the module stays open and, for a module that
// reads its resources from the file on demand, while this value (or a copy of
// it) lives: keep the ResourceData, not only its bytes.
struct ResourceData {
  enum class Status { kFound, kNotFound, kNotLoadable };

  ResourceData() = default;
  ResourceData(Status s, ByteView b, std::shared_ptr<const Bytes> own = nullptr)
      : status(s), bytes(b), owner(std::move(own)) {}

  Status status = Status::kNotFound;
  ByteView bytes;  // may be empty when found
  std::shared_ptr<const Bytes> owner;  // holds the bytes read for this lookup, if any

  bool found() const { return status == Status::kFound; }
};

class ResourceModule {
 public:
  virtual ~ResourceModule() = default;

  // Names of the resources of one type, in resource-directory order (string
  // names first, then identifiers, each ascending as the module stores them).
  virtual std::vector<ResourceName> EnumerateNames(std::uint16_t type) const = 0;

  // The bytes of one resource. An identifier above 65535 is never found.
  virtual ResourceData Lookup(std::uint16_t type, const ResourceName& name) const = 0;
};

}  // namespace zandrel::icons
