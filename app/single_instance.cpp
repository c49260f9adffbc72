#include "app/single_instance.h"

#include <windows.h>

namespace zandrel::app {

namespace {
HANDLE g_instance_mutex = nullptr;
}

bool AnotherCopyRunning() {
  g_instance_mutex = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, L"Zandrel");
  if (g_instance_mutex) return true;
  // Whatever the reason the open failed, this copy runs as the first one.
  g_instance_mutex = CreateMutexW(nullptr, FALSE, L"Zandrel");
  return false;
}

}  // namespace zandrel::app
