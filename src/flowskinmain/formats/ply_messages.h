#pragma once
// The messages of the PLY readers (ASCII and binary), so that the same fault
// reads the same in both, and the limits they share.
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "formats/read_failure.h"

namespace ply {

// Largest vertex, face or other element count (indices are int32).
constexpr int64_t kMaxCount = std::numeric_limits<int32_t>::max();

inline const char* const kTruncated = "Unexpected end of file: the file holds fewer numbers than its header declares";
inline const char* const kInvalidNumber = "Invalid numeric input";
inline const char* const kNotFinite = "The file holds a number that is not finite (nan or inf)";
inline const char* const kOutOfRange = "Number out of range";
inline const char* const kTooManyFaces = "The file has too many faces";
inline const char* const kNoVertices = "The file has no vertices";
inline const char* const kNoFaces = "The file has no faces";
inline const char* const kNoEndHeader = "The header has no end_header line";

// printf-style message with up to three integers.
inline std::string Format(const char* fmt, long long a, long long b = 0, long long c = 0) {
  char buf[256];
  std::snprintf(buf, sizeof buf, fmt, a, b, c);
  return buf;
}

inline std::string IndexMessage(int64_t face, int64_t index, int64_t vertex_count) {
  return Format("Face %lld refers to vertex %lld; the file has %lld vertices", face, index, vertex_count);
}

inline std::string ShortFaceMessage(int64_t face, int64_t corners) {
  return Format("Face %lld has %lld vertices; a face needs at least 3", face, corners);
}

// Checks a count read from the header for the element `what` ("vertex",
// "face", "time step", ...).
inline bool CheckCount(int64_t count, const std::string& what, std::string& error) {
  if (count < 0) return Refuse(error, "Negative " + what + " count in the header");
  if (count > kMaxCount) return Refuse(error, "The " + what + " count in the header is too large");
  return true;
}

}  // namespace ply
