#pragma once
// Crafted modules that once cost time or memory far beyond their size, one
// per cause. The tests, the hostile-input benchmark and the fuzzing seeds all
// make them here, so each input has its generator beside it.

#include <cstddef>
#include <string>
#include <vector>

#include "core/bytes.h"

namespace zandrel::testing {

struct HostileModule {
  std::string name;  // a short file-name-safe label
  std::string what;  // what it attacks
  Bytes bytes;       // a PE32 module, or the container `extension` names
  std::string extension = ".dll";
};

// Many type entries sharing one names directory of as many groups (the
// reader once read it for every type: K x K resources).
HostileModule SharedNamesDirectory(std::size_t types = 4000);
// Many groups whose names lead to overlapping language directories with
// absurd counts (each once read in full).
HostileModule OverlappingLanguageDirectories(std::size_t groups = 4000);
// Many groups sharing one group directory whose entries all name one PNG
// image behind a long chunk (the sizes text walked it for every entry).
HostileModule SharedPngDirectory(std::size_t groups = 2000, std::size_t entries = 2000);
// One group whose entries all name one large image (the .ico would be
// entries x image size).
HostileModule RepeatedLargeImage(std::size_t entries = 1000, std::size_t image_bytes = 300000);
// Many groups of one name, after the forbidden characters are replaced
// (extract-all once searched the _2, _3, ... suffixes anew for each).
HostileModule SameOutputName(std::size_t groups = 8000);

std::vector<HostileModule> AllHostileModules();

// The other containers users bring, each crafted the same way.
// An .ani file whose last frame chunk (and the RIFF and LIST chunks around
// it) claims 4 GB.
HostileModule AniFrameClaiming4Gb(std::size_t frames = 3);
// A 16-bit module whose resource table comes back to the group type again
// and again, each time naming `names` groups that all share one directory
// of `entries` entries naming one large image.
HostileModule LoopingNeTable(std::size_t records = 30, std::size_t names = 2000,
                             std::size_t entries = 4000, std::size_t image_bytes = 300000);
// An .ico file whose directory claims, and holds, 65,535 records all naming
// one large image.
HostileModule IcoClaiming65535Images(std::size_t image_bytes = 300000);

std::vector<HostileModule> HostileContainers();

// Window definition text with `depth` nested components.
std::string DeeplyNestedDefinition(std::size_t depth = 5000);

}  // namespace zandrel::testing
