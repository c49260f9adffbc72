#include "tests/support/icon_files.h"

#include <string>

namespace zandrel::testing {

namespace {

Bytes ImageSet(std::uint16_t type, const std::vector<IconFileImage>& images) {
  Bytes out;
  AppendU16LE(out, 0);
  AppendU16LE(out, type);
  AppendU16LE(out, static_cast<std::uint16_t>(images.size()));
  auto offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (const IconFileImage& image : images) {
    out.push_back(image.width);
    out.push_back(image.height);
    out.push_back(0);  // colours
    out.push_back(0);
    AppendU16LE(out, type == 1 ? 1 : image.hotspot_x);
    AppendU16LE(out, type == 1 ? image.bit_count : image.hotspot_y);
    AppendU32LE(out, static_cast<std::uint32_t>(image.bytes.size()));
    AppendU32LE(out, offset);
    offset += static_cast<std::uint32_t>(image.bytes.size());
  }
  for (const IconFileImage& image : images) AppendBytes(out, image.bytes);
  return out;
}

void AppendChunk(Bytes& out, const std::string& id, ByteView data) {
  out.insert(out.end(), id.begin(), id.end());
  AppendU32LE(out, static_cast<std::uint32_t>(data.size()));
  AppendBytes(out, data);
  if (data.size() % 2) out.push_back(0);
}

}  // namespace

Bytes MakeIconFile(const std::vector<IconFileImage>& images) {
  return ImageSet(1, images);
}

Bytes MakeCursorFile(const std::vector<IconFileImage>& images) {
  return ImageSet(2, images);
}

Bytes MakeAniFile(const AniSpec& spec) {
  const std::uint32_t steps =
      static_cast<std::uint32_t>(spec.sequence.empty() ? spec.frames.size() : spec.sequence.size());
  Bytes header;
  for (const std::uint32_t value :
       {36u, static_cast<std::uint32_t>(spec.frames.size()), steps, 0u, 0u, 0u, 0u,
        spec.display_rate, spec.sequence.empty() ? 1u : 3u})  // frames are icons; a sequence
    AppendU32LE(header, value);
  Bytes body = {'A', 'C', 'O', 'N'};
  AppendChunk(body, "anih", header);
  if (!spec.rates.empty()) {
    Bytes rates;
    for (const std::uint32_t rate : spec.rates) AppendU32LE(rates, rate);
    AppendChunk(body, "rate", rates);
  }
  if (!spec.sequence.empty()) {
    Bytes sequence;
    for (const std::uint32_t frame : spec.sequence) AppendU32LE(sequence, frame);
    AppendChunk(body, "seq ", sequence);
  }
  Bytes frames = {'f', 'r', 'a', 'm'};
  for (const Bytes& frame : spec.frames) AppendChunk(frames, "icon", frame);
  AppendChunk(body, "LIST", frames);
  Bytes out;
  AppendChunk(out, "RIFF", body);
  return out;
}

std::vector<ResourceSpec> CursorGroupResources(const icons::ResourceName& name,
                                               const std::vector<IconFileImage>& images,
                                               std::uint16_t first_id) {
  std::vector<ResourceSpec> resources;
  Bytes group;
  AppendU16LE(group, 0);
  AppendU16LE(group, 2);
  AppendU16LE(group, static_cast<std::uint16_t>(images.size()));
  for (std::size_t i = 0; i < images.size(); ++i) {
    const IconFileImage& image = images[i];
    const auto id = static_cast<std::uint16_t>(first_id + i);
    Bytes cursor;
    AppendU16LE(cursor, image.hotspot_x);
    AppendU16LE(cursor, image.hotspot_y);
    AppendBytes(cursor, image.bytes);
    const std::uint16_t side = image.width ? image.width : 256;
    AppendU16LE(group, side);
    AppendU16LE(group, static_cast<std::uint16_t>(2 * (image.height ? image.height : 256)));
    AppendU16LE(group, 1);
    AppendU16LE(group, image.bit_count);
    AppendU32LE(group, static_cast<std::uint32_t>(cursor.size()));
    AppendU16LE(group, id);
    resources.push_back({icons::kRtCursor, icons::ResourceName::Id(id), std::move(cursor)});
  }
  resources.push_back({icons::kRtGroupCursor, name, std::move(group)});
  return resources;
}

}  // namespace zandrel::testing
