// The portable update script for hostile folder and file names: a name is
// refused, or the script has its 19 lines, and each name reads back from its
// quotes the way the command processor and PowerShell will read it.
#include <cstdlib>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "fuzz_input.h"
#include "update/update_rules.h"

using namespace zandrel;

namespace {

// The text between `before` and the next `after` in `line` (to its end
// without `after`), with the command processor's "%%" read as "%".
std::u16string Quoted(std::u16string_view line, std::u16string_view before,
                      std::u16string_view after = {}) {
  if (!line.starts_with(before)) std::abort();
  const std::u16string_view rest = line.substr(before.size());
  const std::size_t end = after.empty() ? rest.size() : rest.find(after);
  if (end == std::u16string_view::npos) std::abort();
  std::u16string out;
  for (std::size_t i = 0; i < end; ++i) {
    out += rest[i];
    if (rest[i] == u'%') {
      if (i + 1 >= end || rest[i + 1] != u'%') std::abort();  // a '%' the processor would expand
      ++i;
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const std::u16string folder = in.Text(in.Byte() % 96);
  const std::u16string exe = in.Text(in.Byte() % 48);
  const std::u16string zip = in.Text(in.Byte() % 48);
  std::u16string text;
  try {
    text = update::UpdateScriptText(folder, exe, zip);
  } catch (const std::invalid_argument&) {
    return 0;
  }
  std::vector<std::u16string_view> lines;
  std::u16string_view rest = text;
  while (!rest.empty()) {
    const std::size_t end = rest.find(u"\r\n");
    if (end == std::u16string_view::npos) std::abort();  // the last line ends in CR LF too
    const std::u16string_view line = rest.substr(0, end);
    if (line.find(u'\r') != std::u16string_view::npos ||
        line.find(u'\n') != std::u16string_view::npos)
      std::abort();
    lines.push_back(line);
    rest.remove_prefix(end + 2);
  }
  if (lines.size() != 19) std::abort();
  std::u16string expected_folder = folder;
  if (expected_folder.empty() || expected_folder.back() != u'\\') expected_folder += u'\\';
  if (Quoted(lines[1], u"cd /d \"", u"\"") != expected_folder) std::abort();
  if (Quoted(lines[4], u"taskkill /F /IM \"", u"\"") != exe) std::abort();
  if (Quoted(lines[11], u"del \"", u"\"") != zip) std::abort();
  if (Quoted(lines[14], u"start \"\" \"", u"\"") != exe) std::abort();
  // PowerShell's literal, once the command processor has read the line: a
  // quote of any of its kinds stands doubled, a single one ends it.
  const std::u16string line = Quoted(lines[8], u"");
  const std::size_t open = line.find(u"OpenRead('");
  if (open == std::u16string::npos) std::abort();
  const auto is_quote = [](char16_t c) { return c == u'\'' || (c >= 0x2018 && c <= 0x201B); };
  std::u16string read;
  std::size_t i = open + 10;
  for (;
       i < line.size() && !(is_quote(line[i]) && (i + 1 == line.size() || line[i + 1] != line[i]));
       ++i) {
    read += line[i];
    if (is_quote(line[i])) ++i;
  }
  if (read != zip || line.compare(i, 2, u"')") != 0) std::abort();
  return 0;
}
