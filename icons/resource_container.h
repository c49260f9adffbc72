#pragma once
// The one way in for every icon container a user meets: a file is opened by
// what its bytes are, whatever its name says, and answered as a resource
// module, so that listing, saving, extracting and PNG export treat them all
// alike:
//   PE modules (.exe, .dll, .mun, ...)  their icon and cursor groups;
//   NE modules (16-bit .exe, .dll, .icl, .drv, .fon)  the same, read by the
//     portable reader (the system loader refuses them);
//   .ico and .cur files  one group named after the file;
//   .ani files  one group per frame, "frame 0", "frame 1", ...
// Every reader is bounded by its input: budgets instead of recursion, no
// allocation larger than the file, bytes read on demand.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/bytes.h"
#include "core/file_io.h"
#include "icons/resource_module.h"

namespace zandrel::icons {

enum class ContainerKind { kPeModule, kNeModule, kIconFile, kCursorFile, kAniFile };

enum class ContainerError {
  kNone,
  kCannotRead,     // the file is missing or unreadable
  kUnknownFormat,  // none of the above: a text file, a DOS program, ...
  kBadHeaders,     // a PE signature, but headers cut short or of an unknown kind
};

struct OpenedContainer {
  std::unique_ptr<ResourceModule> module;  // null when the file did not open
  ContainerKind kind = ContainerKind::kPeModule;
  ContainerError error = ContainerError::kNone;
  std::uint64_t file_size = 0;
};

// Opens the file at `path`; the group of an .ico or .cur file is named after
// the path's file name. The module keeps the file open and reads each
// resource when it is looked up.
OpenedContainer OpenResourceContainer(std::u16string_view path);
// The same, except that a file that starts like a PE module is left unread:
// the answer then has kind kPeModule and no module, for a caller that hands
// PE modules to the system loader.
OpenedContainer OpenResourceContainerUnlessPe(std::u16string_view path);
// The same over a file already opened; `file_name` names an .ico or .cur group.
OpenedContainer OpenResourceContainer(std::unique_ptr<RandomAccessFile> file,
                                      std::u16string_view file_name);
// The same over bytes in memory.
OpenedContainer ResourceContainerFromBytes(Bytes bytes, std::u16string_view file_name);

}  // namespace zandrel::icons
