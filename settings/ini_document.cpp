#include "settings/ini_document.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_set>
#include <utility>

#include "core/casefold.h"
#include "core/file_io.h"
#include "core/text.h"

namespace zandrel::settings {

namespace {

constexpr std::uint8_t kUtf8Bom[] = {0xEF, 0xBB, 0xBF};
constexpr std::uint8_t kUtf16LeBom[] = {0xFF, 0xFE};
constexpr std::uint8_t kUtf16BeBom[] = {0xFE, 0xFF};

bool StartsWithBytes(ByteView data, ByteView prefix) {
  return data.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), data.begin());
}

std::u16string DecodeUtf16(ByteView data, bool big_endian) {
  std::u16string out;
  out.reserve(data.size() / 2 + 1);
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
    const unsigned first = data[i], second = data[i + 1];
    out.push_back(
        static_cast<char16_t>(big_endian ? (first << 8) | second : (second << 8) | first));
  }
  // Half a code unit at the end cannot be read; mark it instead of dropping it.
  if (data.size() % 2 != 0) out.push_back(u'\uFFFD');
  return out;
}

Bytes EncodeUtf16(std::u16string_view text, bool big_endian) {
  Bytes out;
  out.reserve(2 + text.size() * 2);
  const ByteView bom = big_endian ? ByteView(kUtf16BeBom) : ByteView(kUtf16LeBom);
  out.assign(bom.begin(), bom.end());
  for (const char16_t c : text) {
    const auto high = static_cast<std::uint8_t>(c >> 8), low = static_cast<std::uint8_t>(c);
    out.push_back(big_endian ? high : low);
    out.push_back(big_endian ? low : high);
  }
  return out;
}

// Whether bytes without a mark are UTF-8: well-formed (no overlong forms, no
// surrogates, nothing above U+10FFFF) and holding at least one multi-byte
// sequence. Text in an ANSI code page practically never passes, since every
// byte above 0x7F would have to fall into UTF-8's lead and continuation
// patterns; plain ASCII reads the same either way and stays ANSI.
bool IsMultiByteUtf8(ByteView bytes) {
  bool multi_byte = false;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::uint8_t lead = bytes[i];
    if (lead < 0x80) {
      ++i;
      continue;
    }
    // The number of continuation bytes, and the range the first of them must
    // lie in (narrower after E0, ED, F0 and F4).
    std::size_t extra = 0;
    std::uint8_t low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (bytes.size() - i <= extra || bytes[i + 1] < low || bytes[i + 1] > high) return false;
    for (std::size_t k = 2; k <= extra; ++k)
      if ((bytes[i + k] & 0xC0) != 0x80) return false;
    multi_byte = true;
    i += extra + 1;
  }
  return multi_byte;
}

std::u16string DecodeUtf8(ByteView bytes) {
  return FromUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool HasLoneSurrogate(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      return true;
    }
  }
  return false;
}

bool HasLineBreak(std::u16string_view text) {
  return text.find_first_of(u"\r\n") != std::u16string_view::npos;
}

// Calls on_line for every line; lines end in CR LF, LF or CR, and a final line
// break does not start another line.
template <typename OnLine>
void ForEachLine(std::u16string_view text, OnLine on_line) {
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string_view::npos) {
      on_line(text.substr(start));
      return;
    }
    on_line(text.substr(start, end - start));
    start = end + (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n' ? 2 : 1);
  }
}

// The offset of a trimmed view inside the text it was cut from.
std::size_t OffsetIn(std::u16string_view whole, std::u16string_view part) {
  return static_cast<std::size_t>(part.data() - whole.data());
}

std::u16string EntryText(std::u16string_view key, std::u16string_view value) {
  std::u16string text(key);
  text += u'=';
  text += value;
  return text;
}

}  // namespace

std::u16string_view IniDocument::Line::name() const {
  return std::u16string_view(text).substr(name_begin, name_end - name_begin);
}

std::u16string_view IniDocument::Line::value() const {
  return std::u16string_view(text).substr(value_begin, value_end - value_begin);
}

