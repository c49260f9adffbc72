#include "app/single_instance.h"

#include <windows.h>

#include "platform/handles.h"

namespace zandrel::app {

namespace {
// Held until the process ends: while it exists, other copies see it.
platform::UniqueHandle g_instance_mutex;
}  // namespace

bool AnotherCopyRunning() {
  g_instance_mutex.reset(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, L"Zandrel"));
  if (g_instance_mutex) return true;
  // Whatever the reason the open failed, this copy runs as the first one.
  g_instance_mutex.reset(CreateMutexW(nullptr, FALSE, L"Zandrel"));
  return false;
}

}  // namespace zandrel::app
