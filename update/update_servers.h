#pragma once
// The two download servers, primary first. Each holds one folder per product
// with the version file and the packages.

#include <array>
#include <string>

#include "config/release_links.h"

namespace zandrel::update {

// "http://" + host + "/download/" for each server.
inline std::array<std::u16string, 2> UpdateServerUrls() {
  return {u"http://" + std::u16string(config::kPrimaryServerHost) + u"/download/",
          u"http://" + std::u16string(config::kMirrorServerHost) + u"/download/"};
}

}  // namespace zandrel::update
