#pragma once
// Where the settings file lives and how the output folder text is derived.
// Pure text rules: the window code supplies the executable path, the shell
// folders and the application title, and creates folders itself.

#include <string>
#include <string_view>

namespace zandrel::settings {

// Fixed names in the settings file; the keys of "Option" are component names.
inline constexpr std::u16string_view kOptionSection = u"Option";
inline constexpr std::u16string_view kLanguageSection = u"Language";
inline constexpr std::u16string_view kLanguageKey = u"Language";

// The marker whose presence next to the executable makes the copy portable.
std::u16string PortableMarkerPath(std::u16string_view exe_path);

// Portable copy: the executable's folder + "Config\Option.ini".
std::u16string PortableSettingsPath(std::u16string_view exe_path);
// Installed copy: roaming folder + company + title + "\Config\Option.ini". The
// roaming folder and the company each get a trailing separator, so an empty
// roaming folder gives a path from the drive root and an empty company a
// double separator, which Windows reads as one.
std::u16string InstalledSettingsPath(std::u16string_view roaming_folder,
                                     std::u16string_view company_name, std::u16string_view title);

// My Pictures + "\" + title; also the base of the default-folder mode.
std::u16string DefaultOutputFolder(std::u16string_view my_pictures, std::u16string_view title);
// The stored folder, or the default folder when none was stored.
std::u16string StartupOutputFolder(std::u16string_view stored, std::u16string_view default_folder);
// The folder for a newly chosen source: below the default folder, named after
// the source file without its last extension, when use_default_folder is set;
// otherwise "Extracted Icons" beside the source.
std::u16string NewSourceOutputFolder(std::u16string_view source, bool use_default_folder,
                                     std::u16string_view default_folder);
// The output folder after the default-folder box was clicked: with the box
// ticked it follows the source (or is the default folder when no source is
// loaded); unticked, the current text stays.
std::u16string NoChangePathOutputFolder(bool ticked, std::u16string_view current,
                                        std::u16string_view source,
                                        std::u16string_view default_folder);

// The last component of a folder path after removing one trailing separator;
// empty for an empty path and for a root ("C:\", "C:", a lone name).
std::u16string FolderNameOfPath(std::u16string_view path);
// The output folder after the user picked a folder: "Extracted Icons" inside
// it, below a subfolder named after the source's folder unless the picked
// folder already bears that name (letter case aside) or there is none.
std::u16string BrowsedOutputFolder(std::u16string_view chosen_folder, std::u16string_view source);

}  // namespace zandrel::settings
