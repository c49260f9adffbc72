#pragma once
// A folder of this run's own below the user's temporary folder, for files
// handed to other programs (the clipboard, drags). Created on first use;
// the files in it and the folder go when the owner does.

#include <string>

namespace zandrel::platform {

class RunTempFolder {
 public:
  // The folder's name: `prefix` + "-" + the process id + "-" + a counter.
  explicit RunTempFolder(std::wstring prefix) : prefix_(std::move(prefix)) {}
  ~RunTempFolder();
  RunTempFolder(const RunTempFolder&) = delete;
  RunTempFolder& operator=(const RunTempFolder&) = delete;

  // The folder with a trailing "\", created now when it does not exist yet.
  // Throws Win32Error when it cannot be created.
  const std::wstring& Path();
  bool created() const { return !path_.empty(); }

 private:
  std::wstring prefix_;
  std::wstring path_;
};

}  // namespace zandrel::platform
