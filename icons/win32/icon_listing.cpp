#include "icons/win32/icon_listing.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <new>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/file_io.h"
#include "gui/win32/application.h"
#include "gui/win32/controls.h"
#include "gui/win32/image_list.h"
#include "gui/win32/list_view.h"
#include "icons/ani_file.h"
#include "icons/group_directory.h"
#include "icons/group_names.h"
#include "icons/group_sizes.h"
#include "icons/icon_image.h"
#include "icons/lookup_memo.h"
#include "icons/pe_reader.h"
#include "icons/win32/portable_preview.h"
#include "platform/handles.h"
#include "platform/wide.h"

namespace zandrel::icons {

using platform::FromWide;
using platform::ToWide;

namespace {

// Whether the system may be asked for a preview of this group: its directory
// and every image it names that exists lie wholly inside the file. The
// system's icon functions read a module opened as data without such checks,
// and a damaged or cut-short file would make them read past its end.
bool SafeForTheSystem(const ResourceModule& module, const ResourceName& id) {
  const ResourceData group = module.Lookup(kRtGroupIcon, id);
  if (!group.found()) return group.status == ResourceData::Status::kNotFound;
  const auto count = ReadU16LE(group.bytes, 4);
  if (!count || group.bytes.size() < 6 + std::size_t{14} * *count) return false;
  for (std::size_t k = 0; k < *count; ++k) {
    const std::uint16_t image_id = *ReadU16LE(group.bytes, 6 + 14 * k + 12);
    if (module.Lookup(kRtIcon, ResourceName::Id(image_id)).status ==
        ResourceData::Status::kNotLoadable)
      return false;
  }
  return true;
}

// The preview the system would make of the group when it holds exactly one
// uncompressed 32-bit bitmap of the preview's size, with alpha of its own,
// and nothing else of that size it could prefer: that bitmap's pixels as
// stored, top row first. The system's icon would carry the same pixels;
// reading them here saves creating the icon and handing it to the list.
std::optional<std::vector<std::uint32_t>> StoredPreview(const ResourceModule& module,
                                                        const ResourceName& id, int size) {
  if (size <= 0 || size >= 256) return std::nullopt;
  const ResourceData group = module.Lookup(kRtGroupIcon, id);
  const auto count = GroupEntryCount(group.bytes);
  if (!group.found() || !count) return std::nullopt;
  std::optional<std::uint16_t> image_id;
  for (std::size_t k = 0; k < *count; ++k) {
    const auto entry = GroupEntry(group.bytes, k);
    if (!entry) return std::nullopt;
    if ((*entry)[0] != size || (*entry)[1] != size) continue;
    const std::uint16_t bits = *ReadU16LE(*entry, 6);
    if (bits == 0 || bits > 32) return std::nullopt;  // the system's choice is not certain
    if (bits != 32) continue;
    if (image_id) return std::nullopt;
    image_id = GroupEntryImageId(*entry);
  }
  if (!image_id) return std::nullopt;
  const ResourceData image = module.Lookup(kRtIcon, ResourceName::Id(*image_id));
  const ByteView bytes = image.bytes;
  const auto side = static_cast<std::uint32_t>(size);
  // A plain header, as the system reads it; other layouts go the system's way.
  if (!image.found() || ReadU32LE(bytes, 0) != 40u || ReadU16LE(bytes, 12) != 1 ||
      ReadU16LE(bytes, 14) != 32 || ReadU32LE(bytes, 32) != 0u)
    return std::nullopt;
  const auto decoded = DecodeIconBitmap(bytes);
  // Without alpha of its own the mask decides, as the list derives it.
  if (!decoded || !decoded->own_alpha || decoded->width != side || decoded->height != side)
    return std::nullopt;
  std::vector<std::uint32_t> out(static_cast<std::size_t>(side) * side);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const std::uint8_t* p = decoded->pixels.data() + 4 * i;  // R, G, B, A
    out[i] = (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[0]} << 16) |
             (std::uint32_t{p[1]} << 8) | p[2];
  }
  return out;
}

