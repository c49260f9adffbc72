#pragma once
// zandrel-cli run in-process as a script runs it: its exit code and what it
// printed to stdout and stderr.

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "core/text.h"

namespace zandrel::cli {

struct Result {
  int code;
  std::string out, err;
};

inline Result Cli(std::vector<std::string> args) {
  args.insert(args.begin(), "zandrel-cli");
  std::ostringstream out, err;
  const int code = Run(args, out, err);
  return {code, out.str(), err.str()};
}

inline std::string U8(const std::u16string& text) {
  return ToUtf8(text);
}

}  // namespace zandrel::cli
