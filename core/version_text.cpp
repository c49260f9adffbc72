#include "core/version_text.h"

#include "core/text.h"

namespace zandrel {

namespace {

void AppendHex4(std::u16string& out, std::uint16_t value) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kDigits[(value >> shift) & 0xF]);
}

}  // namespace

std::u16string FormatTranslationKey(std::uint16_t language, std::uint16_t code_page) {
  if (language == 0 && code_page == 0) return std::u16string(kFallbackTranslationKey);
  std::u16string key;
  AppendHex4(key, language);
  AppendHex4(key, code_page);
  return key;
}

std::u16string TranslationKeyFromValue(ByteView value) {
  auto language = ReadU16LE(value, 0);
  auto code_page = ReadU16LE(value, 2);
  if (!language || !code_page) return std::u16string(kFallbackTranslationKey);
  return FormatTranslationKey(*language, *code_page);
}

std::u16string StringValuePath(std::u16string_view key, std::u16string_view name) {
  std::u16string path = u"\\StringFileInfo\\";
  path += key;
  path += u'\\';
  path += name;
  return path;
}

std::u16string NormalizeFileVersion(std::u16string_view text) {
  std::u16string result;
  for (char16_t ch : text) {
    if (ch >= u'0' && ch <= u'9') {
      result.push_back(ch);
    } else if (ch == u'.' || ch == u',') {
      if (!result.empty() && result.back() != u'.') result.push_back(u'.');
    } else if (ch != u' ') {
      break;
    }
  }
  if (!result.empty() && result.back() == u'.') result.pop_back();
  return result;
}

std::u16string FormatFixedVersion(std::uint32_t version_ms, std::uint32_t version_ls) {
  std::u16string text = ToDecimalUnsigned(version_ms >> 16);
  text += u'.';
  text += ToDecimalUnsigned(version_ms & 0xFFFF);
  text += u'.';
  text += ToDecimalUnsigned(version_ls >> 16);
  text += u'.';
  text += ToDecimalUnsigned(version_ls & 0xFFFF);
  return text;
}

std::u16string FixedVersionFromRoot(ByteView root) {
  // VS_FIXEDFILEINFO: signature, structure version, then dwFileVersionMS/LS.
  auto version_ms = ReadU32LE(root, 8);
  auto version_ls = ReadU32LE(root, 12);
  if (!version_ms || !version_ls) return {};
  return FormatFixedVersion(*version_ms, *version_ls);
}

std::u16string_view TextUpToNull(std::u16string_view value) {
  return value.substr(0, value.find(u'\0'));
}

}  // namespace zandrel