// Rows whose group directories are the same bytes get the same preview,
// image count and sizes: each is made from the images the directory names.
// A module of thousands of groups sharing one directory then costs one
// preview (the system decoding one image) rather than thousands.
class SharedRows {
 public:
  struct Row {
    int picture = -1;
    std::uint16_t count = 0;
    std::u16string sizes;
  };
  // The directory of a group other than the main icon (whose preview is
  // the file's first icon, taken by path); empty when it has none.
  static ByteView DirectoryOf(const ResourceModule& module, const std::u16string& name) {
    if (IsMainIconName(name)) return {};
    const ResourceName id = ResourceIdFromGroupName(name);
    if (id.is_id && id.id > 0xFFFF) return {};
    const ResourceData group = module.Lookup(kRtGroupIcon, id);
    return group.found() ? group.bytes : ByteView{};
  }
  const Row* Find(ByteView directory) const {
    if (directory.empty()) return nullptr;
    const auto bucket = rows_.find(Hash(directory));
    if (bucket == rows_.end()) return nullptr;
    for (const auto& [bytes, row] : bucket->second)
      if (bytes.size() == directory.size() &&
          std::equal(bytes.begin(), bytes.end(), directory.begin()))
        return &row;
    return nullptr;
  }
  void Add(ByteView directory, Row row) {
    if (!directory.empty()) rows_[Hash(directory)].emplace_back(directory, std::move(row));
  }

 private:
  static std::size_t Hash(ByteView bytes) {
    return std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }
  // The directories are views into the module, which outlives the listing.
  std::unordered_map<std::size_t, std::vector<std::pair<ByteView, Row>>> rows_;
};

// Lets input and painting through while a long listing runs, about once a
// frame: asking the queue after every row costs more than a row of a big
// module.
class MessagePacer {
 public:
  void Tick() {
    const ULONGLONG now = GetTickCount64();
    if (now - last_ < kIntervalMs) return;
    last_ = now;
    gui::Application::Instance().ProcessMessages();
  }

 private:
  static constexpr ULONGLONG kIntervalMs = 16;
  ULONGLONG last_ = GetTickCount64();
};

HICON LoadIconImage(HMODULE module, LPCWSTR id, int size, UINT flags) {
  return static_cast<HICON>(LoadImageW(module, id, IMAGE_ICON, size, size, flags));
}

// The preview of a group the portable reader reads.
HICON PortablePreview(const ResourceModule& module, const ResourceName& id, int size) {
  const ResourceData group = module.Lookup(kRtGroupIcon, id);
  return group.found() ? MakePortablePreview(module, group.bytes, false, size) : nullptr;
}

}  // namespace

IconListing::IconListing(gui::ListView& list, gui::ImageList& previews, gui::ProgressBar& progress)
    : list_(list), previews_(previews), progress_(progress) {}

void IconListing::ResetPreviews() {
  previews_.Clear();
  previews_.ReleaseHandle();
}

void IconListing::ClearRows() {
  list_.BeginUpdate();
  list_.Clear();
  list_.EndUpdate();
}

void IconListing::Clear() {
  ClearRows();
  ResetPreviews();
  // The list picks the new (empty) image list up at once.
  previews_.handle();
  exe_handle_.reset();
  handle_ = nullptr;
  group_count_ = 0;
  ani_rows_.clear();
  for (int i = 0; i < 21; ++i) gui::Application::Instance().ProcessMessages();
  ResetPreviews();
}

