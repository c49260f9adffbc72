#include "icons/group_names.h"

#include <gtest/gtest.h>

#include "core/text.h"
#include "tests/support/memory_resource_module.h"

namespace zandrel::icons {
namespace {

TEST(GroupNames, NameResourcesAndCollectThemInEnumerationOrder) {
  EXPECT_EQ(GroupNameFromResourceName(ResourceName::Id(7)), u"ID:7");
  EXPECT_EQ(GroupNameFromResourceName(ResourceName::Id(65535)), u"ID:65535");
  EXPECT_EQ(GroupNameFromResourceName(ResourceName::Text(u"MainIcon Ёж")), u"MainIcon Ёж");

  testing::MemoryResourceModule module;
  module.Add(kRtGroupIcon, ResourceName::Text(u"ZED"), {});
  module.Add(kRtIcon, ResourceName::Id(1), {});
  module.Add(kRtGroupIcon, ResourceName::Id(101), {});
  module.Add(kRtGroupIcon, ResourceName::Text(u"ALPHA"), {});
  EXPECT_EQ(CollectGroupNames(module), (std::vector<std::u16string>{u"ZED", u"ID:101", u"ALPHA"}));
}

TEST(GroupNames, ListingFallsBackToTheStringWhereWritingRefuses) {
  EXPECT_EQ(ResourceIdFromGroupName(u"ID:101"), ResourceName::Id(101));
  EXPECT_EQ(ResourceIdForWriting(u"ID:101"), ResourceName::Id(101));
  EXPECT_EQ(ResourceIdFromGroupName(u"MAINICON"), ResourceName::Text(u"MAINICON"));
  EXPECT_EQ(ResourceIdForWriting(u"MAINICON"), ResourceName::Text(u"MAINICON"));
  // Only the upper-case prefix counts.
  EXPECT_EQ(ResourceIdFromGroupName(u"id:5"), ResourceName::Text(u"id:5"));
  EXPECT_EQ(ResourceIdForWriting(u"id:5"), ResourceName::Text(u"id:5"));

  for (std::u16string_view bad : {u"ID:abc", u"ID:", u"ID: 5", u"ID:5x", u"ID:99999999999"}) {
    EXPECT_EQ(ResourceIdFromGroupName(bad), ResourceName::Text(std::u16string(bad))) << ToUtf8(bad);
    EXPECT_FALSE(ResourceIdForWriting(bad)) << ToUtf8(bad);
  }
}

TEST(GroupNames, NumbersOutsideSixteenBitsNeverFindAGroup) {
  testing::MemoryResourceModule module;
  module.Add(kRtGroupIcon, ResourceName::Id(4464), {0, 0, 1, 0, 0, 0});
  // 70000 would alias 4464 if it were cut to 16 bits; -1 would be all bits set.
  for (std::u16string_view name : {u"ID:70000", u"ID:-1"}) {
    const auto id = ResourceIdForWriting(name);
    ASSERT_TRUE(id);
    EXPECT_GT(id->id, 65535u);
    EXPECT_FALSE(module.Lookup(kRtGroupIcon, *id).found());
  }
  EXPECT_TRUE(module.Lookup(kRtGroupIcon, *ResourceIdForWriting(u"ID:4464")).found());
}

TEST(GroupNames, MainIconIsRecognisedInAnyLetterCase) {
  for (std::u16string_view yes : {u"MAINICON", u"mainicon", u"#MainIcon", u"id:mainicon"})
    EXPECT_TRUE(IsMainIconName(yes)) << ToUtf8(yes);
  for (std::u16string_view no : {u"MAINICON2", u"ID:1", u"", u" MAINICON", u"##MAINICON"})
    EXPECT_FALSE(IsMainIconName(no)) << ToUtf8(no);
}

}  // namespace
}  // namespace zandrel::icons
