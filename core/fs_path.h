#pragma once
// UTF-16 texts and the standard library's paths (wide on Windows, UTF-8
// elsewhere), converted without loss.

#include <filesystem>
#include <string>

namespace zandrel {

std::filesystem::path PathOf(const std::u16string& text);
std::u16string TextOf(const std::filesystem::path& path);

}  // namespace zandrel
