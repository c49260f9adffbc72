#include "cli/reporting.h"

#include <map>
#include <ostream>

#include "core/text.h"

namespace zandrel::cli {

std::u16string EnglishCatalogue::Text(std::u16string_view entry) const {
  static const std::map<std::u16string_view, std::u16string_view> texts = {
      {u"LangErrorloadingIconID", u"image cannot be loaded: ID="},
      {u"LangIconIDnotFound", u"image not found: ID="},
      {u"LangSaved", u"saved:"},
      {u"LangSavingError", u"could not save:"},
      {u"LangErrorSaving", u"error while saving:"},
      {u"LangIDConversionError", u"invalid ID:"},
      {u"LangGroupNotFound", u"group not found:"},
      {u"LangErrorLoadingResource", u"group cannot be loaded:"},
      {u"LangInvalidDataSize", u"group data cut short:"},
      {u"LangGroupTooLarge", u"group too large, skipped:"},
  };
  const auto it = texts.find(entry);
  return std::u16string(it == texts.end() ? entry : it->second);
}

Progress::~Progress() {
  if (shown_ && started_) err_ << "\n" << std::flush;
}

void Progress::Step(std::size_t index, const std::u16string& file) {
  if (!shown_) return;
  started_ = true;
  err_ << "\r[" << index + 1 << "/" << total_ << "] " << ToUtf8(file) << "\x1b[K" << std::flush;
}

}  // namespace zandrel::cli
