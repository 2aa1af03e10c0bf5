#include "formats/vtk_xml_data.h"

#include <lz4.h>
#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <memory>

#include "formats/read_failure.h"
#include "mesh/parallel_for.h"

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

bool VtkCompressorOf(std::string_view name, TVtkCompressor& out) {
  if (name.empty())
    out = TVtkCompressor::kNone;
  else if (name == "vtkZLibDataCompressor")
    out = TVtkCompressor::kZlib;
  else if (name == "vtkLZ4DataCompressor")
    out = TVtkCompressor::kLz4;
  else if (name == "vtkLZMADataCompressor")
    out = TVtkCompressor::kLzma;
  else
    return false;
  return true;
}

bool TVtkByteSource::Take(size_t n, std::string& out, std::string& reason) {
  if (!base64_) {
    if (pos_ > bytes_.size() || n > bytes_.size() - pos_) {
      return Refuse(reason, "The file ends inside a data block");
    }
    out.assign(bytes_.data() + pos_, n);
    pos_ += n;
    return true;
  }
  // Base64 text holds at least three bytes per four characters.
  if (n > pending_.size() && (n - pending_.size()) / 3 > (bytes_.size() - std::min(pos_, bytes_.size())) / 4 + 1) {
    return Refuse(reason, "The file ends inside a data block");
  }
  if (!DecodeBase64(bytes_, pos_, n, pending_)) {
    return Refuse(reason, "A data block holds bad base64 text");
  }
  if (pending_.size() < n) {
    return Refuse(reason, "The file ends inside a data block");
  }
  out.assign(pending_, 0, n);
  pending_.erase(0, n);
  return true;
}

bool TVtkByteSource::TakeView(size_t n, std::string_view& out, std::string& scratch, std::string& reason) {
  if (base64_) {
    if (!Take(n, scratch, reason)) return false;
    out = scratch;
    return true;
  }
  if (pos_ > bytes_.size() || n > bytes_.size() - pos_) {
    return Refuse(reason, "The file ends inside a data block");
  }
  out = bytes_.substr(pos_, n);
  pos_ += n;
  return true;
}

uint64_t TVtkByteSource::Remaining() const {
  const uint64_t left = pos_ < bytes_.size() ? bytes_.size() - pos_ : 0;
  return pending_.size() + (base64_ ? left / 4 * 3 + 3 : left);
}

namespace {

// The most bytes one compressed byte can stand for (zlib: 1032; LZ4: 255);
// LZMA has no useful bound and is held to its block sizes alone.
uint64_t MostInflation(TVtkCompressor c) {
  return c == TVtkCompressor::kZlib ? 1032 : c == TVtkCompressor::kLz4 ? 255 : 0;
}

constexpr size_t kWindow = 1 << 16;  // output handed to the sink at a time

// Inflates one zlib part into `want` bytes handed to the sink.
bool InflateZlib(const std::string& packed, uint64_t want, const TVtkBytesSink& sink, std::string& reason) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return Refuse(reason, "Zlib could not start");
  std::unique_ptr<z_stream, decltype(&inflateEnd)> end(&z, &inflateEnd);
  unsigned char window[kWindow];
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  z.avail_in = static_cast<uInt>(packed.size());
  uint64_t done = 0;
  int rc = Z_OK;
  while (rc == Z_OK) {
    z.next_out = window;
    z.avail_out = static_cast<uInt>(std::min<uint64_t>(kWindow, want - done + 1));  // one more shows an overlong part
    rc = inflate(&z, Z_NO_FLUSH);
    const size_t got = static_cast<size_t>(z.next_out - window);
    if (done + got > want) return Refuse(reason, "A compressed data block is damaged (zlib: wrong size)");
    if (got) sink(window, got);
    done += got;
    if (rc == Z_BUF_ERROR && z.avail_in == 0) break;
  }
  if (rc != Z_STREAM_END || done != want)
    return Refuse(reason, std::string("A compressed data block is damaged (zlib: ") +
                              (rc == Z_STREAM_END || rc == Z_OK || rc == Z_BUF_ERROR ? "wrong size" : zError(rc)) +
                              ")");
  return true;
}

bool InflateLzma(const std::string& packed, uint64_t want, const TVtkBytesSink& sink, std::string& reason) {
  lzma_stream z = LZMA_STREAM_INIT;
  // The decoder's own dictionary is held to 256 MB: a part needs no more.
  if (lzma_stream_decoder(&z, uint64_t{256} << 20, 0) != LZMA_OK) return Refuse(reason, "LZMA could not start");
  std::unique_ptr<lzma_stream, decltype(&lzma_end)> end(&z, &lzma_end);
  unsigned char window[kWindow];
  z.next_in = reinterpret_cast<const uint8_t*>(packed.data());
  z.avail_in = packed.size();
  uint64_t done = 0;
  lzma_ret rc = LZMA_OK;
  while (rc == LZMA_OK) {
    z.next_out = window;
    z.avail_out = static_cast<size_t>(std::min<uint64_t>(kWindow, want - done + 1));
    rc = lzma_code(&z, z.avail_in ? LZMA_RUN : LZMA_FINISH);
    const size_t got = static_cast<size_t>(z.next_out - window);
    if (done + got > want) return Refuse(reason, "A compressed data block is damaged (LZMA: wrong size)");
    if (got) sink(window, got);
    done += got;
  }
  if (rc != LZMA_STREAM_END || done != want)
    return Refuse(reason, rc == LZMA_STREAM_END ? "a compressed data block is damaged (LZMA: wrong size)"
                                                : "a compressed data block is damaged (LZMA: bad data)");
  return true;
}

