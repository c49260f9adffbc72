#pragma once
// A fresh folder for one test, removed with everything in it afterwards.
// Its path uses "\" separators in both trees, as the program's paths do.

#include <set>
#include <string>
#include <string_view>

namespace zandrel::testing {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::u16string& path() const { return path_; }

 private:
  std::u16string path_;
};

// The names of the entries of a folder given as the program's path; empty
// when it cannot be read.
std::set<std::u16string> EntryNames(std::u16string_view folder);

}  // namespace zandrel::testing
