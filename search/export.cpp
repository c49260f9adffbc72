#include <string>

#include "core/text.h"
#include "search/icon_search.h"

namespace zandrel::search {

namespace {

std::string Base64(ByteView bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t v = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
    for (int shift : {18, 12, 6, 0}) out += kDigits[(v >> shift) & 63];
  }
  if (const std::size_t rest = bytes.size() - i; rest > 0) {
    const std::uint32_t v = (bytes[i] << 16) | (rest == 2 ? bytes[i + 1] << 8 : 0);
    out += kDigits[(v >> 18) & 63];
    out += kDigits[(v >> 12) & 63];
    out += rest == 2 ? kDigits[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string Html(std::u16string_view text) {
  std::string out;
  for (const char c : ToUtf8(text)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// A CSV field, quoted when it holds a quote, a separator or a line break.
std::string Csv(std::u16string_view text) {
  std::string value = ToUtf8(text);
  // A leading = + - @ would be taken for a formula by spreadsheet programs.
  if (!value.empty() && std::string_view("=+-@").find(value.front()) != std::string_view::npos)
    value.insert(0, "'");
  if (value.find_first_of("\",\r\n") == std::string::npos) return value;
  std::string quoted = "\"";
  for (const char c : value) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::u16string Number(std::uint64_t value) {
  return ToDecimalUnsigned(value);
}

}  // namespace

std::string ExportCsv(const ScanResults& results, const std::vector<std::size_t>& rows) {
  std::string out = "\xEF\xBB\xBFmodule,folder,position,name,kind,images,sizes,largest\r\n";
  for (const std::size_t row : rows) {
    if (row >= results.groups.size()) continue;
    const FoundGroup& group = results.groups[row];
    const FoundModule& module = results.modules.at(group.module);
    out += Csv(module.file_name) + "," + Csv(module.folder) + "," + ToUtf8(Number(group.position)) +
           "," + Csv(group.name) + "," + (group.cursor ? "cursor" : "icon") + "," +
           ToUtf8(Number(group.image_count)) + "," + Csv(group.sizes) + "," +
           ToUtf8(Number(group.largest)) + "\r\n";
  }
  return out;
}

std::string ExportHtml(const ScanResults& results, const std::vector<std::size_t>& rows,
                       const std::function<Bytes(std::size_t row)>& largest_png,
                       std::u16string_view title) {
  std::string out =
      "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + Html(title) +
      "</title>\n<style>body{font-family:'Segoe UI',sans-serif;margin:16px}"
      ".card{display:inline-block;vertical-align:top;width:180px;margin:6px;padding:8px;"
      "border:1px solid #ccc;border-radius:6px;text-align:center;font-size:12px;"
      "overflow-wrap:anywhere}.card img{max-width:128px;max-height:128px;"
      "image-rendering:pixelated}.none{color:#888}</style></head>\n<body>\n<h1>" +
      Html(title) + "</h1>\n";
  for (const std::size_t row : rows) {
    if (row >= results.groups.size()) continue;
    const FoundGroup& group = results.groups[row];
    const FoundModule& module = results.modules.at(group.module);
    out += "<div class=\"card\">";
    const Bytes png = largest_png ? largest_png(row) : Bytes{};
    if (png.empty())
      out += "<div class=\"none\">&mdash;</div>";
    else
      out += "<img alt=\"" + Html(group.name) + "\" src=\"data:image/png;base64," + Base64(png) +
             "\">";
    out += "<div><b>" + Html(module.file_name) + "</b></div><div>" + Html(group.name) +
           "</div><div>" + Html(group.sizes) + "</div><div class=\"none\">" + Html(module.folder) +
           "</div></div>\n";
  }
  return out + "</body></html>\n";
}

}  // namespace zandrel::search
