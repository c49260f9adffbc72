#pragma once
// Following shortcut files (.lnk) to their target.

#include <string>

namespace zandrel::mainwindow {

// The target path of a shortcut: asked of the shell-link object (the stored
// path, or the expanded one when the stored path does not exist), else found
// in the file's bytes. Empty when nothing is found. A failure to create the
// shell-link object is raised.
std::wstring ResolveShortcut(const std::wstring& shortcut_path);

}  // namespace zandrel::mainwindow
