// A strict GIF reader for tests: parses every block the writer produces and
// decodes the LZW data independently of the writer's code. Any deviation from
// the format (bad codes, wrong pixel counts, data after the end code, missing
// trailer) is reported as an error instead of being tolerated.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/test_images.h"

struct GifTestFrame {
  int left = 0, top = 0, width = 0, height = 0;
  bool hasControl = false;  // a graphic control block came before the image
  int delay = 0, disposal = 0;
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

struct Cursor {
  const std::vector<uint8_t>& b;
  size_t at = 0;
  int Byte() { return at < b.size() ? b[at++] : -1; }
  int Word() {
    const int lo = Byte(), hi = Byte();
    return lo < 0 || hi < 0 ? -1 : lo | hi << 8;
  }
  bool Take(size_t n, std::vector<uint8_t>& out) {
    if (b.size() - at < n) return false;
    out.insert(out.end(), b.begin() + static_cast<std::ptrdiff_t>(at),
               b.begin() + static_cast<std::ptrdiff_t>(at + n));
    return (at += n), true;
  }
  // The data of a chain of sub-blocks up to its terminator.
  bool SubBlocks(std::vector<uint8_t>& out) {
    for (int n = Byte();; n = Byte())
      if (n <= 0 || !Take(static_cast<size_t>(n), out)) return n == 0;
  }
  bool Table(int size, std::vector<TestRgb>& table) {
    std::vector<uint8_t> raw;
    if (!Take(static_cast<size_t>(size) * 3, raw)) return false;
    for (size_t i = 0; i < raw.size(); i += 3) table.push_back({raw[i], raw[i + 1], raw[i + 2]});
    return true;
  }
};

// Decodes the LZW data of one image into exactly `count` indices; the reason
// when the data is not exactly that.
inline const char* Decode(const std::vector<uint8_t>& data, size_t count, GifTestFrame& f) {
  const int min = f.minCodeSize, clear = 1 << min, end = clear + 1;
  if (min < 2 || min > 8) return "minimum code size out of range";
  std::vector<int> prefix(4096, -1);
  std::vector<uint8_t> suffix(4096), string;
  for (int i = 0; i < clear; ++i) suffix[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
  auto firstOf = [&](int c) {
    while (prefix[static_cast<size_t>(c)] >= 0) c = prefix[static_cast<size_t>(c)];
    return suffix[static_cast<size_t>(c)];
  };
  int size = min + 1, avail = end + 1, old = -1;
  for (size_t bit = 0;;) {
    if (bit + static_cast<size_t>(size) > data.size() * 8) return "data ends without end code";
    int code = 0;
    for (int i = 0; i < size; ++i, ++bit) code |= ((data[bit / 8] >> (bit % 8)) & 1) << i;
    f.widestCode = std::max(f.widestCode, size);
    if (bit == static_cast<size_t>(size) && code != clear) return "no leading clear code";
    if (code == clear) {
      ++f.clearCodes, size = min + 1, avail = end + 1, old = -1;
    } else if (code == end) {
      if (f.indices.size() != count) return "wrong number of pixels";
      if (data.size() * 8 - bit >= 8) return "data after the end code";
      return bit % 8 && data.back() >> (bit % 8) ? "padding not zero" : nullptr;
    } else if (old < 0) {
      if (code >= clear) return "first code is not a colour";
      f.indices.push_back(static_cast<uint8_t>(code));
      old = code;
    } else {
      if (code > avail || (code == avail && avail >= 4096)) return "code out of range";
      string.clear();
      if (code == avail) string.push_back(firstOf(old));
      for (int c = code == avail ? old : code; c >= 0; c = prefix[static_cast<size_t>(c)])
        string.push_back(suffix[static_cast<size_t>(c)]);
      f.indices.insert(f.indices.end(), string.rbegin(), string.rend());
      if (f.indices.size() > count) return "too many pixels";
      if (avail < 4096) {
        prefix[static_cast<size_t>(avail)] = old;
        suffix[static_cast<size_t>(avail++)] = firstOf(code);
        if (avail == (1 << size) && size < 12) ++size;
      }
      old = code;
    }
  }
}

inline void Deinterlace(GifTestFrame& f) {
  std::vector<uint8_t> out(f.indices.size());
  const size_t w = static_cast<size_t>(f.width);
  size_t row = 0;
  for (int pass = 0; pass < 4; ++pass)
    for (int y = (8 >> pass) % 8; y < f.height; y += pass == 0 ? 8 : 16 >> pass, ++row)
      std::copy_n(f.indices.begin() + static_cast<std::ptrdiff_t>(row * w), w,
                  out.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(y) * w));
  f.indices = out;
}

}  // namespace gif_test_reader_detail

inline std::optional<GifTestFile> ReadGif(const std::vector<uint8_t>& bytes,
                                          std::string* error = nullptr) {
  using namespace gif_test_reader_detail;
  Cursor c{bytes};
  GifTestFile gif;
  GifTestFrame pending;
  auto bad = [&](const char* why) {
    if (error) *error = why;
    return std::nullopt;
  };
  std::vector<uint8_t> sig, head, data;
  if (!c.Take(6, sig)) return bad("no signature");
  gif.version.assign(sig.begin(), sig.end());
  if (gif.version != "GIF89a" && gif.version != "GIF87a") return bad("bad signature");
  gif.width = c.Word();
  gif.height = c.Word();
  const int packed = c.Byte();
  if (c.Word() < 0 || packed < 0) return bad("short screen");
  if ((packed & 0x80) && !c.Table(gif.globalTableSize = 2 << (packed & 7), gif.globalTable))
    return bad("short table");
  for (int block = c.Byte(); block != 0x3B; block = c.Byte()) {
    head.clear(), data.clear();
    const int label = block == 0x21 ? c.Byte() : -1;
    if (label == 0xF9) {
      if (c.Byte() != 4 || !c.Take(4, head) || c.Byte() != 0) return bad("bad control block");
      pending.hasControl = true;
      pending.disposal = (head[0] >> 2) & 7;
      pending.delay = head[1] | (head[2] << 8);
    } else if (label == 0xFF) {
      if (c.Byte() != 11 || !c.Take(11, head) || !c.SubBlocks(data))
        return bad("bad application block");
      gif.applications.emplace_back(head.begin(), head.end());
      gif.applicationData.push_back(data);
    } else if (block == 0x21) {
      if (label < 0 || !c.SubBlocks(data)) return bad("bad extension");
    } else if (block == 0x2C) {
      GifTestFrame f = std::exchange(pending, GifTestFrame{});
      f.left = c.Word(), f.top = c.Word(), f.width = c.Word(), f.height = c.Word();
      const int p = c.Byte();
      if (p < 0 || f.height < 0) return bad("short image descriptor");
      f.interlaced = (p & 0x40) != 0;
      if ((p & 0x80) && !c.Table(f.localTableSize = 2 << (p & 7), f.localTable))
        return bad("short local table");
      f.minCodeSize = c.Byte();
      if (f.minCodeSize < 0 || !c.SubBlocks(data)) return bad("short image data");
      if (const char* why = Decode(data, static_cast<size_t>(f.width) * f.height, f))
        return bad(why);
      if (f.interlaced) Deinterlace(f);
      gif.frames.push_back(std::move(f));
    } else {
      return bad("unknown block or missing trailer");
    }
  }
  if (c.at != bytes.size()) return bad("bytes after the trailer");
  return gif;
}
