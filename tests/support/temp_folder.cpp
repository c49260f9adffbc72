#include "tests/support/temp_folder.h"

#include <atomic>
#include <filesystem>
#include <random>

namespace zandrel::testing {

namespace fs = std::filesystem;

namespace {

std::u16string ProgramPath(const fs::path& p) {
  std::u16string text = p.u16string();
#ifdef _WIN32
  for (auto& c : text)
    if (c == u'/') c = u'\\';
#endif
  return text;
}

fs::path HostPath(const std::u16string& p) {
  std::u16string text = p;
#ifndef _WIN32
  for (auto& c : text)
    if (c == u'\\') c = u'/';
#endif
  return fs::path(text);
}

}  // namespace

TempFolder::TempFolder() {
  static std::atomic<unsigned> counter{0};
  std::random_device rd;
  const fs::path p = fs::temp_directory_path() /
                     ("zandrel-test-" + std::to_string(rd()) + "-" + std::to_string(counter++));
  fs::create_directories(p);
  path_ = ProgramPath(p);
}

TempFolder::~TempFolder() {
  std::error_code ec;
  fs::remove_all(HostPath(path_), ec);
}

std::set<std::u16string> EntryNames(std::u16string_view folder) {
  std::set<std::u16string> names;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(HostPath(std::u16string(folder)), ignored))
    names.insert(entry.path().filename().u16string());
  return names;
}

}  // namespace zandrel::testing
