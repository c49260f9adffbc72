#include "gui/definition.h"

#include <cctype>

#include "core/text.h"

namespace zandrel::gui {

namespace {

struct Token {
  enum class Type { kWord, kString, kInteger, kPunct, kEnd };
  Type type = Type::kEnd;
  std::string text;  // UTF-8 for words and strings
  std::int64_t number = 0;
  char punct = 0;
  int line = 1;
};

class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {}

  Token Next() {
    SkipBlanksAndComments();
    Token t;
    t.line = line_;
    if (pos_ >= text_.size()) return t;
    const char c = text_[pos_];
    if (c == '{' || c == '}' || c == '=' || c == ';' || c == ':') {
      ++pos_;
      t.type = Token::Type::kPunct;
      t.punct = c;
      return t;
    }
    if (c == '"') return String(t);
    if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) return Integer(t);
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      const std::size_t start = pos_;
      while (pos_ < text_.size() &&
             (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_'))
        ++pos_;
      t.type = Token::Type::kWord;
      t.text = std::string(text_.substr(start, pos_ - start));
      return t;
    }
    Fail("unexpected character '" + std::string(1, c) + "'");
  }

  [[noreturn]] void Fail(const std::string& what) const {
    throw DefinitionError("window definition, line " + std::to_string(line_) + ": " + what);
  }

 private:
  void SkipBlanksAndComments() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (c == ' ' || c == '\t' || c == '\r') {
        ++pos_;
      } else if (c == '#') {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      } else {
        break;
      }
    }
  }

  Token String(Token t) {
    ++pos_;
    std::string out;
    for (;;) {
      if (pos_ >= text_.size() || text_[pos_] == '\n') Fail("unterminated string");
      const char c = text_[pos_++];
      if (c == '"') break;
      if (c != '\\') {
        out.push_back(c);
        continue;
      }
      if (pos_ >= text_.size()) Fail("unterminated string");
      const char e = text_[pos_++];
      switch (e) {
        case '"':
          out.push_back('"');
          break;
        case '\\':
          out.push_back('\\');
          break;
        case 'n':
          out.push_back('\n');
          break;
        case 't':
          out.push_back('\t');
          break;
        case 'u': {
          if (pos_ + 4 > text_.size()) Fail("bad \\u escape");
          const std::string hex(text_.substr(pos_, 4));
          for (char h : hex)
            if (!std::isxdigit(static_cast<unsigned char>(h))) Fail("bad \\u escape");
          pos_ += 4;
          const char16_t unit = static_cast<char16_t>(std::stoul(hex, nullptr, 16));
          out += ToUtf8(std::u16string_view(&unit, 1));
          break;
        }
        default:
          Fail(std::string("unknown escape \\") + e);
      }
    }
    t.type = Token::Type::kString;
    t.text = std::move(out);
    return t;
  }

  Token Integer(Token t) {
    const std::size_t start = pos_;
    if (text_[pos_] == '-') ++pos_;
    const std::size_t digits = pos_;
    while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    if (pos_ == digits || pos_ - digits > 12) Fail("bad number");
    t.type = Token::Type::kInteger;
    t.number = std::stoll(std::string(text_.substr(start, pos_ - start)));
    return t;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

class Parser {
 public:
  explicit Parser(std::string_view text) : lexer_(text) { Advance(); }

  std::vector<ComponentDefinition> File() {
    std::vector<ComponentDefinition> out;
    while (current_.type != Token::Type::kEnd) out.push_back(Component());
    return out;
  }

 private:
  void Advance() { current_ = lexer_.Next(); }

  bool IsPunct(char c) const { return current_.type == Token::Type::kPunct && current_.punct == c; }

  void Expect(char c) {
    if (!IsPunct(c)) lexer_.Fail(std::string("expected '") + c + "'");
    Advance();
  }

  std::string ExpectWord(const char* what) {
    if (current_.type != Token::Type::kWord) lexer_.Fail(std::string("expected ") + what);
    std::string w = current_.text;
    Advance();
    return w;
  }

  // Kind [Name] [: Class] { ... } -- the kind has already been read. Nesting
  // is limited so that no text can exhaust the stack; real windows nest four
  // or five deep.
  static constexpr int kMaxNesting = 64;
  ComponentDefinition ComponentBody(std::string kind, int line, int depth) {
    if (depth > kMaxNesting) lexer_.Fail("components nested too deeply");
    ComponentDefinition def;
    def.kind = FromUtf8(kind);
    def.line = line;
    if (current_.type == Token::Type::kWord) def.name = FromUtf8(ExpectWord("name"));
    if (IsPunct(':')) {
      Advance();
      def.class_name = FromUtf8(ExpectWord("class name"));
    }
    Expect('{');
    while (!IsPunct('}')) {
      if (current_.type == Token::Type::kEnd) lexer_.Fail("missing '}'");
      if (IsPunct(';')) {
        Advance();
        continue;
      }
      const int item_line = current_.line;
      std::string word = ExpectWord("property or component");
      if (IsPunct('=')) {
        Advance();
        def.properties.emplace_back(FromUtf8(word), Value());
      } else {
        def.children.push_back(ComponentBody(std::move(word), item_line, depth + 1));
      }
    }
    Advance();
    return def;
  }

  ComponentDefinition Component() {
    const int line = current_.line;
    return ComponentBody(ExpectWord("component kind"), line, 1);
  }

  DefinitionValue Value() {
    DefinitionValue v;
    switch (current_.type) {
      case Token::Type::kString:
        v.type = DefinitionValue::Type::kString;
        v.text = FromUtf8(current_.text);
        break;
      case Token::Type::kInteger:
        v.type = DefinitionValue::Type::kInteger;
        v.number = current_.number;
        break;
      case Token::Type::kWord:
        v.type = DefinitionValue::Type::kWord;
        v.text = FromUtf8(current_.text);
        break;
      default:
        lexer_.Fail("expected a value");
    }
    Advance();
    return v;
  }

  Lexer lexer_;
  Token current_;
};

[[noreturn]] void WrongType(const ComponentDefinition& def, std::u16string_view property,
                            const char* expected) {
  throw DefinitionError("window definition, line " + std::to_string(def.line) + ": " +
                        ToUtf8(def.name) + "." + ToUtf8(property) + " must be " + expected);
}

}  // namespace

