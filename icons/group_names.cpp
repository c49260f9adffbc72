#include "icons/group_names.h"

#include "core/text.h"

namespace zandrel::icons {

namespace {

constexpr std::u16string_view kIdPrefix = u"ID:";

// Negative numbers wrap to values above 65535, which no lookup finds.
ResourceName IdFromNumber(std::int32_t value) {
  return ResourceName::Id(static_cast<std::uint32_t>(value));
}

}  // namespace

std::u16string GroupNameFromResourceName(const ResourceName& name) {
  if (name.is_id) return std::u16string(kIdPrefix) + ToDecimalUnsigned(name.id);
  return name.text;
}

std::vector<std::u16string> CollectGroupNames(const ResourceModule& module) {
  std::vector<std::u16string> names;
  for (const auto& name : module.EnumerateNames(kRtGroupIcon))
    names.push_back(GroupNameFromResourceName(name));
  return names;
}

ResourceName ResourceIdFromGroupName(std::u16string_view group_name) {
  if (auto id = ResourceIdForWriting(group_name); id && id->is_id) return *id;
  return ResourceName::Text(std::u16string(group_name));
}

std::optional<ResourceName> ResourceIdForWriting(std::u16string_view group_name) {
  if (!StartsWith(group_name, kIdPrefix)) return ResourceName::Text(std::u16string(group_name));
  const auto number = ParseDecimalInt32(group_name.substr(kIdPrefix.size()));
  if (!number) return std::nullopt;
  return IdFromNumber(*number);
}

bool IsMainIconName(std::u16string_view group_name) {
  const std::u16string upper = AsciiUpper(group_name);
  return upper == u"MAINICON" || upper == u"#MAINICON" || upper == u"ID:MAINICON";
}

}  // namespace zandrel::icons
