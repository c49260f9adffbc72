#pragma once
// A fresh folder for one test, removed with everything in it afterwards.
// Its path uses "\" separators in both trees, as the program's paths do.

#include <string>

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

}  // namespace zandrel::testing
