#pragma once
// One running copy at a time, signalled by a named mutex.

namespace zandrel::app {

// True when another copy runs. The mutex handle is kept for the life of the
// process.
bool AnotherCopyRunning();

}  // namespace zandrel::app
