#pragma once
// An INI document kept line by line, shared by the settings file and the
// language files. Rewriting a file changes only the entries the program writes;
// comments, blank lines and everything else the reading rules skip stay where
// the user put them.
//
// Reading rules: each line is trimmed of characters up to U+0020; empty lines
// and lines starting with ";" are skipped; "[name]" opens a section; inside a
// section a line with "=" is an entry, the key being the text before the first
// "=" and the value the text after it, both trimmed next to the "=". Lines
// before the first header, lines without "=" and the lines under a repeated
// section header (the first header wins) are not read. Section and key names
// compare without regard to case; of repeated keys the first counts.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/bytes.h"
#include "settings/ansi_codec.h"

namespace zandrel::settings {

// The encoding a document was read in and is written back in. kUtf8 is
// UTF-8 without a mark, as Notepad saves it.
enum class IniEncoding { kAnsi, kUtf8, kUtf8Bom, kUtf16LeBom, kUtf16BeBom };

enum class IniLayout {
  // Every line as it was read; written entries change in place or are added.
  kKeepUserLines,
  // Only the readable sections, each header followed by its entries (and the
  // lines without "="), then an empty line; the form the language-file cleanup
  // writes.
  kEntriesOnly,
};

struct IniEntry {
  std::u16string key;
  std::u16string value;
};

class IniDocument {
 public:
  // An empty document; it is written in the codec's ANSI code page. The codec
  // must outlive the document (the ones this project provides always do).
  explicit IniDocument(const AnsiCodec& codec);
  // Reads UTF-8, UTF-16 LE and UTF-16 BE after their byte-order marks; without
  // a mark, bytes that are well-formed UTF-8 holding at least one multi-byte
  // sequence as UTF-8, anything else through the codec. Any bytes give a
  // document.
  static IniDocument FromBytes(ByteView bytes, const AnsiCodec& codec);

  IniEncoding encoding() const { return encoding_; }

  bool HasSection(std::u16string_view section) const;
  // The value of the first entry with this key; nullopt when there is none.
  std::optional<std::u16string> Find(std::u16string_view section, std::u16string_view key) const;
  std::u16string ReadString(std::u16string_view section, std::u16string_view key,
                            std::u16string_view default_value) const;
  // Any whole number other than 0 is true; a missing key or a value that is
  // not a whole number gives the default.
  bool ReadBool(std::u16string_view section, std::u16string_view key, bool default_value) const;

  // Changes the first entry with this key, or appends "key=value" at the end
  // of the section's entries; a new section goes to the end of the document.
  // Throws std::invalid_argument for names and values that could not be read
  // back as written (line breaks, a key with "=" or blanks at its ends, ...).
  // Blanks at either end of a value do not survive a reload, as in any INI file.
  void WriteString(std::u16string_view section, std::u16string_view key, std::u16string_view value);
  void WriteBool(std::u16string_view section, std::u16string_view key, bool value);

  // Readable sections in file order.
  std::vector<std::u16string> SectionNames() const;
  // Entries of the section in file order, repeated keys included.
  std::vector<IniEntry> Entries(std::u16string_view section) const;
  // Keys in file order, repeats included; a line without "=" counts as a key
  // made of the whole line, the way the language-file cleanup sees a section.
  std::vector<std::u16string> KeyNames(std::u16string_view section) const;
  // Removes the first line whose key (as KeyNames gives it) matches.
  bool DeleteKey(std::u16string_view section, std::u16string_view key);
  // Removes the section with its lines, repeated headers of that name included,
  // so that no ignored copy takes its place on the next read.
  bool DeleteSection(std::u16string_view section);
  // Prunes many keys in one pass (time linear in the document). For every
  // readable section, decide gets the section's name and keys (as KeyNames
  // gives them) and answers nullopt to leave the section alone, or one flag
  // per key: the lines of keys flagged false go, and a section left without
  // keys goes with them. True when anything was removed.
  using KeyDecision = std::function<std::optional<std::vector<bool>>(
      std::u16string_view section, const std::vector<std::u16string_view>& keys)>;
  bool RetainKeys(const KeyDecision& decide);

  // The file content with CR LF line ends, in the document's encoding, with a
  // byte-order mark when it was read with one. Text the ANSI code page cannot
  // hold, ANSI bytes that would read back as UTF-8, or (for UTF-8) a lone
  // surrogate make the file UTF-16 LE with a mark instead of changing the text.
  Bytes ToBytes(IniLayout layout = IniLayout::kKeepUserLines) const;

 private:
  enum class LineKind { kOther, kHeader, kEntry, kBare };

  // One line as read (without its line break), with the places of its parts.
  struct Line {
    std::u16string text;
    LineKind kind = LineKind::kOther;
    // Entry: the key; bare line: the trimmed text; header: the section name.
    std::size_t name_begin = 0, name_end = 0;
    // Entry: the value.
    std::size_t value_begin = 0, value_end = 0;

    std::u16string_view name() const;
    std::u16string_view value() const;
  };

  struct Section {
    Line header;
    bool readable = true;  // false for a repeated header of an earlier section
    std::vector<Line> lines;
  };

  static Line MakeLine(std::u16string text);
  const Section* FindSection(std::u16string_view name) const;
  Section* FindSection(std::u16string_view name);
  Section& AppendSection(std::u16string_view name);
  std::u16string Text(IniLayout layout) const;

  const AnsiCodec* codec_;
  IniEncoding encoding_ = IniEncoding::kAnsi;
  std::vector<Line> prologue_;  // lines before the first header
  std::vector<Section> sections_;
};

// Text of an INI-style file by the same encoding rules: the byte-order marks
// of UTF-8 and UTF-16, then UTF-8 recognised by its bytes, the codec
// otherwise. `encoding` receives what was found.
std::u16string DecodeIniText(ByteView bytes, const AnsiCodec& codec,
                             IniEncoding* encoding = nullptr);
// Lines ending in CR LF, LF or CR; a final line break starts no further line.
std::vector<std::u16string> SplitLines(std::u16string_view text);
// UTF-16 LE with its byte-order mark.
Bytes EncodeUtf16LeWithBom(std::u16string_view text);

// Largest file LoadIniFile accepts. Settings and language files are far
// smaller; the cap keeps a hostile file of millions of short lines from
// exhausting a 32-bit process.
inline constexpr std::size_t kMaxIniFileBytes = 4 * 1024 * 1024;

// A missing file gives an empty (ANSI) document. Throws FileError when the file
// exists but cannot be read or is larger than kMaxIniFileBytes, so that a later
// save never replaces content it could not see.
IniDocument LoadIniFile(std::u16string_view path, const AnsiCodec& codec);
// Writes the whole file in one step; throws FileError.
void SaveIniFile(std::u16string_view path, const IniDocument& document,
                 IniLayout layout = IniLayout::kKeepUserLines);

}  // namespace zandrel::settings
