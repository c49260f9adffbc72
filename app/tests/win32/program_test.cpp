// The program itself, started as a separate process: its title, the single
// running copy (which takes what a second copy hands it), and the refusal on
// systems older than Windows 10.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/build_target.h"
#include "platform/wide.h"
#include "tests/support/temp_folder.h"

namespace {

const std::wstring kProgram = L"" ZANDREL_EXE_PATH;

struct Found {
  DWORD pid;
  std::wstring class_name;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindows(HWND hwnd, LPARAM lp) {
  auto* found = reinterpret_cast<Found*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  wchar_t cls[128] = {};
  GetClassNameW(hwnd, cls, 127);
  if ((found->pid == 0 || pid == found->pid) && found->class_name == cls && IsWindowVisible(hwnd))
    found->windows.push_back(hwnd);
  return TRUE;
}

std::vector<HWND> VisibleWindows(DWORD pid, const std::wstring& class_name) {
  Found found{pid, class_name, {}};
  EnumWindows(&CollectWindows, reinterpret_cast<LPARAM>(&found));
  return found.windows;
}

std::vector<HWND> WaitForWindows(DWORD pid, const std::wstring& class_name,
                                 DWORD timeout_ms = 30000) {
  const DWORD start = GetTickCount();
  for (;;) {
    auto windows = VisibleWindows(pid, class_name);
    if (!windows.empty() || GetTickCount() - start > timeout_ms) return windows;
    Sleep(100);
  }
}

std::wstring WindowText(HWND hwnd) {
  wchar_t text[1024] = {};
  GetWindowTextW(hwnd, text, 1023);
  return text;
}

BOOL CALLBACK FindFirstEdit(HWND hwnd, LPARAM lp) {
  wchar_t cls[16] = {};
  GetClassNameW(hwnd, cls, 15);
  if (_wcsicmp(cls, L"Edit") != 0) return TRUE;
  *reinterpret_cast<HWND*>(lp) = hwnd;
  return FALSE;
}

// The text of the main window's source field (its first edit).
std::wstring SourceField(HWND main_window) {
  HWND edit = nullptr;
  EnumChildWindows(main_window, &FindFirstEdit, reinterpret_cast<LPARAM>(&edit));
  // GetWindowText gives another process's control its creation text only.
  wchar_t text[1024] = {};
  if (edit) SendMessageW(edit, WM_GETTEXT, 1023, reinterpret_cast<LPARAM>(text));
  return text;
}

class Process {
 public:
  explicit Process(const std::wstring& exe, const std::wstring& args = L"") {
    std::wstring command = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    started_ = CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &si, &pi_);
  }
  ~Process() {
    if (!started_) return;
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 1);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  bool started() const { return started_; }
  DWORD pid() const { return pi_.dwProcessId; }
  // The exit code, or STILL_ACTIVE when it did not end in time.
  DWORD WaitForExit(DWORD timeout_ms) {
    WaitForSingleObject(pi_.hProcess, timeout_ms);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION pi_{};
  bool started_ = false;
};

TEST(Program, TitleCarriesTheFileVersionAndASecondCopyHandsItsFileOverSilently) {
  Process first(kProgram);
  ASSERT_TRUE(first.started());
  const auto windows = WaitForWindows(first.pid(), L"TForm1");
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(WindowText(windows[0]), L"Zandrel " ZANDREL_VERSION_TEXT L" (" +
                                        std::to_wstring(zandrel::config::kProgramBits) + L"-bit)");

  // A second copy hands its file to the running one, which lists it, and
  // ends with no window and no message of its own.
  Process second(kProgram, L"\"C:\\windows\\notepad.exe\"");
  ASSERT_TRUE(second.started());
  EXPECT_EQ(second.WaitForExit(20000), 0u);
  EXPECT_EQ(VisibleWindows(0, L"TForm1").size(), 1u);
  EXPECT_TRUE(VisibleWindows(second.pid(), L"#32770").empty());
  const DWORD start = GetTickCount();
  while (SourceField(windows[0]) != L"C:\\windows\\notepad.exe" && GetTickCount() - start < 20000)
    Sleep(100);
  EXPECT_EQ(SourceField(windows[0]), L"C:\\windows\\notepad.exe");
  // Without a file, the running window only comes back from the taskbar.
  ShowWindow(windows[0], SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(windows[0]));
  Process third(kProgram);
  ASSERT_TRUE(third.started());
  EXPECT_EQ(third.WaitForExit(20000), 0u);
  for (const DWORD begin = GetTickCount(); IsIconic(windows[0]) && GetTickCount() - begin < 10000;)
    Sleep(100);
  EXPECT_FALSE(IsIconic(windows[0]));
  EXPECT_EQ(SourceField(windows[0]), L"C:\\windows\\notepad.exe");

  PostMessageW(windows[0], WM_CLOSE, 0, 0);
  EXPECT_EQ(first.WaitForExit(20000), 0u);
}

TEST(Program, RefusesSystemsOlderThanWindows10WithoutShowingItsWindow) {
  // This copy of the program sees Windows 7: the prefix reports that version
  // to programs of its name.
  zandrel::testing::TempFolder dir;
  const std::wstring copy = zandrel::platform::ToWide(dir.path()) + L"\\ZandrelSeven.exe";
  ASSERT_TRUE(CopyFileW(kProgram.c_str(), copy.c_str(), FALSE));
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\ZandrelSeven.exe", 0,
                            nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const wchar_t version[] = L"win7";
  RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                 sizeof version);
  RegCloseKey(key);

  Process seven(copy);
  ASSERT_TRUE(seven.started());
  const auto boxes = WaitForWindows(seven.pid(), L"#32770");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(WindowText(boxes[0]), L"Ошибка");
  std::wstring text;
  for (HWND child = GetWindow(boxes[0], GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const std::wstring t = WindowText(child);
    if (t.size() > text.size()) text = t;
  }
  EXPECT_EQ(text, L"Эта программа совместима только с Windows 10 и Windows 11.");
  EXPECT_TRUE(VisibleWindows(seven.pid(), L"TForm1").empty());
  PostMessageW(boxes[0], WM_COMMAND, IDOK, 0);
  EXPECT_EQ(seven.WaitForExit(20000), 0u);
  EXPECT_TRUE(VisibleWindows(seven.pid(), L"TForm1").empty());
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\ZandrelSeven.exe");
}

}  // namespace
