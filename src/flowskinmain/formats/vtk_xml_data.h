#pragma once
// The data blocks of XML simulation files: base64 text, the block header
// (UInt32 or UInt64, either byte order) and blocks compressed by zlib, LZ4 or
// LZMA.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/vtk_numbers.h"

// Decodes base64 from `text` at `pos` until `out` holds at least `want`
// bytes or the text ends; blanks are skipped and '=' padding may close any
// group (blocks encoded one after another decode as one stream). Returns
// false on a character outside the alphabet. `pos` is left after the last
// group read.
bool DecodeBase64(std::string_view text, size_t& pos, size_t want, std::string& out);

enum class TVtkCompressor : uint8_t { kNone, kZlib, kLz4, kLzma };

// The compressor named by a file's "compressor" attribute ("" for none,
// "vtkZLibDataCompressor", "vtkLZ4DataCompressor", "vtkLZMADataCompressor").
// False for any other name.
bool VtkCompressorOf(std::string_view name, TVtkCompressor& out);

// How the numbers of a block are stored.
struct TVtkBlockFormat {
  bool big_endian = false;
  TVtkType header_type = TVtkType::kUInt32;  // kUInt32 or kUInt64
  TVtkCompressor compressor = TVtkCompressor::kNone;
};

// Where a block's bytes come from: raw bytes, or base64 text decoded as far
// as needed.
class TVtkByteSource {
 public:
  TVtkByteSource(std::string_view bytes, size_t pos, bool base64) : bytes_(bytes), pos_(pos), base64_(base64) {}
  // The next `n` bytes into `out` (replacing it). False when the source ends
  // first or the base64 is bad; `reason` says which.
  bool Take(size_t n, std::string& out, std::string& reason);
  // The same bytes as a view: into the source itself where it is raw, else
  // into `scratch`.
  bool TakeView(size_t n, std::string_view& out, std::string& scratch, std::string& reason);
  // At least as many bytes as the source can still give (decoded bytes, for base64).
  uint64_t Remaining() const;

 private:
  std::string_view bytes_;
  size_t pos_;
  bool base64_;
  std::string pending_;  // decoded bytes not yet taken
};

// Receives a block's bytes in order, in parts of any size.
using TVtkBytesSink = std::function<void(const unsigned char* p, size_t n)>;

// Reads one block (header, then data, compressed or not) of exactly
// `expected` bytes of numbers from `src`, handing them to `sink` part by
// part: a compressed block is inflated one compressed part at a time, so the
// block is never held whole. Everything the header claims is checked against
// what the source still holds before any part is inflated. Fails when the
// header's size differs, a compressed part does not inflate to its size, or
// the source is short.
//
// With `placed` (a sink that takes each part with its place in the block and
// may be called from several threads at once for parts that do not overlap),
// a block of several compressed parts whose part size is a multiple of
// `unit` (a number's size) is inflated on every core, one part at a time per
// core, each handed to `placed` whole.
using TVtkPlacedSink = std::function<void(uint64_t at, const unsigned char* p, size_t n)>;
//
// `ready`, when given, is called once the header has been checked against
// the source and before the first byte is handed on: the caller allocates
// what the block fills only then.
bool ReadVtkBlock(TVtkByteSource& src, const TVtkBlockFormat& f, size_t expected, const TVtkBytesSink& sink,
                  std::string& reason, const TVtkPlacedSink* placed = nullptr, size_t unit = 1,
                  const std::function<void()>& ready = {});
