#pragma once
// The benchmark process's own memory counters (Windows benchmarks).

#include <windows.h>
#include <psapi.h>

namespace zandrel::bench {

inline PROCESS_MEMORY_COUNTERS MemoryCounters() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters;
}

inline double MiB(SIZE_T bytes) {
  return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

}  // namespace zandrel::bench
