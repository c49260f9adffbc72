#pragma once
// The two commands of zandrel-cli, as Run hands them their parsed options.

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/source.h"

namespace zandrel::cli {

struct ListOptions {
  bool json = false;
  bool languages = false;
  bool locations = false;
  bool orphans = false;
  Kind kind = Kind::kIcon;
};

// One line (or JSON object) per group of each file; the exit code.
int List(const std::vector<std::string>& inputs, const ListOptions& options, std::ostream& out,
         std::ostream& err, const Environment& environment);

struct ExtractOptions {
  std::string output = ".";
  std::vector<std::string> picks;  // --group: names or list positions
  bool png = false;
  std::uint32_t size = 0;  // --size: only images of this width (PNG export)
  bool orphans = false;
  Kind kind = Kind::kIcon;
  std::optional<std::uint16_t> language;
};

// Writes the chosen groups of each file; the exit code.
int Extract(const std::vector<std::string>& inputs, const ExtractOptions& options,
            std::ostream& err, const Environment& environment);

}  // namespace zandrel::cli
