#pragma once
// Number types of simulation files, by their names in the legacy and the XML
// layouts, and the conversion of packed binary numbers to double.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

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

// The number of type `t` packed at `p` in the given byte order.
inline double VtkNumberAt(const unsigned char* p, TVtkType t, bool big_endian) {
  unsigned char b[8] = {};
  const size_t n = VtkTypeSize(t);
  const bool flip = big_endian != (std::endian::native == std::endian::big);
  for (size_t i = 0; i < n; ++i) b[i] = p[flip ? n - 1 - i : i];
  auto as = [&](auto v) {
    std::memcpy(&v, b, sizeof v);
    return static_cast<double>(v);
  };
  switch (t) {
    case TVtkType::kInt8:
      return as(int8_t{});
    case TVtkType::kUInt8:
      return as(uint8_t{});
    case TVtkType::kInt16:
      return as(int16_t{});
    case TVtkType::kUInt16:
      return as(uint16_t{});
    case TVtkType::kInt32:
      return as(int32_t{});
    case TVtkType::kUInt32:
      return as(uint32_t{});
    case TVtkType::kInt64:
      return as(int64_t{});
    case TVtkType::kUInt64:
      return as(uint64_t{});
    case TVtkType::kFloat32:
      return as(float{});
    case TVtkType::kFloat64:
      return as(double{});
    case TVtkType::kInvalid:
      break;
  }
  return 0;
}

// The `n` numbers of type `t` packed at `p` in the given byte order, into
// out[0 .. n): one loop per type, the same values as VtkNumberAt.
inline void VtkNumbersAt(const unsigned char* p, size_t n, TVtkType t, bool big_endian, double* out) {
  const bool flip = big_endian != (std::endian::native == std::endian::big);
  auto run = [&](auto zero) {
    using T = decltype(zero);
    if (flip) {
      for (size_t i = 0; i < n; ++i) out[i] = VtkNumberAt(p + i * sizeof(T), t, big_endian);
      return;
    }
    for (size_t i = 0; i < n; ++i) {
      T v;
      std::memcpy(&v, p + i * sizeof(T), sizeof(T));
      out[i] = static_cast<double>(v);
    }
  };
  switch (t) {
    case TVtkType::kInt8:
      return run(int8_t{});
    case TVtkType::kUInt8:
      return run(uint8_t{});
    case TVtkType::kInt16:
      return run(int16_t{});
    case TVtkType::kUInt16:
      return run(uint16_t{});
    case TVtkType::kInt32:
      return run(int32_t{});
    case TVtkType::kUInt32:
      return run(uint32_t{});
    case TVtkType::kInt64:
      return run(int64_t{});
    case TVtkType::kUInt64:
      return run(uint64_t{});
    case TVtkType::kFloat32:
      return run(float{});
    case TVtkType::kFloat64:
      return run(double{});
    case TVtkType::kInvalid:
      break;
  }
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
