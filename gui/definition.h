#pragma once
// Window definitions: the declarative description of a window and its
// components (kind, name, properties, children) that the GUI runtime builds
// controls from. Definitions are UTF-8 text:
//
//   Form Form1 : TForm1 {            # kind, component name, window class
//     Caption = "Zandrel"
//     ClientWidth = 684
//     Button ButtonBrowse {
//       Caption = "Обзор..."; Left = 572; Top = 20
//       OnClick = ButtonBrowseClick
//     }
//     Column { Caption = "Иконка"; Width = 60 }   # unnamed components
//   }
//
// Values are quoted strings (escapes \" \\ \n \t \uXXXX), integers, or bare
// words (true, false, top, ButtonBrowseClick, ...).

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zandrel::gui {

struct DefinitionValue {
  enum class Type { kString, kInteger, kWord };
  Type type = Type::kString;
  std::u16string text;  // string contents or the word
  std::int64_t number = 0;
};

struct ComponentDefinition {
  std::u16string kind;
  std::u16string name;        // empty for unnamed components (list columns, pictures)
  std::u16string class_name;  // only for windows
  std::vector<std::pair<std::u16string, DefinitionValue>> properties;
  std::vector<ComponentDefinition> children;
  int line = 0;

  const DefinitionValue* Find(std::u16string_view property) const;
  bool Has(std::u16string_view property) const { return Find(property) != nullptr; }
  // Typed access with a default; a value of the wrong type is a definition error.
  std::u16string String(std::u16string_view property, std::u16string_view fallback = u"") const;
  std::int64_t Integer(std::u16string_view property, std::int64_t fallback = 0) const;
  bool Boolean(std::u16string_view property, bool fallback = false) const;
  std::u16string Word(std::u16string_view property, std::u16string_view fallback = u"") const;
};

class DefinitionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Parses one or more top-level definitions. Throws DefinitionError with the
// line number on malformed text.
std::vector<ComponentDefinition> ParseDefinitions(std::string_view utf8);

}  // namespace zandrel::gui
