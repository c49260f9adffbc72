#include "icons/icon_file.h"

#include "icons/group_directory.h"

namespace zandrel::icons {

std::unique_ptr<IconFileModule> IconFileModule::FromBytes(Bytes bytes,
                                                          std::u16string_view group_name) {
  return Open(std::unique_ptr<IconFileModule>(new IconFileModule(std::move(bytes), nullptr)),
              group_name);
}

std::unique_ptr<IconFileModule> IconFileModule::FromOpenFile(std::unique_ptr<RandomAccessFile> file,
                                                             std::u16string_view group_name) {
  return Open(std::unique_ptr<IconFileModule>(new IconFileModule({}, std::move(file))), group_name);
}

std::unique_ptr<IconFileModule> IconFileModule::Open(std::unique_ptr<IconFileModule> module,
                                                     std::u16string_view group_name) {
  const auto source = module->loader().OpeningSource();
  const Bounded file(*source);
  const auto head = file.Copy(0, kGroupHeaderSize);
  if (!head || !LooksLikeImageSet(*head)) return nullptr;
  const std::uint16_t type =
      module->AddImageSet(file, ResourceName::Text(std::u16string(group_name)));
  module->cursor_ = type == kCursorFileType;
  return module;
}

}  // namespace zandrel::icons