IniDocument::Line IniDocument::MakeLine(std::u16string text) {
  Line line;
  line.text = std::move(text);
  const std::u16string_view whole(line.text);
  const std::u16string_view trimmed = Trim(whole);
  if (trimmed.empty() || trimmed.front() == u';') return line;
  if (trimmed.size() >= 2 && trimmed.front() == u'[' && trimmed.back() == u']') {
    const std::u16string_view name = Trim(trimmed.substr(1, trimmed.size() - 2));
    line.kind = LineKind::kHeader;
    line.name_begin = OffsetIn(whole, name);
    line.name_end = line.name_begin + name.size();
    return line;
  }
  const std::size_t eq = trimmed.find(u'=');
  if (eq == std::u16string_view::npos) {
    line.kind = LineKind::kBare;
    line.name_begin = OffsetIn(whole, trimmed);
    line.name_end = line.name_begin + trimmed.size();
    return line;
  }
  const std::u16string_view key = TrimRight(trimmed.substr(0, eq));
  const std::u16string_view value = TrimLeft(trimmed.substr(eq + 1));
  line.kind = LineKind::kEntry;
  line.name_begin = OffsetIn(whole, trimmed);
  line.name_end = line.name_begin + key.size();
  line.value_begin = OffsetIn(whole, value);
  line.value_end = line.value_begin + value.size();
  return line;
}

IniDocument::IniDocument(const AnsiCodec& codec) : codec_(&codec) {}

std::u16string DecodeIniText(ByteView bytes, const AnsiCodec& codec, IniEncoding* encoding) {
  IniEncoding found = IniEncoding::kAnsi;
  std::u16string text;
  if (StartsWithBytes(bytes, kUtf8Bom)) {
    found = IniEncoding::kUtf8Bom;
    text = DecodeUtf8(bytes.subspan(std::size(kUtf8Bom)));
  } else if (StartsWithBytes(bytes, kUtf16LeBom)) {
    found = IniEncoding::kUtf16LeBom;
    text = DecodeUtf16(bytes.subspan(std::size(kUtf16LeBom)), false);
  } else if (StartsWithBytes(bytes, kUtf16BeBom)) {
    found = IniEncoding::kUtf16BeBom;
    text = DecodeUtf16(bytes.subspan(std::size(kUtf16BeBom)), true);
  } else if (IsMultiByteUtf8(bytes)) {
    found = IniEncoding::kUtf8;
    text = DecodeUtf8(bytes);
  } else {
    text = codec.Decode(bytes);
  }
  if (encoding != nullptr) *encoding = found;
  return text;
}

std::vector<std::u16string> SplitLines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  ForEachLine(text, [&lines](std::u16string_view line) { lines.emplace_back(line); });
  return lines;
}

Bytes EncodeUtf16LeWithBom(std::u16string_view text) {
  return EncodeUtf16(text, false);
}

IniDocument IniDocument::FromBytes(ByteView bytes, const AnsiCodec& codec) {
  IniDocument doc(codec);
  const std::u16string text = DecodeIniText(bytes, codec, &doc.encoding_);

  // Upper-cased names seen so far: hostile files may hold very many headers.
  std::unordered_set<std::u16string> seen;
  ForEachLine(text, [&doc, &seen](std::u16string_view raw) {
    Line line = MakeLine(std::u16string(raw));
    if (line.kind == LineKind::kHeader) {
      Section section;
      // Only the first header of a name is read; later ones are kept for writing.
      section.readable = seen.insert(UpperCase(line.name())).second;
      section.header = std::move(line);
      doc.sections_.push_back(std::move(section));
    } else if (doc.sections_.empty()) {
      doc.prologue_.push_back(std::move(line));
    } else {
      doc.sections_.back().lines.push_back(std::move(line));
    }
  });
  return doc;
}

const IniDocument::Section* IniDocument::FindSection(std::u16string_view name) const {
  for (const Section& section : sections_)
    if (section.readable && EqualsIgnoreCase(section.header.name(), name)) return &section;
  return nullptr;
}