int IconListing::AddGroupPreview(const std::u16string& group_name, const ResourceModule& module,
                                 HMODULE handle, const std::wstring& exe_file) {
  try {
    const ResourceName id = ResourceIdFromGroupName(group_name);
    // An identifier that does not fit 16 bits would be taken for a string pointer.
    if (id.is_id && id.id > 0xFFFF) return -1;
    const std::wstring text = ToWide(id.text);
    const LPCWSTR res = id.is_id ? MAKEINTRESOURCEW(id.id) : text.c_str();
    const HMODULE m = handle;
    const int size = previews_.width();
    if (!SafeForTheSystem(module, id)) return -1;
    if (!m) {
      if (const auto stored = StoredPreview(module, id, size))
        return previews_.QueuePixels(stored->data());
      platform::UniqueIcon made(PortablePreview(module, id, size));
      return made ? previews_.QueueIcon(made.get()) : -1;
    }

    if (IsMainIconName(group_name)) {
      // The main icon's preview is the file's first icon, taken by path.
      HICON extracted = nullptr;
      UINT icon_id = 0;
      const UINT n =
          PrivateExtractIconsW(exe_file.c_str(), 0, size, size, &extracted, &icon_id, 1, 0);
      platform::UniqueIcon first(extracted);
      if (n != 0 && n != 0xFFFFFFFF && first) return previews_.QueueIcon(first.get());
      HICON group = LoadIconImage(m, res, size, LR_CREATEDIBSECTION);
      if (!group) group = LoadIconImage(m, res, size, LR_DEFAULTCOLOR);
      if (!group) group = LoadIconW(m, res);
      platform::UniqueIcon loaded(group);
      if (!loaded) return -1;
      platform::UniqueIcon copy(CopyIcon(loaded.get()));
      return copy ? previews_.QueueIcon(copy.get()) : -1;
    }

    if (const auto stored = StoredPreview(module, id, size))
      return previews_.QueuePixels(stored->data());

    // A private icon at the standard size rather than LoadIconW's shared
    // one: shared icons stay cached for the whole run, so listing big
    // modules again and again would keep every preview alive.
    HICON group = LoadIconImage(m, res, size, LR_DEFAULTCOLOR);
    if (!group) group = LoadIconW(m, res);
    platform::UniqueIcon loaded(group);
    return loaded ? previews_.QueueIcon(loaded.get()) : -1;
  } catch (const std::bad_alloc&) {
    throw;
  } catch (...) {
    // A group whose preview cannot be made is listed without one.
    return -1;
  }
}

const IconListing::AniRow* IconListing::AniRowAt(std::size_t position) const {
  if (position < group_count_ || position - group_count_ >= ani_rows_.size()) return nullptr;
  return &ani_rows_[position - group_count_];
}

void IconListing::AddAniRows(const ResourceModule& module, std::vector<AniRow> animations,
                             std::size_t first_position, const AniKinds& kinds) {
  std::size_t position = first_position;
  MessagePacer pacer;
  for (const AniRow& animation : animations) {
    const ResourceName& name = animation.name;
    const std::wstring& label =
        animation.type == kRtAniCursor ? kinds.cursor_label : kinds.icon_label;
    const ResourceData data = module.Lookup(animation.type, name);
    const auto summary = data.found() ? SummarizeAni(data.bytes) : std::nullopt;
    std::wstring sizes = label;
    if (summary && !summary->first_frame_sizes.empty())
      sizes += L": " + ToWide(summary->first_frame_sizes);
    // The first frame is the row's preview.
    int picture = -1;
    if (summary && summary->frames > 0) {
      const auto frames = AniFileModule::FromBytes(Bytes(data.bytes.begin(), data.bytes.end()));
      platform::UniqueIcon made(
          frames ? PortablePreview(*frames, ResourceName::Text(AniFrameName(0)), previews_.width())
                 : nullptr);
      if (made) picture = previews_.QueueIcon(made.get());
    }
    list_.AddItem(picture,
                  {std::to_wstring(position), ToWide(GroupNameFromResourceName(name)),
                   std::to_wstring(summary ? summary->frames : 0), sizes},
                  static_cast<LPARAM>(position));
    ++position;
    pacer.Tick();
  }
  ani_rows_ = std::move(animations);
}

