#pragma once
// The program's message boxes: the system's message box, shown after every
// held-back change (log lines, progress) has reached the screen, so the user
// sees the state the message speaks of.

#include <windows.h>

#include <string>

namespace zandrel::gui {

// The button chosen (IDOK, ...). An empty caption is the application title.
int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption = {},
                   UINT flags = MB_OK);

}  // namespace zandrel::gui