IniDocument::Section* IniDocument::FindSection(std::u16string_view name) {
  return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

bool IniDocument::HasSection(std::u16string_view section) const {
  return FindSection(section) != nullptr;
}

std::optional<std::u16string> IniDocument::Find(std::u16string_view section,
                                                std::u16string_view key) const {
  if (const Section* s = FindSection(section)) {
    for (const Line& line : s->lines)
      if (line.kind == LineKind::kEntry && EqualsIgnoreCase(line.name(), key))
        return std::u16string(line.value());
  }
  return std::nullopt;
}

std::u16string IniDocument::ReadString(std::u16string_view section, std::u16string_view key,
                                       std::u16string_view default_value) const {
  std::optional<std::u16string> value = Find(section, key);
  return value ? std::move(*value) : std::u16string(default_value);
}

bool IniDocument::ReadBool(std::u16string_view section, std::u16string_view key,
                           bool default_value) const {
  const std::optional<std::u16string> value = Find(section, key);
  if (!value) return default_value;
  const std::optional<std::int32_t> number = ParseWholeNumber(*value);
  return number ? *number != 0 : default_value;
}

IniDocument::Section& IniDocument::AppendSection(std::u16string_view name) {
  // Keep a blank line between the last section and the new one.
  std::vector<Line>& tail = sections_.empty() ? prologue_ : sections_.back().lines;
  const Line* last = !tail.empty()        ? &tail.back()
                     : !sections_.empty() ? &sections_.back().header
                                          : nullptr;
  if (last != nullptr && !Trim(last->text).empty()) tail.push_back(MakeLine(u""));

  Section section;
  section.header = MakeLine(u"[" + std::u16string(name) + u"]");
  sections_.push_back(std::move(section));
  return sections_.back();
}

void IniDocument::WriteString(std::u16string_view section, std::u16string_view key,
                              std::u16string_view value) {
  // Names must read back as themselves, and no text may start a line of its own.
  if (HasLineBreak(section) || Trim(section) != section)
    throw std::invalid_argument("INI section name cannot be written");
  if (key.empty() || HasLineBreak(key) || Trim(key) != key ||
      key.find(u'=') != std::u16string_view::npos || key.front() == u';' || key.front() == u'[')
    throw std::invalid_argument("INI key cannot be written");
  if (HasLineBreak(value)) throw std::invalid_argument("INI value cannot contain a line break");

  Section* s = FindSection(section);
  if (s == nullptr) s = &AppendSection(section);
  std::size_t insert_at = 0;
  for (std::size_t i = 0; i < s->lines.size(); ++i) {
    Line& line = s->lines[i];
    if (line.kind == LineKind::kEntry && EqualsIgnoreCase(line.name(), key)) {
      // An unchanged value keeps the user's spelling of the line.
      if (line.value() != value) line = MakeLine(EntryText(line.name(), value));
      return;
    }
    if (line.kind == LineKind::kEntry || line.kind == LineKind::kBare) insert_at = i + 1;
  }
  s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(insert_at),
                  MakeLine(EntryText(key, value)));
}

void IniDocument::WriteBool(std::u16string_view section, std::u16string_view key, bool value) {
  WriteString(section, key, value ? u"1" : u"0");
}

std::vector<std::u16string> IniDocument::SectionNames() const {
  std::vector<std::u16string> names;
  for (const Section& section : sections_)
    if (section.readable) names.emplace_back(section.header.name());
  return names;
}

std::vector<IniEntry> IniDocument::Entries(std::u16string_view section) const {
  std::vector<IniEntry> entries;
  if (const Section* s = FindSection(section)) {
    for (const Line& line : s->lines)
      if (line.kind == LineKind::kEntry)
        entries.push_back({std::u16string(line.name()), std::u16string(line.value())});
  }
  return entries;
}

std::vector<std::u16string> IniDocument::KeyNames(std::u16string_view section) const {
  std::vector<std::u16string> keys;
  if (const Section* s = FindSection(section)) {
    for (const Line& line : s->lines)
      if (line.kind == LineKind::kEntry || line.kind == LineKind::kBare)
        keys.emplace_back(line.name());
  }
  return keys;
}

bool IniDocument::DeleteKey(std::u16string_view section, std::u16string_view key) {
  Section* s = FindSection(section);
  if (s == nullptr) return false;
  const auto it = std::find_if(s->lines.begin(), s->lines.end(), [&](const Line& line) {
    return (line.kind == LineKind::kEntry || line.kind == LineKind::kBare) &&
           EqualsIgnoreCase(line.name(), key);
  });
  if (it == s->lines.end()) return false;
  s->lines.erase(it);
  return true;
}

bool IniDocument::DeleteSection(std::u16string_view section) {
  const std::size_t before = sections_.size();
  std::erase_if(sections_,
                [&](const Section& s) { return EqualsIgnoreCase(s.header.name(), section); });
  return sections_.size() != before;
}

