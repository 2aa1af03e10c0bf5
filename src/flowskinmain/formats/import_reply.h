#pragma once
// What the import worker answers the program over the worker's socket (the
// file's bytes went to it in a memory file): a fixed head and the reason:
//   head (kReplyHeadBytes): "FSKR", kind (0 triangles, 1 refused), the length
//     of the reason text, 1 when texture coordinates follow (else 0), the
//     corner count (three per triangle); numbers in the machine's byte order
//     (both ends are the same machine).
//   then the reason text. The triangles are in the answer memory file: the
//     corners (x y z as floats, object space), then, when present, the
//     texture coordinates (u v as floats) per corner.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/mesh_format.h"

constexpr size_t kReplyHeadBytes = 24;
constexpr uint32_t kMaxReplyReasonBytes = 4096;

enum class TReplyKind : uint32_t { kTriangles = 0, kRefused = 1 };

struct TReplyHead {
  TReplyKind kind = TReplyKind::kRefused;
  uint32_t reason_bytes = 0;
  bool has_uv = false;
  uint64_t corner_count = 0;
};

std::string EncodeReplyHead(const TReplyHead& head);

// Reads a head from the first kReplyHeadBytes of `bytes`. Returns "" when it
// is well formed: the mark, a known kind, a reason of at most
// kMaxReplyReasonBytes, a texture flag of 0 or 1, and for triangles a corner
// count that is a positive multiple of 3 and at most `max_corners` (for a
// refusal: no corners and no texture flag). Otherwise what is wrong with it.
std::string DecodeReplyHead(std::string_view bytes, uint64_t max_corners, TReplyHead& head);

// The bytes of the answer memory file that goes with `head`.
uint64_t AnswerFileBytes(const TReplyHead& head);

// The word that names a format on the worker's command line ("obj",
// "stl-ascii", "stl-binary", "off", "gltf", "glb"; "" for PLY and kUnknown,
// which never go to the worker) and back (kUnknown for any other word).
const char* FormatWord(TMeshFormat format);
TMeshFormat FormatFromWord(std::string_view word);
