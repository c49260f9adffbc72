#pragma once
// What a downloaded package must be before anything of it is written: an
// installer must be a Windows executable, an archive a ZIP whose directory
// reads within the file and whose every entry lands inside the program
// folder. Portable code over untrusted bytes: bounds-checked, linear in the
// input, no Win32 calls.

#include <cstddef>

#include "core/bytes.h"

namespace zandrel::update {

// "MZ", and the "PE\0\0" signature with its 20-byte file header at the
// offset the MZ header names, all inside the file.
bool IsWindowsExecutable(ByteView file);

// The longest path an entry may make once joined to the program folder.
inline constexpr std::size_t kMaxJoinedPath = 260;

// Whether an archive entry's stored name (its bytes; '/' and '\' both
// separate folders) stays inside the program folder whose path, ending in a
// backslash, is `folder_length` characters long. Refused: an empty name; a
// leading '/' or '\' (root or UNC); a ':' anywhere (drive letters, streams);
// a control character or one of * ? " < > |; an empty folder name between
// separators; a name of dots and blanks only ("..", "."); a device name
// (CON, PRN, AUX, NUL, COM0-9, LPT0-9, CONIN$, CONOUT$, CLOCK$, also with an
// extension or trailing blanks); a joined path over kMaxJoinedPath. A single
// trailing separator is allowed: that is a folder entry. Bytes from 128 up
// count as one character each, which never undercounts a name's length
// however the archive's names are encoded.
bool IsSafeEntryName(ByteView name, std::size_t folder_length);

enum class ArchiveCheck {
  kSafe,
  kNotAZip,      // no end record, a directory outside the file, split or ZIP64 archives
  kUnsafeEntry,  // an entry name that would leave the program folder
};

// Reads the archive the way the unpacking does: the end-of-central-directory
// record found backwards from the end, then the central directory's entries
// one after another from its start. Each entry's header, name, extra field,
// comment and local header must lie inside the file, the count must match the
// end record, and every name must pass IsSafeEntryName.
ArchiveCheck CheckArchive(ByteView zip, std::size_t folder_length);

}  // namespace zandrel::update
