#pragma once
// An animated cursor or icon (.ani: a RIFF "ACON" file of an "anih" header,
// optional "rate" and "seq " chunks and a "LIST" "fram" of "icon" chunks,
// each a whole .ico or .cur file) as a module of one group per frame, named
// "frame 0", "frame 1", ... in the file's order. Cursor frames are also
// cursor groups of the same names, whose .cur files keep the hotspots.
//
// Chunks are walked in one pass, one level inside "LIST"; a chunk claiming
// more bytes than its parent holds ends at its parent's end. At most
// kMaxChunks chunks and kMaxFrames frames are read, and the frames' images
// share the 65,535 image identifiers.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "core/bytes.h"
#include "core/file_io.h"
#include "icons/image_set.h"

namespace zandrel::icons {

// True for bytes that start "RIFF", a size, "ACON".
bool LooksLikeAniFile(ByteView head);

// "frame 3" for frame 3.
std::u16string AniFrameName(std::size_t frame);

class AniFileModule : public ImageSetModule {
 public:
  // nullptr when the bytes do not start like an .ani file.
  static std::unique_ptr<AniFileModule> FromBytes(Bytes bytes);
  static std::unique_ptr<AniFileModule> FromOpenFile(std::unique_ptr<RandomAccessFile> file);

  std::size_t frame_count() const { return frames_; }

  static constexpr std::size_t kMaxChunks = std::size_t{1} << 20;
  static constexpr std::size_t kMaxFrames = 65536;

 private:
  using ImageSetModule::ImageSetModule;
  static std::unique_ptr<AniFileModule> Open(std::unique_ptr<AniFileModule> module);

  std::size_t frames_ = 0;
};

// What a listing shows of an animation held as one resource: its frames and
// the sizes text of the first (empty when it has none).
struct AniSummary {
  std::size_t frames = 0;
  std::u16string first_frame_sizes;
};
// nullopt when the bytes are no .ani file.
std::optional<AniSummary> SummarizeAni(ByteView bytes);

}  // namespace zandrel::icons
