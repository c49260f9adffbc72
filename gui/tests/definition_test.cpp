#include "gui/definition.h"

#include <gtest/gtest.h>

namespace zandrel::gui {
namespace {

TEST(Definition, ParsesNestedComponentsPropertiesAndValues) {
  const auto defs = ParseDefinitions(R"(
    # a comment
    Form Form1 : TForm1 {
      Caption = "Zandrel"; ClientWidth = 684
      Visible = false
      Button ButtonBrowse {
        Caption = "Обзор..."
        Left = 572; Top = -20
        OnClick = ButtonBrowseClick
      }
      ListView ListViewIcons {
        Column { Caption = "Иконка"; Width = 60 }
        Column { Caption = "tab\there \"quoted\" \u2713" }
      }
    }
  )");
  ASSERT_EQ(defs.size(), 1u);
  const ComponentDefinition& form = defs[0];
  EXPECT_EQ(form.kind, u"Form");
  EXPECT_EQ(form.name, u"Form1");
  EXPECT_EQ(form.class_name, u"TForm1");
  EXPECT_EQ(form.String(u"Caption"), u"Zandrel");
  EXPECT_EQ(form.Integer(u"ClientWidth"), 684);
  EXPECT_FALSE(form.Boolean(u"Visible", true));
  EXPECT_EQ(form.Integer(u"Missing", 7), 7);
  ASSERT_EQ(form.children.size(), 2u);
  const auto& button = form.children[0];
  EXPECT_EQ(button.String(u"Caption"), u"Обзор...");
  EXPECT_EQ(button.Integer(u"Top"), -20);
  EXPECT_EQ(button.Word(u"OnClick"), u"ButtonBrowseClick");
  const auto& list = form.children[1];
  ASSERT_EQ(list.children.size(), 2u);
  EXPECT_TRUE(list.children[0].name.empty());
  EXPECT_EQ(list.children[1].String(u"Caption"), u"tab\there \"quoted\" \u2713");
}

TEST(Definition, ReportsMalformedTextWithItsLine) {
  const char* bad[] = {
      "Form F {",                      // missing brace
      "Form F { Caption = }",          // missing value
      "Form F { Caption = \"open }",   // unterminated string
      "Form F { Caption = \"\\q\" }",  // unknown escape
      "Form F { @ }",                  // stray character
      "Form F { Top = 1234567890123456 }",
  };
  for (const char* text : bad) EXPECT_THROW(ParseDefinitions(text), DefinitionError) << text;
  try {
    ParseDefinitions("Form F {\n\n  Caption = \n}");
    FAIL();
  } catch (const DefinitionError& e) {
    EXPECT_NE(std::string(e.what()).find("line 4"), std::string::npos) << e.what();
  }
}

TEST(Definition, TypedAccessRefusesTheWrongKindOfValue) {
  const auto defs = ParseDefinitions("Form F { Width = \"wide\"; Flag = maybe; Name = 3 }");
  EXPECT_THROW(defs[0].Integer(u"Width"), DefinitionError);
  EXPECT_THROW(defs[0].Boolean(u"Flag"), DefinitionError);
  EXPECT_THROW(defs[0].String(u"Name"), DefinitionError);
}

}  // namespace
}  // namespace zandrel::gui
