// Components added and removed at run time: they are found by name like the
// defined ones, show where they were added, and a component removed by its
// own event lives until that event has been dispatched.

#include <gtest/gtest.h>

#include "gui/tests/win32/test_form.h"
#include "gui/win32/component_factory.h"
#include "gui/win32/controls.h"
#include "gui/win32/menu.h"
#include "tests/support/win32/gui_harness.h"

namespace zandrel::gui {
namespace {

using gui::testing::TestForm;

const char kDefinition[] = R"(
Form RuntimeForm : TRuntimeTestForm {
  ClientWidth = 300; ClientHeight = 200
  GroupBox GroupBoxHost { Caption = "Host"; Left = 10; Top = 10; Width = 200; Height = 120 }
  PopupMenu Menu {
    MenuItem LanguageMenu { Caption = "Language" }
  }
}
)";

ComponentDefinition Definition(std::u16string kind, std::u16string name,
                               std::vector<std::pair<std::u16string, DefinitionValue>> props = {}) {
  ComponentDefinition def;
  def.kind = std::move(kind);
  def.name = std::move(name);
  def.properties = std::move(props);
  return def;
}

DefinitionValue Text(std::u16string text) {
  return {DefinitionValue::Type::kString, std::move(text), 0};
}
DefinitionValue Word(std::u16string word) {
  return {DefinitionValue::Type::kWord, std::move(word), 0};
}
DefinitionValue Number(std::int64_t n) {
  return {DefinitionValue::Type::kInteger, u"", n};
}

// A menu item that tells when it is destroyed.
int g_probes_destroyed = 0;
class ProbeItem : public MenuItem {
 public:
  using MenuItem::MenuItem;
  ~ProbeItem() override { ++g_probes_destroyed; }
};

class RuntimeComponentsTest : public ::testing::Test {
 protected:
  RuntimeComponentsTest() {
    gui::testing::EnsureApplication();
    ComponentFactory::Instance().Register<ProbeItem>(u"ProbeItem");
    g_probes_destroyed = 0;
  }
  std::function<void()> on_language;
  TestForm form{kDefinition, {{L"LanguageItemClick", [this] { on_language(); }}}};
  MenuItem& language = form.Get<MenuItem>(L"LanguageMenu");
};

TEST_F(RuntimeComponentsTest, AddedItemsAreFoundByNameAndRemovedOnesAreGone) {
  for (const char16_t* name : {u"English", u"Russian"})
    form.Add<MenuItem>(Definition(u"MenuItem", name,
                                  {{u"Caption", Text(name)},
                                   {u"RadioItem", Word(u"true")},
                                   {u"OnClick", Word(u"LanguageItemClick")}}),
                       language);
  ASSERT_EQ(language.items().size(), 2u);
  MenuItem& english = form.Get<MenuItem>(L"English");
  EXPECT_EQ(english.caption(), L"English");
  EXPECT_EQ(english.parent_item(), &language);
  EXPECT_TRUE(english.radio());
  EXPECT_EQ(MenuItem::FromCommand(english.command_id()), &english);
  // In the window's component list, after the defined ones.
  EXPECT_EQ(form.components().back()->name(), L"Russian");

  // Handlers are looked up among the bound ones; an unknown one is an error.
  EXPECT_THROW(form.AddComponent(Definition(u"MenuItem", u"Broken",
                                            {{u"OnClick", Word(u"NoSuchHandler")}}),
                                 language),
               DefinitionError);
  EXPECT_EQ(form.Find(L"Broken"), nullptr);
  EXPECT_THROW(form.AddComponent(Definition(u"MenuItem", u"English"), language), DefinitionError);
  EXPECT_THROW(form.AddComponent(Definition(u"NoSuchKind", u"X"), language), DefinitionError);

  const UINT command = english.command_id();
  form.RemoveComponent(english);
  EXPECT_EQ(form.Find(L"English"), nullptr);
  EXPECT_EQ(MenuItem::FromCommand(command), nullptr);  // destroyed at once: nothing dispatches
  ASSERT_EQ(language.items().size(), 1u);
  EXPECT_EQ(language.items()[0]->name(), L"Russian");
}

TEST_F(RuntimeComponentsTest, AnItemRemovedByItsOwnClickLivesUntilTheClickWasDispatched) {
  ProbeItem* probe = &form.Add<ProbeItem>(
      Definition(u"ProbeItem", u"Probe",
                 {{u"Caption", Text(u"Probe")}, {u"OnClick", Word(u"LanguageItemClick")}}),
      language);
  bool alive_after_removal = false;
  on_language = [&] {
    // The rebuild of a language menu: the clicked item goes, a new one comes.
    form.RemoveComponent(*probe);
    alive_after_removal = g_probes_destroyed == 0 && probe->caption() == L"Probe";
    form.Add<MenuItem>(Definition(u"MenuItem", u"Probe2", {{u"Caption", Text(u"Again")}}),
                       language);
  };
  // The chosen item arrives as the window's menu command, as after a popup.
  SendMessageW(form.hwnd(), Form::kMenuCommandMessage, probe->command_id(), 0);
  EXPECT_TRUE(alive_after_removal);
  EXPECT_EQ(g_probes_destroyed, 1);
  EXPECT_EQ(form.Find(L"Probe"), nullptr);
  EXPECT_NE(form.Find(L"Probe2"), nullptr);
  ASSERT_EQ(language.items().size(), 1u);
}

TEST_F(RuntimeComponentsTest, AddedControlsGetTheirWindowInsideTheirHolder) {
  form.Show();
  GroupBox& host = form.Get<GroupBox>(L"GroupBoxHost");
  CheckBox& box = form.Add<CheckBox>(Definition(u"CheckBox", u"CheckBoxAdded",
                                                {{u"Caption", Text(u"Added")},
                                                 {u"Left", Number(8)},
                                                 {u"Top", Number(4)},
                                                 {u"Width", Number(120)},
                                                 {u"Height", Number(20)}}),
                                     host);
  ASSERT_NE(box.hwnd(), nullptr);
  EXPECT_EQ(GetParent(box.hwnd()), host.hwnd());
  EXPECT_TRUE(IsWindowVisible(box.hwnd()));
  wchar_t text[16] = {};
  GetWindowTextW(box.hwnd(), text, 16);
  EXPECT_STREQ(text, L"Added");
  const RECT r = box.PixelBounds();
  EXPECT_EQ(r.right - r.left, 120);

  const HWND window = box.hwnd();
  form.RemoveComponent(box);
  EXPECT_EQ(form.Find(L"CheckBoxAdded"), nullptr);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(host.children().empty());
}

}  // namespace
}  // namespace zandrel::gui
