#pragma once
// An .ico or .cur file as a module of one group: the group is named after
// the file and holds the file's images, so that listing, saving, extracting
// and PNG export work on it as on a module's group. A .cur file is also one
// cursor group, whose .cur file keeps the hotspots.

#include <memory>
#include <string_view>

#include "core/bytes.h"
#include "core/file_io.h"
#include "icons/image_set.h"

namespace zandrel::icons {

class IconFileModule : public ImageSetModule {
 public:
  // nullptr when the bytes do not start like an .ico or .cur file.
  // `group_name` is the name the one group gets (the file's name).
  static std::unique_ptr<IconFileModule> FromBytes(Bytes bytes, std::u16string_view group_name);
  static std::unique_ptr<IconFileModule> FromOpenFile(std::unique_ptr<RandomAccessFile> file,
                                                      std::u16string_view group_name);

  bool is_cursor() const { return cursor_; }

 private:
  using ImageSetModule::ImageSetModule;
  static std::unique_ptr<IconFileModule> Open(std::unique_ptr<IconFileModule> module,
                                              std::u16string_view group_name);

  bool cursor_ = false;
};

}  // namespace zandrel::icons
