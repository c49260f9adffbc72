#pragma once
// One file zandrel-cli reads, opened by what it holds (a PE or 16-bit
// module, an .ico, .cur or .ani file), with the names of the groups of the
// kind asked for, in the order the window lists them.

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "icons/orphan_images.h"
#include "icons/pe_reader.h"
#include "icons/resource_container.h"

namespace zandrel::cli {

// What is listed and extracted: icon groups (.ico), cursor groups (.cur),
// animated cursors and icons held whole (.ani).
enum class Kind { kIcon, kCursor, kAniCursor, kAniIcon };

std::uint16_t GroupType(Kind kind);

struct Source {
  std::u16string path;       // as given (or found in a folder)
  std::u16string read_from;  // the file read: the path, or its .mun
  icons::OpenedContainer container;
  // With --orphans: the icon images no group names, each as a group.
  std::unique_ptr<icons::OrphanImagesView> orphans;
  std::vector<std::u16string> groups;

  const icons::ResourceModule& module() const { return orphans ? *orphans : *container.module; }
  // The module when it is a PE module, which alone has languages.
  const icons::PeResourceModule* pe() const;
};

// Opens a source; a module without groups of that kind that has a
// system-resources file takes its groups from there, and says so.
std::optional<Source> OpenSource(const std::u16string& path, Kind kind, bool orphans,
                                 std::ostream& err);

// The module as one language shows it: each resource in that language when
// it has it, otherwise as the window would take it. Without a language, or
// for a module without languages, the module itself.
class LanguageView : public icons::ResourceModule {
 public:
  LanguageView(const Source& source, std::optional<std::uint16_t> language)
      : module_(source.module()), pe_(source.pe()), language_(language) {}
  std::vector<icons::ResourceName> EnumerateNames(std::uint16_t type) const override {
    return module_.EnumerateNames(type);
  }
  icons::ResourceData Lookup(std::uint16_t type, const icons::ResourceName& name) const override;
  // Whether the resource exists in the language asked for.
  bool Has(std::uint16_t type, const icons::ResourceName& name) const;

 private:
  const icons::ResourceModule& module_;
  const icons::PeResourceModule* pe_;
  std::optional<std::uint16_t> language_;
};

}  // namespace zandrel::cli