ListingResult IconListing::Load(const std::wstring& exe_file, const AniKinds* ani_kinds) {
  gui::Application& app = gui::Application::Instance();
  Clear();
  ResetPreviews();
  ClearRows();
  previews_.handle();
  Sleep(0);
  app.ProcessMessages();
  Sleep(0);

  if (!FileExists(FromWide(exe_file))) return {};
  WindowModule opened = OpenModuleForWindow(exe_file);
  if (!opened.module) return {false, opened.error};
  std::unique_ptr<ResourceModule> module = std::move(opened.module);
  const HMODULE handle = opened.handle;
  const ListingResult listed{true, 0, opened.own_reader, opened.kind};

  bool complete = false;
  struct Finish {
    IconListing& self;
    std::unique_ptr<ResourceModule>& module;
    HMODULE handle;
    bool& complete;
    ~Finish() {
      // Exactly once, on every path: keep the module for the rows on show, or
      // release it when the listing did not finish.
      if (complete) {
        self.exe_handle_ = std::move(module);
        self.handle_ = handle;
      }
      module.reset();
      self.progress_.SetVisible(false);
    }
  } finish{*this, module, handle, complete};

  const std::vector<std::u16string> names = CollectGroupNames(*module);
  std::vector<AniRow> animations;
  if (ani_kinds)
    for (const std::uint16_t type : {kRtAniCursor, kRtAniIcon})
      for (ResourceName& name : module->EnumerateNames(type))
        animations.push_back({type, std::move(name)});
  if (names.empty() && animations.empty()) {
    if (!handle) return listed;
    // A loader may take any file that merely begins like a module as data
    // (Wine's does); the reader tells a module without icons from a file
    // whose headers are not a module's, which the system calls a bad format.
    PeOpenError why = PeOpenError::kNone;
    if (!PeResourceModule::FromFile(FromWide(exe_file), &why) &&
        (why == PeOpenError::kNotPe || why == PeOpenError::kBadHeaders))
      return {false, ERROR_BAD_EXE_FORMAT};
    return listed;
  }

  {
    // Rows are drawn once, together, when the bracket closes.
    list_.BeginUpdate();
    // Previews reach the image list in strips; the last one before the rows
    // are drawn, on every path.
    struct EndUpdate {
      gui::ListView& list;
      gui::ImageList& previews;
      ~EndUpdate() {
        try {
          previews.FlushQueued();
        } catch (...) {
          // Without memory for the strip the last rows show no preview.
        }
        list.EndUpdate();
      }
    } end_update{list_, previews_};
    SharedRows shared;
    MessagePacer pacer;
    for (std::size_t i = 0; i < names.size(); ++i) {
      const std::u16string& name = names[i];
      const LookupMemo lookups(*module);
      const ByteView directory = SharedRows::DirectoryOf(lookups, name);
      SharedRows::Row row;
      if (const SharedRows::Row* same = shared.Find(directory)) {
        row = *same;
      } else {
        row = {AddGroupPreview(name, lookups, handle, exe_file), GetGroupImageCount(name, lookups),
               DescribeGroupSizes(name, lookups)};
        shared.Add(directory, row);
      }
      list_.AddItem(
          row.picture,
          {std::to_wstring(i), ToWide(name), std::to_wstring(row.count), ToWide(row.sizes)},
          static_cast<LPARAM>(i));
      pacer.Tick();
    }
    group_count_ = names.size();
    if (!animations.empty()) AddAniRows(*module, std::move(animations), names.size(), *ani_kinds);
    complete = true;
  }

  list_.SetColumnWidth(0, 40);
  if (previews_.count() > 0) list_.SetColumnWidth(1, previews_.design_width() + 20);
  list_.SizeColumnsToCells(2, list_.column_count(), LVSCW_AUTOSIZE_USEHEADER);
  return listed;
}

}  // namespace zandrel::icons
