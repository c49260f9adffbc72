#include "icons/ani_file.h"

#include <cstring>

#include "core/text.h"
#include "icons/group_sizes.h"

namespace zandrel::icons {

namespace {

constexpr std::uint64_t kChunkHeaderSize = 8;

constexpr std::uint32_t FourCc(const char (&text)[5]) {
  return static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[0])) |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[3])) << 24;
}

struct Chunk {
  std::uint32_t id;
  std::uint64_t data;  // where its bytes start
  std::uint64_t end;   // where they end, within the parent
  std::uint64_t next;  // where the next chunk starts (after a pad byte)
};

// The chunk at `at` inside a parent ending at `end`; nullopt when no chunk
// header fits.
std::optional<Chunk> ChunkAt(const Bounded& file, std::uint64_t at, std::uint64_t end) {
  if (at > end || end - at < kChunkHeaderSize) return std::nullopt;
  const auto id = file.U32(at);
  const auto size = file.U32(at + 4);
  if (!id || !size) return std::nullopt;
  const std::uint64_t data = at + kChunkHeaderSize;
  return Chunk{*id, data, std::min(data + *size, end), data + *size + (*size & 1)};
}

}  // namespace

bool LooksLikeAniFile(ByteView head) {
  return head.size() >= 12 && std::memcmp(head.data(), "RIFF", 4) == 0 &&
         std::memcmp(head.data() + 8, "ACON", 4) == 0;
}

std::u16string AniFrameName(std::size_t frame) {
  return u"frame " + ToDecimalUnsigned(frame);
}

std::unique_ptr<AniFileModule> AniFileModule::FromBytes(Bytes bytes) {
  return Open(std::unique_ptr<AniFileModule>(new AniFileModule(std::move(bytes), nullptr)));
}

std::unique_ptr<AniFileModule> AniFileModule::FromOpenFile(std::unique_ptr<RandomAccessFile> file) {
  return Open(std::unique_ptr<AniFileModule>(new AniFileModule({}, std::move(file))));
}

std::unique_ptr<AniFileModule> AniFileModule::Open(std::unique_ptr<AniFileModule> module) {
  const auto source = module->loader().OpeningSource();
  const Bounded file(*source);
  const auto head = file.Copy(0, 12);
  if (!head || !LooksLikeAniFile(*head)) return nullptr;
  // The RIFF chunk holds the rest, as far as the file does.
  // (64-bit sum: a size near 4 GB must not wrap around to a few bytes.)
  const std::uint64_t end = std::min<std::uint64_t>(8 + std::uint64_t{*file.U32(4)}, file.size());
  std::size_t chunks = 0;
  std::size_t& frames = module->frames_;
  for (auto chunk = ChunkAt(file, 12, end); chunk && chunks < kMaxChunks;
       chunk = ChunkAt(file, chunk->next, end)) {
    ++chunks;
    if (chunk->id != FourCc("LIST") || chunk->end - chunk->data < 4 ||
        file.U32(chunk->data) != FourCc("fram"))
      continue;
    for (auto frame = ChunkAt(file, chunk->data + 4, chunk->end);
         frame && chunks < kMaxChunks && frames < kMaxFrames;
         frame = ChunkAt(file, frame->next, chunk->end)) {
      ++chunks;
      if (frame->id != FourCc("icon")) continue;
      module->AddImageSet(file.Sub(frame->data, frame->end - frame->data),
                          ResourceName::Text(AniFrameName(frames)));
      ++frames;
    }
  }
  return module;
}

std::optional<AniSummary> SummarizeAni(ByteView bytes) {
  const auto module = AniFileModule::FromBytes(Bytes(bytes.begin(), bytes.end()));
  if (!module) return std::nullopt;
  AniSummary summary{module->frame_count(), {}};
  if (summary.frames > 0) summary.first_frame_sizes = DescribeGroupSizes(AniFrameName(0), *module);
  return summary;
}

}  // namespace zandrel::icons
