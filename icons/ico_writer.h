#pragma once
// Turns one icon group of a module into the bytes of a standard .ico file and
// writes it: header, one 16-byte directory record per image, then the images.
//
// The layout always describes the bytes actually written. A record copies the
// first 8 bytes of its group entry (width, height, colour count, reserved,
// planes, bit count), then holds the real byte count of the image and its
// offset computed from the real sizes. An image that is missing, cannot be
// loaded or is empty loses its record and the header count drops by one.
// Entries past the end of a short group directory are ignored, so a group
// whose data holds fewer than 6 + 14 x count bytes yields the entries present.
// For a well-formed group this is exactly the classic layout.

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/bytes.h"
#include "icons/host.h"
#include "icons/resource_module.h"

namespace zandrel::icons {

// Log mode narrates every problem and catches conversion and write errors
// (extract all); silent mode logs nothing and raises them (save selected).
enum class WriteMode { kLog, kSilent };

struct ImageProblem {
  enum class Kind { kNotFound, kNotLoadable };
  Kind kind;
  std::uint16_t image_id;
};

using ImageProblemHandler = std::function<void(const ImageProblem&)>;

// Raised in silent mode for a group name that starts with "ID:" but whose
// rest is not a decimal number. message() is the user-readable text.
class GroupIdConversionError : public std::runtime_error {
 public:
  explicit GroupIdConversionError(std::u16string message);
  const std::u16string& message() const { return message_; }

 private:
  std::u16string message_;
};

// The .ico bytes for the group directory `group`, reading images from
// `module`. nullopt when the data is shorter than the 6-byte group header, or
// when the images together would not fit the 32-bit offsets of the format.
std::optional<Bytes> AssembleIconFile(ByteView group, const ResourceModule& module,
                                      const ImageProblemHandler& on_problem = {});

// Writes the group `group_name` of an opened module to `output_ico_file` in one
// step (an existing file is replaced). True when a file exists there
// afterwards. `log` is used in log mode and must then be given.
bool WriteIconGroupFile(const ResourceModule& module, std::u16string_view group_name,
                        std::u16string_view output_ico_file, WriteMode mode,
                        const MessageCatalogue& catalogue, LogView* log);

// Save selected: writes the group at list position `icon_index` of the module
// `exe_file` in silent mode. A missing source shows LangFileNotFound; a module
// that cannot be opened or an index outside the group list does nothing.
void ExtractIconByIndex(std::u16string_view exe_file, std::u16string_view output_ico_file,
                        int icon_index, OperationsHost& host, const MessageCatalogue& catalogue);

}  // namespace zandrel::icons
