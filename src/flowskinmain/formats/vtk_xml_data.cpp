#include "formats/vtk_xml_data.h"

#include <zlib.h>

#include <algorithm>

namespace {

int Base64Value(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool DecodeBase64(std::string_view text, size_t& pos, size_t want, std::string& out) {
  int group[4];
  while (out.size() < want) {
    int n = 0, pad = 0;
    while (n + pad < 4) {
      while (pos < text.size() && IsBlank(text[pos])) ++pos;
      if (pos >= text.size()) return n + pad == 0;  // the text ends between groups
      const char c = text[pos++];
      if (c == '=') {
        ++pad;
        continue;
      }
      if (pad > 0) return false;
      const int v = Base64Value(static_cast<unsigned char>(c));
      if (v < 0) return false;
      group[n++] = v;
    }
    if (n < 2) return false;
    out.push_back(static_cast<char>((group[0] << 2) | (group[1] >> 4)));
    if (n > 2) out.push_back(static_cast<char>(((group[1] & 15) << 4) | (group[2] >> 2)));
    if (n > 3) out.push_back(static_cast<char>(((group[2] & 3) << 6) | group[3]));
  }
  return true;
}

bool TVtkByteSource::Take(size_t n, std::string& out, std::string& reason) {
  if (!base64_) {
    if (pos_ > bytes_.size() || n > bytes_.size() - pos_) {
      reason = "the file ends inside a data block";
      return false;
    }
    out.assign(bytes_.data() + pos_, n);
    pos_ += n;
    return true;
  }
  // Base64 text holds at least three bytes per four characters.
  if (n > pending_.size() && (n - pending_.size()) / 3 > (bytes_.size() - std::min(pos_, bytes_.size())) / 4 + 1) {
    reason = "the file ends inside a data block";
    return false;
  }
  if (!DecodeBase64(bytes_, pos_, n, pending_)) {
    reason = "a data block holds bad base64 text";
    return false;
  }
  if (pending_.size() < n) {
    reason = "the file ends inside a data block";
    return false;
  }
  out.assign(pending_, 0, n);
  pending_.erase(0, n);
  return true;
}

bool ReadVtkBlock(TVtkByteSource& src, const TVtkBlockFormat& f, size_t expected, std::string& out,
                  std::string& reason) {
  const size_t hs = VtkTypeSize(f.header_type);
  std::string head;
  // Header numbers are unsigned integers of hs bytes, read as such (a double
  // would not hold every UInt64).
  auto header_value = [&](size_t i) {
    uint64_t v = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(head.data()) + i * hs;
    for (size_t k = 0; k < hs; ++k) v |= static_cast<uint64_t>(p[f.big_endian ? hs - 1 - k : k]) << (8 * k);
    return v;
  };
  if (!f.zlib) {
    if (!src.Take(hs, head, reason)) return false;
    if (header_value(0) != expected) {
      reason = "a data block holds " + std::to_string(header_value(0)) + " bytes; its array needs " +
               std::to_string(expected);
      return false;
    }
    return src.Take(expected, out, reason);
  }
  // Compressed: block count, block size, last block's size, each block's compressed size.
  if (!src.Take(3 * hs, head, reason)) return false;
  const uint64_t blocks = header_value(0), block_size = header_value(1), last = header_value(2);
  // Sizes that cannot describe `expected` bytes are refused before any product is formed.
  if (blocks > 0 && (block_size == 0 || last > block_size || blocks - 1 > expected / block_size)) {
    reason = "a compressed data block has a header that does not fit its array";
    return false;
  }
  const uint64_t total = blocks == 0 ? 0 : (blocks - 1) * block_size + (last == 0 ? block_size : last);
  if (total != expected || (blocks > 0 && block_size == 0)) {
    reason = "a compressed data block inflates to " + std::to_string(total) + " bytes; its array needs " +
             std::to_string(expected);
    return false;
  }
  std::string sizes;
  // Each block needs at least a byte: a count beyond the data is refused before allocating.
  if (blocks > expected + 1 || !src.Take(static_cast<size_t>(blocks) * hs, sizes, reason)) {
    if (reason.empty()) reason = "a compressed data block has more blocks than bytes";
    return false;
  }
  head = sizes;
  // zlib packs at most about 1032 bytes into one: a larger claim is refused before allocating.
  uint64_t packed_total = 0;
  for (uint64_t b = 0; b < blocks; ++b)
    packed_total += std::min<uint64_t>(header_value(static_cast<size_t>(b)), 1ull << 40);
  if (total > packed_total * 1040 + 1024) {
    reason = "a compressed data block claims more bytes than its blocks can hold";
    return false;
  }
  out.assign(static_cast<size_t>(total), '\0');
  size_t done = 0;
  std::string packed;
  for (uint64_t b = 0; b < blocks; ++b) {
    const uint64_t want = b + 1 == blocks ? total - done : block_size;
    const uint64_t csize = header_value(static_cast<size_t>(b));
    if (!src.Take(static_cast<size_t>(csize), packed, reason)) return false;
    uLongf got = static_cast<uLongf>(want);
    const int rc = uncompress(reinterpret_cast<Bytef*>(out.data() + done), &got,
                              reinterpret_cast<const Bytef*>(packed.data()), static_cast<uLong>(packed.size()));
    if (rc != Z_OK || got != want) {
      reason = "a compressed data block is damaged (zlib: " + std::string(rc == Z_OK ? "wrong size" : zError(rc)) + ")";
      return false;
    }
    done += static_cast<size_t>(want);
  }
  return true;
}
