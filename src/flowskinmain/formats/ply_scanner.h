#pragma once
// Cursor over PLY text: header words and body numbers. Numbers are parsed
// with std::from_chars (no locale) and must end at a blank or at the end of the
// text, so "1.5abc" is malformed rather than 1.5. A leading '+' is accepted.
#include <charconv>
#include <cstdint>
#include <string_view>

enum class ScanStatus { kOk, kEnd, kBad, kRange };

class TPlyScanner {
 public:
  explicit TPlyScanner(std::string_view text, size_t offset = 0)
      : begin_(text.data()), p_(text.data() + offset), end_(text.data() + text.size()) {}

  size_t Offset() const { return static_cast<size_t>(p_ - begin_); }
  bool AtEnd() const { return p_ >= end_; }

  // Next header word: skips spaces and line ends, then takes characters up to
  // a space, a line end or the end (empty at the end of the text).
  std::string_view Word() {
    while (p_ < end_ && IsWordBreak(*p_)) ++p_;
    const char* s = p_;
    while (p_ < end_ && !IsWordBreak(*p_)) ++p_;
    return std::string_view(s, static_cast<size_t>(p_ - s));
  }

  // Moves to the start of the next line (after CR, LF or CR LF).
  void SkipLine() {
    while (p_ < end_ && *p_ != '\r' && *p_ != '\n') ++p_;
    if (p_ < end_ && *p_ == '\r') ++p_;
    if (p_ < end_ && *p_ == '\n') ++p_;
  }

  ScanStatus Int(int64_t& out) {
    // Fast path for what face lines hold: up to 18 plain digits ended by a
    // blank or the end (no sign, cannot overflow); anything else goes through
    // from_chars. Both give the same value.
    while (p_ < end_ && IsBlank(*p_)) ++p_;
    const char* q = p_;
    int64_t v = 0;
    int digits = 0;
    while (q < end_ && digits < 18 && static_cast<unsigned>(*q - '0') < 10) {
      v = v * 10 + (*q - '0');
      ++q;
      ++digits;
    }
    if (digits > 0 && (q == end_ || IsBlank(*q))) {  // a 19th digit falls through
      out = v;
      p_ = q;
      return ScanStatus::kOk;
    }
    return Number(out);
  }
  ScanStatus Real(double& out) {
    // Fast path for what vertex lines hold: a sign, up to 19 digits with at
    // most one point among them (a digit on each side), ended by a blank or
    // the end. When the digits read as an integer m below 2^53, with k of them
    // after the point, m / 10^k is one correctly rounded division of two
    // exact doubles: the value from_chars gives. Anything else (exponents,
    // longer numbers, malformed text) goes through from_chars.
    while (p_ < end_ && IsBlank(*p_)) ++p_;
    const char* q = p_;
    const bool negative = q < end_ && *q == '-';
    if (q < end_ && (*q == '-' || *q == '+')) ++q;
    uint64_t m = 0;
    int digits = 0, after_point = -1;  // -1: no point yet
    for (; q < end_ && digits <= 19; ++q) {
      if (static_cast<unsigned>(*q - '0') < 10) {
        m = m * 10 + static_cast<unsigned>(*q - '0');
        ++digits;
        if (after_point >= 0) ++after_point;
      } else if (*q == '.' && after_point < 0 && digits > 0) {
        after_point = 0;
      } else {
        break;
      }
    }
    const bool ended = q == end_ || IsBlank(*q);
    if (ended && digits > 0 && digits <= 19 && after_point != 0 && m < (uint64_t{1} << 53)) {
      const double value = static_cast<double>(m) / kPowersOfTen[after_point < 0 ? 0 : after_point];
      out = negative ? -value : value;
      p_ = q;
      return ScanStatus::kOk;
    }
    return Number(out);
  }

 private:
  static constexpr double kPowersOfTen[20] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
                                              1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19};
  static bool IsWordBreak(char c) { return c == ' ' || c == '\r' || c == '\n'; }
  static bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

  template <typename T>
  ScanStatus Number(T& out) {
    while (p_ < end_ && IsBlank(*p_)) ++p_;
    if (p_ >= end_) return ScanStatus::kEnd;
    const char* s = p_;
    if (*s == '+' && s + 1 < end_ && s[1] != '-') ++s;
    const auto [q, ec] = std::from_chars(s, end_, out);
    if (q == s || (q < end_ && !IsBlank(*q))) return ScanStatus::kBad;
    if (ec == std::errc::result_out_of_range) return ScanStatus::kRange;
    if (ec != std::errc()) return ScanStatus::kBad;
    p_ = q;
    return ScanStatus::kOk;
  }

  const char* begin_;
  const char* p_;
  const char* end_;
};
