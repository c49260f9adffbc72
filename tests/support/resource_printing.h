#pragma once
// Lets GoogleTest print resource names in failure messages ("#7", "MAINICON").

#include <ostream>

#include "core/text.h"
#include "icons/resource_module.h"

namespace zandrel::icons {

inline void PrintTo(const ResourceName& name, std::ostream* out) {
  if (name.is_id) {
    *out << '#' << name.id;
  } else {
    *out << '"' << ToUtf8(name.text) << '"';
  }
}

}  // namespace zandrel::icons
