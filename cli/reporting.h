#pragma once
// What zandrel-cli tells on stderr: the English texts of what writing a
// group reports, those reports collected as lines, and a progress line on a
// terminal.

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "icons/host.h"

namespace zandrel::cli {

class EnglishCatalogue : public icons::MessageCatalogue {
 public:
  std::u16string Text(std::u16string_view entry) const override;
};

class CollectingLog : public icons::LogView {
 public:
  void Clear() override { lines.clear(); }
  void AppendLine(std::u16string_view line) override { lines.emplace_back(line); }
  void ScrollToEnd() override {}
  std::vector<std::u16string> lines;
};

// "[3/10] path" on one line, rewritten per file, for runs over several files.
class Progress {
 public:
  Progress(std::ostream& err, bool shown, std::size_t total)
      : err_(err), shown_(shown && total > 1), total_(total) {}
  ~Progress();
  void Step(std::size_t index, const std::u16string& file);

 private:
  std::ostream& err_;
  bool shown_;
  std::size_t total_;
  bool started_ = false;
};

}  // namespace zandrel::cli
