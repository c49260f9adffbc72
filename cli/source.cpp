#include "cli/source.h"

#include <algorithm>
#include <ostream>

#include "cli/cli.h"
#include "core/file_io.h"
#include "core/text.h"
#include "icons/group_names.h"

namespace zandrel::cli {

namespace {

std::vector<std::u16string> GroupNames(const icons::ResourceModule& module, Kind kind) {
  std::vector<std::u16string> names;
  for (const icons::ResourceName& name : module.EnumerateNames(GroupType(kind)))
    names.push_back(icons::GroupNameFromResourceName(name));
  return names;
}

const char* Why(icons::ContainerError error) {
  return error == icons::ContainerError::kCannotRead ? "cannot be read"
                                                     : "not a Windows module or icon file";
}

}  // namespace

std::uint16_t GroupType(Kind kind) {
  switch (kind) {
    case Kind::kCursor:
      return icons::kRtGroupCursor;
    case Kind::kAniCursor:
      return icons::kRtAniCursor;
    case Kind::kAniIcon:
      return icons::kRtAniIcon;
    case Kind::kIcon:
      break;
  }
  return icons::kRtGroupIcon;
}

const icons::PeResourceModule* Source::pe() const {
  if (orphans || container.kind != icons::ContainerKind::kPeModule) return nullptr;
  return static_cast<const icons::PeResourceModule*>(container.module.get());
}

std::optional<Source> OpenSource(const std::u16string& path, Kind kind, bool orphans,
                                 std::ostream& err) {
  if (!FileExists(path)) {
    err << "error: " << ToUtf8(path) << ": no such file\n";
    return std::nullopt;
  }
  Source source;
  source.path = path;
  source.read_from = path;
  source.container = icons::OpenResourceContainer(path);
  if (!source.container.module) {
    err << "error: " << ToUtf8(path) << ": " << Why(source.container.error) << "\n";
    return std::nullopt;
  }
  source.groups = GroupNames(*source.container.module, kind);
  if (source.groups.empty() && source.container.kind == icons::ContainerKind::kPeModule) {
    const std::u16string mun = SystemResourcesFile(path);
    if (!mun.empty()) {
      if (auto other = icons::OpenResourceContainer(mun);
          other.module && other.kind == icons::ContainerKind::kPeModule) {
        err << "note: " << ToUtf8(path) << " holds no icon groups; reading " << ToUtf8(mun) << "\n";
        source.read_from = mun;
        source.container = std::move(other);
        source.groups = GroupNames(*source.container.module, kind);
      }
    }
  }
  if (orphans) {
    source.orphans = std::make_unique<icons::OrphanImagesView>(*source.container.module);
    if (!source.orphans->complete())
      err << "note: " << ToUtf8(path)
          << ": its groups hold too many entries to tell which images no group names\n";
    source.groups = GroupNames(*source.orphans, kind);
  }
  return source;
}

icons::ResourceData LanguageView::Lookup(std::uint16_t type,
                                         const icons::ResourceName& name) const {
  if (language_ && pe_) {
    icons::ResourceData version = pe_->LookupLanguage(type, name, *language_);
    if (version.status != icons::ResourceData::Status::kNotFound) return version;
  }
  return module_.Lookup(type, name);
}

bool LanguageView::Has(std::uint16_t type, const icons::ResourceName& name) const {
  if (!language_) return true;
  if (!pe_) return false;
  const auto ids = pe_->LanguageIds(type, name);
  return std::find(ids.begin(), ids.end(), *language_) != ids.end();
}

}  // namespace zandrel::cli
