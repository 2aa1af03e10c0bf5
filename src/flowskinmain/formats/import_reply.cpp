#include "formats/import_reply.h"

#include <cstring>

namespace {

constexpr char kMark[4] = {'F', 'S', 'K', 'R'};
constexpr size_t kCornerBytes = 3 * sizeof(float), kUvBytes = 2 * sizeof(float);

template <typename T>
void Put(std::string& out, size_t at, T value) {
  std::memcpy(out.data() + at, &value, sizeof value);
}

template <typename T>
T Get(std::string_view in, size_t at) {
  T value;
  std::memcpy(&value, in.data() + at, sizeof value);
  return value;
}

struct TFormatWord {
  TMeshFormat format;
  const char* word;
};

constexpr TFormatWord kFormatWords[] = {
    {TMeshFormat::kObj, "obj"}, {TMeshFormat::kStlAscii, "stl-ascii"}, {TMeshFormat::kStlBinary, "stl-binary"},
    {TMeshFormat::kOff, "off"}, {TMeshFormat::kGltf, "gltf"},          {TMeshFormat::kGlb, "glb"}};

}  // namespace

std::string EncodeReplyHead(const TReplyHead& head) {
  std::string out(kReplyHeadBytes, '\0');
  std::memcpy(out.data(), kMark, 4);
  Put(out, 4, static_cast<uint32_t>(head.kind));
  Put(out, 8, head.reason_bytes);
  Put(out, 12, static_cast<uint32_t>(head.has_uv));
  Put(out, 16, head.corner_count);
  return out;
}

std::string DecodeReplyHead(std::string_view bytes, uint64_t max_corners, TReplyHead& head) {
  if (bytes.size() < kReplyHeadBytes) return "the answer is shorter than its head";
  if (std::memcmp(bytes.data(), kMark, 4) != 0) return "the answer does not start with its mark";
  const uint32_t kind = Get<uint32_t>(bytes, 4), uv = Get<uint32_t>(bytes, 12);
  head.reason_bytes = Get<uint32_t>(bytes, 8);
  head.corner_count = Get<uint64_t>(bytes, 16);
  if (kind > 1) return "the answer is of an unknown kind " + std::to_string(kind);
  if (uv > 1) return "the answer's texture flag is " + std::to_string(uv);
  if (head.reason_bytes > kMaxReplyReasonBytes) return "the answer's reason is too long";
  head.kind = static_cast<TReplyKind>(kind);
  head.has_uv = uv == 1;
  if (head.kind == TReplyKind::kRefused) {
    if (head.corner_count != 0 || head.has_uv) return "a refusal carries triangles";
    return "";
  }
  if (head.corner_count == 0 || head.corner_count % 3 != 0)
    return "the answer's corner count " + std::to_string(head.corner_count) + " is not a whole number of triangles";
  if (head.corner_count > max_corners)
    return "the answer holds " + std::to_string(head.corner_count / 3) + " triangles, more than can be taken";
  return "";
}

uint64_t AnswerFileBytes(const TReplyHead& head) {
  return head.corner_count * (kCornerBytes + (head.has_uv ? kUvBytes : 0));
}

const char* FormatWord(TMeshFormat format) {
  for (const TFormatWord& f : kFormatWords)
    if (f.format == format) return f.word;
  return "";
}

TMeshFormat FormatFromWord(std::string_view word) {
  for (const TFormatWord& f : kFormatWords)
    if (word == f.word) return f.format;
  return TMeshFormat::kUnknown;
}
