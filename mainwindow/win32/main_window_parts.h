#pragma once
// Helpers shared by the files of the main window (not for other windows).

#include <string>

namespace zandrel::mainwindow {

// The application title ("Zandrel").
std::wstring AppTitle();
// My Pictures + "\" + title: the output folder's default.
std::wstring DefaultOutputFolder();

}  // namespace zandrel::mainwindow
