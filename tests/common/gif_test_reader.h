// A strict GIF reader for tests: it parses every block the writer produces and
// decodes the LZW data on its own. Anything off the format (a bad code, a
// wrong pixel count, data after the end code, padding not zero, an image
// without its control block, another kind of extension, bytes after the
// trailer) is an error.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "common/test_images.h"

struct GifTestFrame {
  int left = 0, top = 0, width = 0, height = 0, delay = 0, disposal = 0, localTableSize = 0;
  bool interlaced = false;  // localTableSize 0: no local table
  std::vector<TestRgb> localTable;
  int minCodeSize = 0, clearCodes = 0, widestCode = 0;  // the leading clear code counts
  std::vector<uint8_t> indices;                         // row by row from the top
};

struct GifTestFile {
  int width = 0, height = 0, globalTableSize = 0;  // 0: no global table
  std::vector<TestRgb> globalTable;
  std::vector<std::string> applications;  // identifier and code of each application block
  std::vector<std::vector<uint8_t>> applicationData;
  std::vector<GifTestFrame> frames;

  // The colours of a frame's pixels through its own or the global table.
  std::vector<TestRgb> Colours(size_t frame) const {
    const GifTestFrame &f = frames[frame];
    std::vector<TestRgb> out;
    for (uint8_t i : f.indices)
      out.push_back((f.localTableSize ? f.localTable : globalTable).at(i));
    return out;
  }
};

// Decodes one image's LZW data into exactly `count` indices, with a table of
// whole strings, and puts interlaced rows in place; the reason when the data
// is not exactly that.
inline const char *GifTestDecode(const std::vector<uint8_t> &data, size_t count, GifTestFrame &f) {
  const int min = f.minCodeSize, clear = 1 << min;
  if (min < 2 || min > 8) return "minimum code size out of range";
  std::vector<std::vector<uint8_t>> table;
  int size = min + 1, prev = -1;
  for (size_t bit = 0;;) {
    if (bit + static_cast<size_t>(size) > data.size() * 8) return "data ends without end code";
    int code = 0;
    for (int i = 0; i < size; ++i, ++bit) code |= (data[bit / 8] >> (bit % 8) & 1) << i;
    f.widestCode = std::max(f.widestCode, size);
    const int next = static_cast<int>(table.size());
    if (code == clear) {
      table.assign(static_cast<size_t>(clear) + 2, {});
      for (int i = 0; i < clear; ++i) table[static_cast<size_t>(i)] = {static_cast<uint8_t>(i)};
      ++f.clearCodes, size = min + 1, prev = -1;
    } else if (table.empty() || code > next || (code == next && prev < 0)) {
      return "code out of range or no leading clear code";
    } else if (code == clear + 1) {
      if (f.indices.size() != count || data.size() * 8 - bit >= 8 ||
          (bit % 8 && data.back() >> (bit % 8)))
        return "wrong number of pixels, data after the end code or padding not zero";
      if (!f.interlaced) return nullptr;
      std::vector<uint8_t> out(count);
      auto in = f.indices.begin();
      for (int pass = 0; pass < 4; ++pass)
        for (int y = (8 >> pass) % 8; y < f.height; y += pass ? 16 >> pass : 8, in += f.width)
          std::copy_n(in, f.width, out.begin() + std::ptrdiff_t{y} * f.width);
      return f.indices = out, nullptr;
    } else {
      std::vector<uint8_t> s = table[static_cast<size_t>(code == next ? prev : code)];
      if (code == next) s.push_back(s[0]);
      if (prev >= 0 && next < 4096) {
        table.push_back(table[static_cast<size_t>(prev)]);
        table.back().push_back(s[0]);
        if (next + 1 == 1 << size && size < 12) ++size;
      }
      f.indices.insert(f.indices.end(), s.begin(), s.end());
      prev = code;
    }
  }
}

inline std::optional<GifTestFile> ReadGif(const std::vector<uint8_t> &b,
                                          std::string *error = nullptr) {
  size_t at = 0;
  auto byte = [&] { return at < b.size() ? int{b[at++]} : -1; };
  auto word = [&] {
    return at + 2 > b.size() ? (at = b.size(), -1) : (at += 2, b[at - 2] | b[at - 1] << 8);
  };
  auto take = [&](size_t n, std::vector<uint8_t> &out) {  // appends
    return b.size() - at >= n && (out.insert(out.end(), b.data() + at, b.data() + at + n), at += n);
  };
  auto subBlocks = [&](std::vector<uint8_t> &out) {  // up to the terminator
    for (int n = byte();; n = byte())
      if (n <= 0 || !take(static_cast<size_t>(n), out)) return n == 0;
  };
  auto table = [&](int packed, int &size, std::vector<TestRgb> &entries) {
    size = packed & 0x80 ? 2 << (packed & 7) : 0;
    for (; entries.size() < size_t(size) && b.size() - at >= 3; at += 3)
      entries.push_back({b[at], b[at + 1], b[at + 2]});
    return entries.size() == size_t(size);
  };
  auto bad = [&](const char *w) { return (error ? void(*error = w) : void()), std::nullopt; };
  GifTestFile gif;
  GifTestFrame f;
  bool control = false;
  std::vector<uint8_t> head, data;
  if (!take(6, head) || std::string(head.begin(), head.end()) != "GIF89a") return bad("signature");
  gif.width = word(), gif.height = word();
  const int packed = byte();
  if (word() < 0 || packed < 0 || !table(packed, gif.globalTableSize, gif.globalTable))
    return bad("short screen or table");
  for (int block = byte(); block != 0x3B; block = byte()) {
    head.clear(), data.clear();
    const int label = block == 0x21 ? byte() : -1;
    if (label == 0xF9) {
      if (control || byte() != 4 || !take(4, head) || byte() != 0) return bad("bad control block");
      control = true, f.disposal = head[0] >> 2 & 7, f.delay = head[1] | head[2] << 8;
    } else if (label == 0xFF) {
      if (byte() != 11 || !take(11, head) || !subBlocks(data)) return bad("bad application block");
      gif.applications.emplace_back(head.begin(), head.end());
      gif.applicationData.push_back(data);
    } else if (block == 0x2C && control) {
      f.left = word(), f.top = word(), f.width = word(), f.height = word();
      const int p = byte();
      f.interlaced = (p & 0x40) != 0;
      if (p < 0 || !table(p, f.localTableSize, f.localTable) || (f.minCodeSize = byte()) < 0 ||
          !subBlocks(data))
        return bad("short image");
      if (const char *why = GifTestDecode(data, size_t(f.width) * size_t(f.height), f))
        return bad(why);
      gif.frames.push_back(std::exchange(f, GifTestFrame{})), control = false;
    } else {
      return bad("unknown block, image without control block or missing trailer");
    }
  }
  if (at != b.size()) return bad("bytes after the trailer");
  return gif;
}
