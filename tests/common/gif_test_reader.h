// A strict GIF reader for tests: parses every block the writer produces and
// decodes the LZW data independently of the writer's code. Any deviation from
// the format (bad codes, wrong pixel counts, data after the end code, missing
// trailer) is reported as an error instead of being tolerated.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/test_images.h"

struct GifTestFrame {
  int left = 0, top = 0, width = 0, height = 0;
  bool hasControl = false;  // a graphic control block came before the image
  int delay = 0;
  int disposal = 0;
  bool interlaced = false;
  int localTableSize = 0;  // 0: no local table
  std::vector<TestRgb> localTable;
  int minCodeSize = 0;
  std::vector<uint8_t> indices;  // row by row from the top, de-interlaced
  int clearCodes = 0;            // clear codes in the data, the leading one included
  int widestCode = 0;            // largest code size met
};

struct GifTestFile {
  std::string version;
  int width = 0, height = 0;
  int globalTableSize = 0;  // 0: no global table
  std::vector<TestRgb> globalTable;
  std::vector<std::string> applications;  // identifier and code of each application block
  std::vector<std::vector<uint8_t>> applicationData;
  std::vector<GifTestFrame> frames;

  // The colours of a frame's pixels through its own or the global table.
  std::vector<TestRgb> Colours(size_t frame) const {
    const GifTestFrame& f = frames[frame];
    const std::vector<TestRgb>& table = f.localTableSize ? f.localTable : globalTable;
    std::vector<TestRgb> out;
    for (uint8_t i : f.indices) out.push_back(i < table.size() ? table[i] : TestRgb{});
    return out;
  }
};

namespace gif_test_reader_detail {

class Cursor {
 public:
  explicit Cursor(const std::vector<uint8_t>& b) : b_(b) {}
  bool Has(size_t n) const { return b_.size() - at_ >= n; }
  int Byte() { return Has(1) ? b_[at_++] : -1; }
  int Word() {
    if (!Has(2)) return -1;
    const int v = b_[at_] | (b_[at_ + 1] << 8);
    at_ += 2;
    return v;
  }
  bool Take(size_t n, std::vector<uint8_t>& out) {
    if (!Has(n)) return false;
    out.insert(out.end(), b_.begin() + static_cast<std::ptrdiff_t>(at_),
               b_.begin() + static_cast<std::ptrdiff_t>(at_ + n));
    at_ += n;
    return true;
  }
  // The data of a chain of sub-blocks up to its terminator.
  bool SubBlocks(std::vector<uint8_t>& out) {
    for (;;) {
      const int n = Byte();
      if (n < 0) return false;
      if (n == 0) return true;
      if (!Take(static_cast<size_t>(n), out)) return false;
    }
  }
  bool AtEnd() const { return at_ == b_.size(); }

