#pragma once
// The message catalogue as its readers see it: the current text of an entry
// such as "LangSaved". Read at the moment a message is composed, never cached,
// so a language switch takes effect at once. The windows hold the entries
// (hidden menu items that the translation engine translates like any other
// component); saving, extracting, the Explorer verb and the update window
// read them through this interface.

#include <string>
#include <string_view>

namespace zandrel::i18n {

class MessageCatalogue {
 public:
  virtual ~MessageCatalogue() = default;
  virtual std::u16string Text(std::u16string_view entry) const = 0;
};

}  // namespace zandrel::i18n
