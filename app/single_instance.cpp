#include "app/single_instance.h"

#include <windows.h>

#include <string>

#include "mainwindow/win32/main_window.h"
#include "platform/handles.h"
#include "platform/process.h"

namespace zandrel::app {

namespace {
// Held until the process ends: while it exists, other copies see it.
platform::UniqueHandle g_instance_mutex;

constexpr DWORD kWaitForWindowMs = 3000;
constexpr UINT kAnswerTimeoutMs = 5000;
}  // namespace

bool AnotherCopyRunning() {
  g_instance_mutex.reset(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, L"Zandrel"));
  if (g_instance_mutex) return true;
  // Whatever the reason the open failed, this copy runs as the first one.
  g_instance_mutex.reset(CreateMutexW(nullptr, FALSE, L"Zandrel"));
  return false;
}

void HandOverToRunningCopy() {
  // A copy that has only just started may not have made its window yet.
  HWND running = nullptr;
  const DWORD start = GetTickCount();
  while (!(running = FindWindowW(TForm1::kWindowClass, nullptr)) &&
         GetTickCount() - start < kWaitForWindowMs)
    Sleep(100);
  if (!running) return;
  bool present = false;
  const std::wstring argument = platform::FirstCommandLineArgument(&present);
  // This copy was started by the user, so it may let the running one come
  // to the front.
  DWORD pid = 0;
  GetWindowThreadProcessId(running, &pid);
  AllowSetForegroundWindow(pid);
  COPYDATASTRUCT data{};
  data.dwData = TForm1::kHandedSourceTag;
  data.cbData = static_cast<DWORD>(argument.size() * sizeof(wchar_t));
  data.lpData = data.cbData ? const_cast<wchar_t*>(argument.data()) : nullptr;
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                      SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerTimeoutMs, &answer);
}

}  // namespace zandrel::app