const DefinitionValue* ComponentDefinition::Find(std::u16string_view property) const {
  for (const auto& [key, value] : properties)
    if (key == property) return &value;
  return nullptr;
}

std::u16string ComponentDefinition::String(std::u16string_view property,
                                           std::u16string_view fallback) const {
  const DefinitionValue* v = Find(property);
  if (!v) return std::u16string(fallback);
  if (v->type != DefinitionValue::Type::kString) WrongType(*this, property, "a string");
  return v->text;
}

std::int64_t ComponentDefinition::Integer(std::u16string_view property,
                                          std::int64_t fallback) const {
  const DefinitionValue* v = Find(property);
  if (!v) return fallback;
  if (v->type != DefinitionValue::Type::kInteger) WrongType(*this, property, "an integer");
  return v->number;
}

bool ComponentDefinition::Boolean(std::u16string_view property, bool fallback) const {
  const DefinitionValue* v = Find(property);
  if (!v) return fallback;
  if (v->type == DefinitionValue::Type::kWord && v->text == u"true") return true;
  if (v->type == DefinitionValue::Type::kWord && v->text == u"false") return false;
  WrongType(*this, property, "true or false");
}

std::u16string ComponentDefinition::Word(std::u16string_view property,
                                         std::u16string_view fallback) const {
  const DefinitionValue* v = Find(property);
  if (!v) return std::u16string(fallback);
  if (v->type != DefinitionValue::Type::kWord) WrongType(*this, property, "a bare word");
  return v->text;
}

std::vector<ComponentDefinition> ParseDefinitions(std::string_view utf8) {
  if (utf8.size() >= 3 && utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
  return Parser(utf8).File();
}

}  // namespace zandrel::gui
