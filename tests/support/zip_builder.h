#pragma once
// Writes small ZIP archives for tests: stored (uncompressed) entries under
// any names, unchecked, so that a test can make the archives a hostile
// server would send.

#include <string>
#include <vector>

#include "core/bytes.h"

namespace zandrel::testing {

struct ZipEntry {
  std::string name;  // stored as given ('\', "..", "C:" and all)
  std::string data;
};

// Local headers and data, then the central directory and its end record.
Bytes MakeZip(const std::vector<ZipEntry>& entries);

}  // namespace zandrel::testing