 private:
  const std::vector<uint8_t>& b_;
  size_t at_ = 0;
};

inline bool ReadTable(Cursor& c, int size, std::vector<TestRgb>& table) {
  std::vector<uint8_t> raw;
  if (!c.Take(static_cast<size_t>(size) * 3, raw)) return false;
  for (int i = 0; i < size; ++i)
    table.push_back({raw[3 * static_cast<size_t>(i)], raw[3 * static_cast<size_t>(i) + 1],
                     raw[3 * static_cast<size_t>(i) + 2]});
  return true;
}

inline bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

// Decodes the LZW data of one image into exactly `count` indices.
inline bool Decode(const std::vector<uint8_t>& data, int minCodeSize, size_t count,
                   GifTestFrame& frame, std::string* error) {
  if (minCodeSize < 2 || minCodeSize > 8) return Fail(error, "minimum code size out of range");
  const int clear = 1 << minCodeSize, end = clear + 1;
  std::vector<int> prefix(4096, -1);
  std::vector<uint8_t> suffix(4096), stack;
  for (int i = 0; i < clear; ++i) suffix[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
  int size = minCodeSize + 1, avail = end + 1, old = -1;
  size_t bitPos = 0;
  const size_t totalBits = data.size() * 8;
  auto firstOf = [&](int code) {
    while (prefix[static_cast<size_t>(code)] >= 0) code = prefix[static_cast<size_t>(code)];
    return suffix[static_cast<size_t>(code)];
  };
  for (bool first = true;; first = false) {
    if (bitPos + static_cast<size_t>(size) > totalBits)
      return Fail(error, "data ends without end code");
    int code = 0;
    for (int i = 0; i < size; ++i, ++bitPos) code |= ((data[bitPos / 8] >> (bitPos % 8)) & 1) << i;
    frame.widestCode = std::max(frame.widestCode, size);
    if (first && code != clear) return Fail(error, "data does not start with a clear code");
    if (code == clear) {
      ++frame.clearCodes;
      size = minCodeSize + 1;
      avail = end + 1;
      old = -1;
      continue;
    }
    if (code == end) {
      if (frame.indices.size() != count) return Fail(error, "wrong number of pixels");
      // Only the padding of the last byte may follow, and it must be zero.
      if ((totalBits - bitPos) >= 8) return Fail(error, "data after the end code");
      if (bitPos % 8 && (data.back() >> (bitPos % 8)) != 0) return Fail(error, "padding not zero");
      return true;
    }
    if (old < 0) {
      if (code >= clear) return Fail(error, "first code is not a colour");
      frame.indices.push_back(static_cast<uint8_t>(code));
      old = code;
      continue;
    }
    if (code > avail || (code == avail && avail >= 4096)) return Fail(error, "code out of range");
    const int expand = code == avail ? old : code;
    stack.clear();
    if (code == avail) stack.push_back(firstOf(old));
    for (int c = expand; c >= 0; c = prefix[static_cast<size_t>(c)])
      stack.push_back(suffix[static_cast<size_t>(c)]);
    frame.indices.insert(frame.indices.end(), stack.rbegin(), stack.rend());
    if (frame.indices.size() > count) return Fail(error, "too many pixels");
    if (avail < 4096) {
      prefix[static_cast<size_t>(avail)] = old;
      suffix[static_cast<size_t>(avail)] = firstOf(code);
      ++avail;
      if (avail == (1 << size) && size < 12) ++size;
    }
    old = code;
  }
}

inline std::nullopt_t Bad(std::string* error, const std::string& why) {
  Fail(error, why);
  return std::nullopt;
}

inline std::vector<uint8_t> Deinterlace(const std::vector<uint8_t>& stored, int width, int height) {
  std::vector<uint8_t> out(stored.size());
  static constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
  size_t row = 0;
  for (int pass = 0; pass < 4; ++pass)
    for (int y = kStart[pass]; y < height; y += kStep[pass], ++row)
      std::copy_n(stored.begin() + static_cast<std::ptrdiff_t>(row * static_cast<size_t>(width)),
                  width, out.begin() + static_cast<std::ptrdiff_t>(y) * width);
  return out;
}

}  // namespace gif_test_reader_detail

inline std::optional<GifTestFile> ReadGif(const std::vector<uint8_t>& bytes,
                                          std::string* error = nullptr) {
  using namespace gif_test_reader_detail;
  Cursor c(bytes);
  GifTestFile gif;
  std::vector<uint8_t> sig;
  if (!c.Take(6, sig)) return Bad(error, "no signature");
  gif.version.assign(sig.begin(), sig.end());
  if (gif.version != "GIF89a" && gif.version != "GIF87a") return Bad(error, "bad signature");
  gif.width = c.Word();
  gif.height = c.Word();
  const int packed = c.Byte();
  if (c.Byte() < 0 || c.Byte() < 0 || packed < 0) return Bad(error, "short screen");
  if (packed & 0x80) {
    gif.globalTableSize = 2 << (packed & 7);
    if (!ReadTable(c, gif.globalTableSize, gif.globalTable)) return Bad(error, "short table");
  }
  GifTestFrame pending;
  for (;;) {
    const int block = c.Byte();
    if (block == 0x3B) break;
    if (block == 0x21) {
      const int label = c.Byte();
      std::vector<uint8_t> head, data;
      if (label == 0xF9) {
        if (c.Byte() != 4 || !c.Take(4, head) || c.Byte() != 0)
          return Bad(error, "bad control block");
        pending.hasControl = true;
        pending.disposal = (head[0] >> 2) & 7;
        pending.delay = head[1] | (head[2] << 8);
      } else if (label == 0xFF) {
        if (c.Byte() != 11 || !c.Take(11, head) || !c.SubBlocks(data))
          return Bad(error, "bad application block");
        gif.applications.emplace_back(head.begin(), head.end());
        gif.applicationData.push_back(data);
      } else {
        if (label < 0 || !c.SubBlocks(data)) return Bad(error, "bad extension");
      }
      continue;
    }
    if (block != 0x2C) return Bad(error, "unknown block or missing trailer");
    GifTestFrame f = pending;
    pending = GifTestFrame{};
    f.left = c.Word();
    f.top = c.Word();
    f.width = c.Word();
    f.height = c.Word();
    const int p = c.Byte();
    if (p < 0 || f.height < 0) return Bad(error, "short image descriptor");
    f.interlaced = (p & 0x40) != 0;
    if (p & 0x80) {
      f.localTableSize = 2 << (p & 7);
      if (!ReadTable(c, f.localTableSize, f.localTable)) return Bad(error, "short local table");
    }
    f.minCodeSize = c.Byte();
    std::vector<uint8_t> data;
    if (f.minCodeSize < 0 || !c.SubBlocks(data)) return Bad(error, "short image data");
    const size_t count = static_cast<size_t>(f.width) * static_cast<size_t>(f.height);
    if (!Decode(data, f.minCodeSize, count, f, error)) return std::nullopt;
    if (f.interlaced) f.indices = Deinterlace(f.indices, f.width, f.height);
    gif.frames.push_back(std::move(f));
  }
  if (!c.AtEnd()) return Bad(error, "bytes after the trailer");
  return gif;
}
