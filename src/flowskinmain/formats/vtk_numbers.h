#pragma once
// Number types of simulation files, by their names in the legacy and the XML
// layouts, and the conversion of packed binary numbers to double.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

enum class TVtkType : uint8_t {
  kInvalid,
  kInt8,
  kUInt8,
  kInt16,
  kUInt16,
  kInt32,
  kUInt32,
  kInt64,
  kUInt64,
  kFloat32,
  kFloat64
};

inline size_t VtkTypeSize(TVtkType t) {
  switch (t) {
    case TVtkType::kInt8:
    case TVtkType::kUInt8:
      return 1;
    case TVtkType::kInt16:
    case TVtkType::kUInt16:
      return 2;
    case TVtkType::kInt32:
    case TVtkType::kUInt32:
    case TVtkType::kFloat32:
      return 4;
    case TVtkType::kInt64:
    case TVtkType::kUInt64:
    case TVtkType::kFloat64:
      return 8;
    case TVtkType::kInvalid:
      break;
  }
  return 0;
}

// A type name of either layout: "float", "double", "int", "unsigned_char",
// "vtktypeint64", ... (legacy) or "Float32", "Int64", "UInt8", ... (XML).
inline TVtkType VtkTypeOf(std::string_view n) {
  struct TName {
    const char* name;
    TVtkType type;
  };
  static const TName kNames[] = {
      {"Int8", TVtkType::kInt8},          {"UInt8", TVtkType::kUInt8},
      {"Int16", TVtkType::kInt16},        {"UInt16", TVtkType::kUInt16},
      {"Int32", TVtkType::kInt32},        {"UInt32", TVtkType::kUInt32},
      {"Int64", TVtkType::kInt64},        {"UInt64", TVtkType::kUInt64},
      {"Float32", TVtkType::kFloat32},    {"Float64", TVtkType::kFloat64},
      {"char", TVtkType::kInt8},          {"unsigned_char", TVtkType::kUInt8},
      {"short", TVtkType::kInt16},        {"unsigned_short", TVtkType::kUInt16},
      {"int", TVtkType::kInt32},          {"unsigned_int", TVtkType::kUInt32},
      {"long", TVtkType::kInt64},         {"unsigned_long", TVtkType::kUInt64},
      {"vtktypeint64", TVtkType::kInt64}, {"vtktypeuint64", TVtkType::kUInt64},
      {"vtkIdType", TVtkType::kInt32},    {"float", TVtkType::kFloat32},
      {"double", TVtkType::kFloat64},     {"vtktypeint32", TVtkType::kInt32},
  };
  for (const TName& t : kNames)
    if (n == t.name) return t.type;
  return TVtkType::kInvalid;
}

// Calls f with a zero of the C++ type of `t`; false (f not called) for kInvalid.
template <typename F>
bool WithVtkType(TVtkType t, F&& f) {
  switch (t) {
    case TVtkType::kInt8:
      f(int8_t{});
      return true;
    case TVtkType::kUInt8:
      f(uint8_t{});
      return true;
    case TVtkType::kInt16:
      f(int16_t{});
      return true;
    case TVtkType::kUInt16:
      f(uint16_t{});
      return true;
    case TVtkType::kInt32:
      f(int32_t{});
      return true;
    case TVtkType::kUInt32:
      f(uint32_t{});
      return true;
    case TVtkType::kInt64:
      f(int64_t{});
      return true;
    case TVtkType::kUInt64:
      f(uint64_t{});
      return true;
    case TVtkType::kFloat32:
      f(float{});
      return true;
    case TVtkType::kFloat64:
      f(double{});
      return true;
    case TVtkType::kInvalid:
      break;
  }
  return false;
}

// The number of type `t` packed at `p` in the given byte order.
inline double VtkNumberAt(const unsigned char* p, TVtkType t, bool big_endian) {
  unsigned char b[8] = {};
  const size_t n = VtkTypeSize(t);
  const bool flip = big_endian != (std::endian::native == std::endian::big);
  for (size_t i = 0; i < n; ++i) b[i] = p[flip ? n - 1 - i : i];
  double out = 0;
  WithVtkType(t, [&](auto v) {
    std::memcpy(&v, b, sizeof v);
    out = static_cast<double>(v);
  });
  return out;
}

// The `n` numbers of type `t` packed at `p` in the given byte order, into
// out[0 .. n): one loop per type, the same values as VtkNumberAt.
inline void VtkNumbersAt(const unsigned char* p, size_t n, TVtkType t, bool big_endian, double* out) {
  const bool flip = big_endian != (std::endian::native == std::endian::big);
  const bool known = WithVtkType(t, [&](auto v) {
    if (flip) {
      for (size_t i = 0; i < n; ++i) out[i] = VtkNumberAt(p + i * sizeof v, t, big_endian);
      return;
    }
    for (size_t i = 0; i < n; ++i) {
      std::memcpy(&v, p + i * sizeof v, sizeof v);
      out[i] = static_cast<double>(v);
    }
  });
  if (!known)
    for (size_t i = 0; i < n; ++i) out[i] = 0;
}

// An index or count stored as a number of any type: false when it is not a
// whole number within +-2^53.
inline bool VtkIndexOf(double v, int64_t& out) {
  if (!(v >= -9007199254740992.0 && v <= 9007199254740992.0) || v != static_cast<double>(static_cast<int64_t>(v)))
    return false;
  out = static_cast<int64_t>(v);
  return true;
}

// Appends v[0 .. n), each an index (VtkIndexOf) shifted by `shift`, to `out`;
// false at the first that is no index.
inline bool AppendVtkIndices(const double* v, size_t n, int64_t shift, std::vector<int64_t>& out) {
  for (size_t k = 0; k < n; ++k) {
    int64_t i = 0;
    if (!VtkIndexOf(v[k], i)) return false;
    out.push_back(i + shift);
  }
  return true;
}
