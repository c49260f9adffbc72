#pragma once
// Helpers shared by the files of the update window (not for other windows).

#include <new>
#include <string>

namespace zandrel::updatewindow {

// Errors the window's handlers drop; running out of memory is not one.
template <class Fn>
void Dropping(Fn&& fn) {
  try {
    fn();
  } catch (const std::bad_alloc&) {
    throw;
  } catch (...) {
  }
}

void ProcessMessages();

// The Yes/No question of the start-up offer: the platform's task dialog,
// with the catalogue's captions on its buttons.
bool AskWithTaskDialog(const std::wstring& text, const std::wstring& yes, const std::wstring& no);

}  // namespace zandrel::updatewindow
