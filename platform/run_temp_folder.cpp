#include "platform/run_temp_folder.h"

#include <windows.h>

#include "platform/errors.h"
#include "platform/handles.h"

namespace zandrel::platform {

const std::wstring& RunTempFolder::Path() {
  if (!path_.empty()) return path_;
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  ThrowLastErrorIf(length == 0 || length > MAX_PATH, L"GetTempPathW");
  const std::wstring base =
      std::wstring(temp, length) + prefix_ + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-";
  // A folder left by an earlier process of the same id is not ours: the
  // next free counter is.
  for (unsigned counter = 1;; ++counter) {
    const std::wstring candidate = base + std::to_wstring(counter);
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = candidate + L"\\";
      return path_;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS || counter == 1000)
      throw Win32Error(L"CreateDirectoryW " + candidate, error);
  }
}

RunTempFolder::~RunTempFolder() {
  if (path_.empty()) return;
  // Only files are put here; a file another program still holds open stays
  // behind with the folder, for the system's cleanup of the temporary folder.
  WIN32_FIND_DATAW found{};
  UniqueFindFile search(FindFirstFileW((path_ + L"*").c_str(), &found));
  if (search) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        DeleteFileW((path_ + found.cFileName).c_str());
    } while (FindNextFileW(search.get(), &found));
  }
  search.reset();
  RemoveDirectoryW(path_.c_str());
}

}  // namespace zandrel::platform