bool IniDocument::RetainKeys(const KeyDecision& decide) {
  bool removed = false;
  std::vector<bool> drop_section(sections_.size(), false);
  for (std::size_t s = 0; s < sections_.size(); ++s) {
    Section& section = sections_[s];
    if (!section.readable) continue;
    std::vector<std::u16string_view> keys;
    for (const Line& line : section.lines)
      if (line.kind == LineKind::kEntry || line.kind == LineKind::kBare) keys.push_back(line.name());
    const std::optional<std::vector<bool>> keep = decide(section.header.name(), keys);
    if (!keep) continue;
    std::vector<Line> kept;
    std::size_t key_index = 0, kept_keys = 0;
    for (Line& line : section.lines) {
      if (line.kind == LineKind::kEntry || line.kind == LineKind::kBare) {
        const bool stays = key_index < keep->size() && (*keep)[key_index];
        ++key_index;
        if (!stays) {
          removed = true;
          continue;
        }
        ++kept_keys;
      }
      kept.push_back(std::move(line));
    }
    section.lines = std::move(kept);
    if (kept_keys == 0) drop_section[s] = true;
  }
  // A dropped section takes its repeated headers along, as DeleteSection does.
  std::unordered_set<std::u16string> dropped;
  for (std::size_t s = 0; s < sections_.size(); ++s)
    if (drop_section[s]) dropped.insert(UpperCase(sections_[s].header.name()));
  if (dropped.empty()) return removed;
  std::erase_if(sections_, [&dropped](const Section& section) {
    return dropped.contains(UpperCase(section.header.name()));
  });
  return true;
}

std::u16string IniDocument::Text(IniLayout layout) const {
  std::u16string text;
  const auto append = [&text](std::u16string_view line) {
    text += line;
    text += u"\r\n";
  };
  if (layout == IniLayout::kKeepUserLines) {
    for (const Line& line : prologue_) append(line.text);
    for (const Section& section : sections_) {
      append(section.header.text);
      for (const Line& line : section.lines) append(line.text);
    }
    return text;
  }
  for (const Section& section : sections_) {
    if (!section.readable) continue;
    append(u"[" + std::u16string(section.header.name()) + u"]");
    for (const Line& line : section.lines) {
      if (line.kind == LineKind::kEntry) append(EntryText(line.name(), line.value()));
      if (line.kind == LineKind::kBare) append(line.name());
    }
    append(u"");
  }
  return text;
}

Bytes IniDocument::ToBytes(IniLayout layout) const {
  const std::u16string text = Text(layout);
  switch (encoding_) {
    case IniEncoding::kAnsi:
      // ANSI bytes that would read back as UTF-8 (the cleanup dropped the
      // lines that told them apart) would change the text as well.
      if (std::optional<Bytes> ansi = codec_->Encode(text); ansi && !IsMultiByteUtf8(*ansi))
        return std::move(*ansi);
      break;
    case IniEncoding::kUtf8:
    case IniEncoding::kUtf8Bom:
      if (!HasLoneSurrogate(text)) {
        Bytes out;
        if (encoding_ == IniEncoding::kUtf8Bom)
          out.assign(std::begin(kUtf8Bom), std::end(kUtf8Bom));
        const std::string utf8 = ToUtf8(text);
        out.insert(out.end(), utf8.begin(), utf8.end());
        return out;
      }
      break;
    case IniEncoding::kUtf16LeBom:
      break;
    case IniEncoding::kUtf16BeBom:
      return EncodeUtf16(text, true);
  }
  return EncodeUtf16(text, false);
}

IniDocument LoadIniFile(std::u16string_view path, const AnsiCodec& codec) {
  if (!FileExists(path)) return IniDocument(codec);
  const std::optional<Bytes> bytes = ReadFileBytes(path, kMaxIniFileBytes + 1);
  if (!bytes || bytes->size() > kMaxIniFileBytes) throw FileError(std::u16string(path));
  return IniDocument::FromBytes(*bytes, codec);
}

void SaveIniFile(std::u16string_view path, const IniDocument& document, IniLayout layout) {
  WriteFileAtomically(path, document.ToBytes(layout));
}

}  // namespace zandrel::settings