bool InflateLz4(const std::string& packed, uint64_t want, std::string& part, const TVtkBytesSink& sink,
                std::string& reason) {
  part.resize(static_cast<size_t>(want));
  if (packed.size() > static_cast<size_t>(LZ4_MAX_INPUT_SIZE) || want > static_cast<uint64_t>(LZ4_MAX_INPUT_SIZE))
    return Refuse(reason, "A compressed data block is larger than LZ4 allows");
  const int got =
      LZ4_decompress_safe(packed.data(), part.data(), static_cast<int>(packed.size()), static_cast<int>(want));
  if (got < 0 || static_cast<uint64_t>(got) != want)
    return Refuse(reason, "A compressed data block is damaged (LZ4: bad data)");
  sink(reinterpret_cast<const unsigned char*>(part.data()), part.size());
  return true;
}

}  // namespace

bool ReadVtkBlock(TVtkByteSource& src, const TVtkBlockFormat& f, size_t expected, const TVtkBytesSink& sink,
                  std::string& reason, const TVtkPlacedSink* placed, size_t unit, const std::function<void()>& ready) {
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
  if (f.compressor == TVtkCompressor::kNone) {
    if (!src.Take(hs, head, reason)) return false;
    if (header_value(0) != expected) {
      return Refuse(reason, "A data block holds " + std::to_string(header_value(0)) + " bytes; its array needs " +
                                std::to_string(expected));
    }
    std::string scratch;
    std::string_view data;
    if (!src.TakeView(expected, data, scratch, reason)) return false;
    if (ready) ready();
    sink(reinterpret_cast<const unsigned char*>(data.data()), data.size());
    return true;
  }
  // Compressed: block count, block size, last block's size, each block's compressed size.
  if (!src.Take(3 * hs, head, reason)) return false;
  const uint64_t blocks = header_value(0), block_size = header_value(1), last = header_value(2);
  // Sizes that cannot describe `expected` bytes are refused before any product is formed.
  if (blocks > 0 && (block_size == 0 || last > block_size || blocks - 1 > expected / block_size)) {
    return Refuse(reason, "A compressed data block has a header that does not fit its array");
  }
  const uint64_t total = blocks == 0 ? 0 : (blocks - 1) * block_size + (last == 0 ? block_size : last);
  if (total != expected) {
    return Refuse(reason, "A compressed data block inflates to " + std::to_string(total) + " bytes; its array needs " +
                              std::to_string(expected));
  }
  // Each block needs at least a byte: a count beyond the data is refused before allocating.
  if (blocks > src.Remaining() / hs) return Refuse(reason, "The file ends inside a data block");
  if (!src.Take(static_cast<size_t>(blocks) * hs, head, reason)) return false;
  uint64_t packed_total = 0;
  for (uint64_t b = 0; b < blocks; ++b)
    packed_total += std::min<uint64_t>(header_value(static_cast<size_t>(b)), 1ull << 40);
  if (packed_total > src.Remaining()) return Refuse(reason, "The file ends inside a data block");
  const uint64_t most = MostInflation(f.compressor);
  if (most > 0 && total > packed_total * most + 1024) {
    return Refuse(reason, "A compressed data block claims more bytes than its blocks can hold");
  }
  if (ready) ready();
  auto inflate = [&](const std::string& packed, uint64_t want, std::string& part, const TVtkBytesSink& to,
                     std::string& why) {
    return f.compressor == TVtkCompressor::kZlib   ? InflateZlib(packed, want, to, why)
           : f.compressor == TVtkCompressor::kLzma ? InflateLzma(packed, want, to, why)
                                                   : InflateLz4(packed, want, part, to, why);
  };
  if (placed && blocks > 1 && unit > 0 && block_size % unit == 0) {
    // Every part's bytes first (in place where the source is raw), then the parts on every core.
    std::vector<std::string_view> parts(static_cast<size_t>(blocks));
    std::vector<std::string> decoded(static_cast<size_t>(blocks));
    for (uint64_t b = 0; b < blocks; ++b)
      if (!src.TakeView(static_cast<size_t>(header_value(static_cast<size_t>(b))), parts[b], decoded[b], reason))
        return false;
    std::vector<std::string> why(static_cast<size_t>(blocks));
    std::atomic<bool> ok{true};
    ParallelForChunks(static_cast<size_t>(blocks), 1, [&](size_t begin, size_t end) {
      std::string packed, part, whole;
      for (size_t b = begin; b < end && ok; ++b) {
        const uint64_t want = b + 1 == blocks ? total - b * block_size : block_size;
        packed.assign(parts[b]);
        whole.clear();
        const TVtkBytesSink gather = [&](const unsigned char* p, size_t n) {
          whole.append(reinterpret_cast<const char*>(p), n);
        };
        if (!inflate(packed, want, part, gather, why[b])) {
          ok = false;
          return;
        }
        (*placed)(b * block_size, reinterpret_cast<const unsigned char*>(whole.data()), whole.size());
      }
    });
    for (const std::string& w : why)
      if (!w.empty()) return Refuse(reason, w);
    return true;
  }
  std::string packed, part;
  uint64_t done = 0;
  for (uint64_t b = 0; b < blocks; ++b) {
    const uint64_t want = b + 1 == blocks ? total - done : block_size;
    if (!src.Take(static_cast<size_t>(header_value(static_cast<size_t>(b))), packed, reason)) return false;
    if (!inflate(packed, want, part, sink, reason)) return false;
    done += want;
  }
  return true;
}
