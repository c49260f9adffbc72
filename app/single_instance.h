#pragma once
// One running copy at a time, signalled by a named mutex. A copy started
// while another runs hands its source to that one and ends.

namespace zandrel::app {

// True when another copy runs. The mutex handle is kept for the life of the
// process.
bool AnotherCopyRunning();

// Hands this copy's first command-line argument (none: only the wish to see
// the window) to the running copy's main window, which lists it and comes to
// the front. Waits a few seconds at most, for a copy still starting or one
// that does not answer; shows nothing either way.
void HandOverToRunningCopy();

}  // namespace zandrel::app
