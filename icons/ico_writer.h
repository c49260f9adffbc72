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
#include "core/file_io.h"
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

// The largest .ico file written for one group. Real groups take a few MB at
// most; a crafted directory can name one large image in every one of its
// 65,535 entries.
inline constexpr std::uint64_t kMaxIconFileBytes = std::uint64_t{256} << 20;

enum class AssemblyFailure { kNone, kBadGroup, kTooLarge };

// What one extract-all run may still write and read in all: many groups can
// share one crafted directory, so a bound per group alone would let a small
// module fill a disk or keep the run busy for hours. Real modules write less
// than their own size and hold a few thousand group entries.
struct OutputBudget {
  std::uint64_t left;          // bytes still to be written
  std::uint64_t entries_left;  // group entries still to be read
  // 16 times the module's size and 64 MB more; a million entries.
  static OutputBudget ForModuleOfSize(std::uint64_t module_bytes) {
    return {module_bytes * 16 + (std::uint64_t{64} << 20), std::uint64_t{1} << 20};
  }
};

// The .ico bytes for the group directory `group`, reading images from
// `module`. nullopt when the data is shorter than the 6-byte group header
// (kBadGroup), or when the file would exceed kMaxIconFileBytes or what is
// left of the budget (kTooLarge; the images are not copied then). The
// reason goes to *failure when given. The entries read and the bytes of a
// file made are taken off the budget.
std::optional<Bytes> AssembleIconFile(ByteView group, const ResourceModule& module,
                                      const ImageProblemHandler& on_problem = {},
                                      AssemblyFailure* failure = nullptr,
                                      OutputBudget* budget = nullptr);

// Raised in silent mode for a group whose file would be too large;
// message() is the user-readable text.
class GroupTooLargeError : public std::runtime_error {
 public:
  explicit GroupTooLargeError(std::u16string message);
  const std::u16string& message() const { return message_; }

 private:
  std::u16string message_;
};

// The file WriteIconGroupFile writes for a group; nullopt when there is none,
// after logging why (log mode) or throwing (silent mode) as it does.
std::optional<Bytes> AssembleIconGroupFile(const ResourceModule& module,
                                           std::u16string_view group_name, WriteMode mode,
                                           const MessageCatalogue& catalogue, LogView* log,
                                           OutputBudget* budget = nullptr);
// Logs how writing a group's file went, as WriteIconGroupFile does (`error`:
// why it failed, or null), when `log` is given; true when the file is there.
bool ReportIconGroupWrite(std::u16string_view output_ico_file, const std::u16string* error,
                          bool exists, const MessageCatalogue& catalogue, LogView* log);

// Writes the group `group_name` of an opened module to `output_ico_file` in one
// step (an existing file is replaced). True when a file exists there
// afterwards. `log` is used in log mode and must then be given. With a
// budget, a file larger than what is left of it counts as too large, and a
// written file is taken off it. With a folder, `output_ico_file` is its path
// followed by a file name, and the file is written through it.
bool WriteIconGroupFile(const ResourceModule& module, std::u16string_view group_name,
                        std::u16string_view output_ico_file, WriteMode mode,
                        const MessageCatalogue& catalogue, LogView* log,
                        OutputBudget* budget = nullptr, OutputFolder* folder = nullptr);

// Save selected: writes the group at list position `icon_index` of the module
// `exe_file` in silent mode. A missing source shows LangFileNotFound; a module
// that cannot be opened or an index outside the group list does nothing.
void ExtractIconByIndex(std::u16string_view exe_file, std::u16string_view output_ico_file,
                        int icon_index, OperationsHost& host, const MessageCatalogue& catalogue);

}  // namespace zandrel::icons
