#pragma once
// The two download servers, primary first. Each holds one folder per product
// with the version file and the packages.

#include <array>
#include <string_view>

namespace zandrel::update {

inline constexpr std::u16string_view kPrimaryServerHost = u"zandrel.net";
inline constexpr std::array<std::u16string_view, 2> kUpdateServers = {
    u"http://zandrel.net/download/",
    u"http://mirror.zandrel.net/download/",
};

}  // namespace zandrel::update
