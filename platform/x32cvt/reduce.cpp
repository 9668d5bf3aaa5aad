// Colour reduction of a 24-bit image to at most 256 colours.
//
// Images with few enough colours keep them exactly. Others get a palette
// built in three steps:
//  1. the image's colours and their pixel counts (merged into coarser cells
//     only when there are very many of them);
//  2. median cut that minimises variance: the box with the largest squared
//     error is split along its widest axis, at the channel level where the
//     two halves' summed squared error is least, until there are as many
//     boxes as colours;
//  3. a few rounds of k-means starting from the box means.
// Distances are measured with per-channel weights on the gamma-encoded values
// (green counts most, blue least), a cheap approximation of how different
// colours look. Pixels are then mapped to the palette with optional dithering;
// error diffusion is the default because the textures are smooth gradients,
// where plain nearest-colour mapping shows bands.
//
// Everything is deterministic: orders are total, ties go to the lowest index,
// and the arithmetic is plain floating point without contraction.
#include "platform/x32cvt/reduce.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <optional>
#include <utility>
#include <vector>

namespace {

constexpr double kWeight[3] = {1.0, 1.2, 0.8};  // red, green, blue
constexpr size_t kMaxPoints = 65536;            // colours clustered individually
constexpr int kKMeansRounds = 6;

uint32_t Pack(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }
uint32_t Channel(uint32_t rgb, int c) { return (rgb >> (8 * c)) & 0xFF; }

struct Vec3 {
  double v[3];
};

double Distance2(const Vec3& a, const Vec3& b) {
  const double d0 = a.v[0] - b.v[0], d1 = a.v[1] - b.v[1], d2 = a.v[2] - b.v[2];
  return d0 * d0 + d1 * d1 + d2 * d2;
}

Vec3 Weighted(uint32_t rgb) {
  return {
      {Channel(rgb, 0) * kWeight[0], Channel(rgb, 1) * kWeight[1], Channel(rgb, 2) * kWeight[2]}};
}

// Sorts packed 24-bit colours (three passes of 8 bits).
void SortColours(std::vector<uint32_t>& keys) {
  std::vector<uint32_t> other(keys.size());
  for (int shift = 0; shift < 24; shift += 8) {
    std::array<size_t, 257> start{};
    for (uint32_t k : keys) ++start[((k >> shift) & 0xFF) + 1];
    for (int i = 0; i < 256; ++i)
      start[static_cast<size_t>(i) + 1] += start[static_cast<size_t>(i)];
    for (uint32_t k : keys) other[start[(k >> shift) & 0xFF]++] = k;
    keys.swap(other);
  }
}

struct ColourCount {
  uint32_t rgb;
  uint64_t count;
};

// The distinct colours of sorted keys with their counts.
std::vector<ColourCount> CountColours(const std::vector<uint32_t>& sorted) {
  std::vector<ColourCount> out;
  for (size_t i = 0; i < sorted.size();) {
    size_t j = i + 1;
    while (j < sorted.size() && sorted[j] == sorted[i]) ++j;
    out.push_back({sorted[i], j - i});
    i = j;
  }
  return out;
}

// A colour to be clustered: position in the weighted space and pixel count.
struct Point {
  Vec3 x;
  double n;
};

// The points to cluster: the colours themselves, or, when there are too many,
// the means of cells of 2^k levels per channel (the finest such cells that
// give few enough points).
std::vector<Point> MakePoints(const std::vector<ColourCount>& colours) {
  std::vector<Point> points;
  if (colours.size() <= kMaxPoints) {
    points.reserve(colours.size());
    for (const ColourCount& c : colours)
      points.push_back({Weighted(c.rgb), static_cast<double>(c.count)});
    return points;
  }
  for (int drop = 1; drop <= 7; ++drop) {
    std::vector<std::pair<uint32_t, uint32_t>> cells;  // cell key, colour number
    cells.reserve(colours.size());
    for (size_t i = 0; i < colours.size(); ++i) {
      const uint32_t rgb = colours[i].rgb;
      const uint32_t key =
          Pack(Channel(rgb, 0) >> drop, Channel(rgb, 1) >> drop, Channel(rgb, 2) >> drop);
      cells.emplace_back(key, static_cast<uint32_t>(i));
    }
    std::sort(cells.begin(), cells.end());
    size_t distinct = 0;
    for (size_t i = 0; i < cells.size(); ++i)
      if (i == 0 || cells[i].first != cells[i - 1].first) ++distinct;
    if (distinct > kMaxPoints && drop < 7) continue;
    for (size_t i = 0; i < cells.size();) {
      double n = 0, s[3] = {0, 0, 0};
      size_t j = i;
      for (; j < cells.size() && cells[j].first == cells[i].first; ++j) {
        const ColourCount& c = colours[cells[j].second];
        const double w = static_cast<double>(c.count);
        const Vec3 x = Weighted(c.rgb);
        n += w;
        for (int a = 0; a < 3; ++a) s[a] += w * x.v[a];
      }
      points.push_back({{{s[0] / n, s[1] / n, s[2] / n}}, n});
      i = j;
    }
    break;
  }
  return points;
}

// Points [begin, end) with their count, sums and sum of squares.
struct Box {
  size_t begin = 0, end = 0;
  double n = 0;
  double s[3] = {0, 0, 0};
  double q = 0;
  double Error() const { return q - (s[0] * s[0] + s[1] * s[1] + s[2] * s[2]) / n; }
  Vec3 Mean() const { return {{s[0] / n, s[1] / n, s[2] / n}}; }
};

Box MakeBox(const std::vector<Point>& points, size_t begin, size_t end) {
  Box b;
  b.begin = begin;
  b.end = end;
  for (size_t i = begin; i < end; ++i) {
    const Point& p = points[i];
    b.n += p.n;
    for (int a = 0; a < 3; ++a) {
      b.s[a] += p.n * p.x.v[a];
      b.q += p.n * p.x.v[a] * p.x.v[a];
    }
  }
  return b;
}

// The channel level (0..255) of a coordinate on `axis`.
int LevelOf(const Point& p, int axis) {
  const double level = std::floor(p.x.v[axis] / kWeight[axis] + 0.5);
  return static_cast<int>(std::clamp(level, 0.0, 255.0));
}

// Splits `box` in two along the axis of largest spread, at the channel level
// where the summed squared error of the two halves is least (the points are
// gathered per level, so no sorting is needed). When every point of the box
// has one level on that axis, the next widest axis is tried. False when the
// box cannot be split.
bool SplitBox(std::vector<Point>& points, const Box& box, Box& left, Box& right) {
  if (box.end - box.begin < 2) return false;
  std::array<std::pair<double, int>, 3> axes;
  for (int a = 0; a < 3; ++a) {
    double sq = 0;
    for (size_t i = box.begin; i < box.end; ++i)
      sq += points[i].n * points[i].x.v[a] * points[i].x.v[a];
    axes[static_cast<size_t>(a)] = {-(sq - box.s[a] * box.s[a] / box.n), a};  // widest first
  }
  std::sort(axes.begin(), axes.end());
  for (const auto& [negSpread, axis] : axes) {
    std::array<Box, 256> levels{};
    for (size_t i = box.begin; i < box.end; ++i) {
      const Point& p = points[i];
      Box& l = levels[static_cast<size_t>(LevelOf(p, axis))];
      l.n += p.n;
      for (int a = 0; a < 3; ++a) {
        l.s[a] += p.n * p.x.v[a];
        l.q += p.n * p.x.v[a] * p.x.v[a];
      }
    }
    Box below;
    double bestError = 0;
    int bestCut = -1;
    for (int cut = 0; cut < 255; ++cut) {
      const Box& l = levels[static_cast<size_t>(cut)];
      below.n += l.n;
      for (int a = 0; a < 3; ++a) below.s[a] += l.s[a];
      below.q += l.q;
      if (below.n == 0 || l.n == 0) continue;  // nothing below, or the same cut as before
      Box above;
      above.n = box.n - below.n;
      if (!(above.n > 0)) break;
      for (int a = 0; a < 3; ++a) above.s[a] = box.s[a] - below.s[a];
      above.q = box.q - below.q;
      const double error = below.Error() + above.Error();
      if (bestCut < 0 || error < bestError) bestError = error, bestCut = cut;
    }
    if (bestCut < 0) continue;
    const auto middle = std::stable_partition(
        points.begin() + static_cast<std::ptrdiff_t>(box.begin),
        points.begin() + static_cast<std::ptrdiff_t>(box.end),
        [&, axis = axis](const Point& p) { return LevelOf(p, axis) <= bestCut; });
    const size_t cut = static_cast<size_t>(middle - points.begin());
    if (cut == box.begin || cut == box.end) continue;
    // Sums are recomputed so that rounding does not build up over many splits.
    left = MakeBox(points, box.begin, cut);
    right = MakeBox(points, cut, box.end);
    return true;
  }
  return false;
}

std::vector<Vec3> MedianCut(std::vector<Point>& points, int colours) {
  std::vector<Box> boxes{MakeBox(points, 0, points.size())};
  std::vector<bool> final(1, false);
  while (static_cast<int>(boxes.size()) < colours) {
    size_t pick = boxes.size();
    double worst = 0;
    for (size_t i = 0; i < boxes.size(); ++i) {
      if (final[i] || boxes[i].end - boxes[i].begin < 2) continue;
      const double e = boxes[i].Error();
      if (e > worst) worst = e, pick = i;
    }
    if (pick == boxes.size()) break;
    Box left, right;
    if (!SplitBox(points, boxes[pick], left, right)) {
      final[pick] = true;
      continue;
    }
    boxes[pick] = left;
    boxes.push_back(right);
    final.push_back(false);
  }
  std::vector<Vec3> means;
  for (const Box& b : boxes) means.push_back(b.Mean());
  return means;
}

// Nearest of a set of colours. Without a hint the candidates, sorted along
// the axis where they spread most, are searched outwards from the query's
// position on it. With a hint (a colour likely to be near, such as the
// previous answer for a neighbouring pixel) only the colours near the hint
// are tried, nearest first: one whose distance from the hint exceeds twice
// the query's distance from the hint is farther from the query than the hint
// itself, and so are all after it.
class NearestFinder {
 public:
  explicit NearestFinder(const std::vector<Vec3>& colours) : colours_(colours) {
    double best = -1;
    for (int a = 0; a < 3; ++a) {
      double lo = 1e9, hi = -1e9;
      for (const Vec3& c : colours) lo = std::min(lo, c.v[a]), hi = std::max(hi, c.v[a]);
      if (hi - lo > best) best = hi - lo, axis_ = a;
    }
    for (size_t i = 0; i < colours.size(); ++i)
      order_.push_back({colours[i].v[axis_], static_cast<int>(i)});
    std::sort(order_.begin(), order_.end());
    neighbours_.resize(colours.size());
  }

  // Index of the nearest colour; ties go to the lowest index. `hint` (or -1)
  // changes only the time taken, never the answer.
  int Nearest(const Vec3& q, int hint = -1) const {
    if (hint >= 0 && static_cast<size_t>(hint) < colours_.size()) return NearHint(q, hint);
    const double key = q.v[axis_];
    const size_t start = static_cast<size_t>(
        std::lower_bound(order_.begin(), order_.end(), std::pair<double, int>{key, -1}) -
        order_.begin());
    int best = -1;
    double bestD = 0;
    auto consider = [&](size_t k) {
      const int i = order_[k].second;
      const double d = Distance2(q, colours_[static_cast<size_t>(i)]);
      if (best < 0 || d < bestD || (d == bestD && i < best)) best = i, bestD = d;
    };
    for (size_t k = start; k < order_.size(); ++k) {
      const double gap = order_[k].first - key;
      if (best >= 0 && gap * gap > bestD) break;
      consider(k);
    }
    for (size_t k = start; k-- > 0;) {
      const double gap = key - order_[k].first;
      if (best >= 0 && gap * gap > bestD) break;
      consider(k);
    }
    return best;
  }

 private:
  // The other colours by distance from colour i, made when first asked for:
  // each the distance as a float (whose bits sort as integers do, for
  // distances of 0 or more) above the colour's number. Searches mostly stop
  // among the nearest few, so only those are put in order at first; the rest
  // are sorted when a search first goes past them.
  struct NeighbourList {
    std::vector<uint64_t> entries;
    size_t sorted = 0;
  };
  static constexpr size_t kSortedFirst = 16;

  NeighbourList& Neighbours(size_t i) const {
    NeighbourList& list = neighbours_[i];
    if (list.entries.empty() && colours_.size() > 1) {
      list.entries.reserve(colours_.size() - 1);
      for (size_t j = 0; j < colours_.size(); ++j) {
        if (j == i) continue;
        const auto distance = static_cast<float>(std::sqrt(Distance2(colours_[i], colours_[j])));
        uint32_t bits;
        std::memcpy(&bits, &distance, sizeof bits);
        list.entries.push_back(uint64_t{bits} << 32 | j);
      }
      list.sorted = std::min(kSortedFirst, list.entries.size());
      std::partial_sort(list.entries.begin(),
                        list.entries.begin() + static_cast<std::ptrdiff_t>(list.sorted),
                        list.entries.end());
    }
    return list;
  }

  int NearHint(const Vec3& q, int hint) const {
    int best = hint;
    double bestD = Distance2(q, colours_[static_cast<size_t>(hint)]);
    // A colour farther from the hint than the query's distance to the hint
    // plus its distance to the best so far cannot beat the best; the bound
    // shrinks as better colours turn up. A margin keeps it safe from the
    // rounding of the square roots and of the distances kept as floats.
    const double fromHint = std::sqrt(bestD);
    auto reachFor = [fromHint](double d) {
      return (fromHint + std::sqrt(d)) * (1.0 + 1e-6) + 1e-6;
    };
    double reach = reachFor(bestD);
    NeighbourList& list = Neighbours(static_cast<size_t>(hint));
    for (size_t k = 0; k < list.entries.size(); ++k) {
      if (k == list.sorted) {
        std::sort(list.entries.begin() + static_cast<std::ptrdiff_t>(k), list.entries.end());
        list.sorted = list.entries.size();
      }
      const uint64_t entry = list.entries[k];
      float distance;
      const auto bits = static_cast<uint32_t>(entry >> 32);
      std::memcpy(&distance, &bits, sizeof distance);
      if (distance > reach) break;
      const int j = static_cast<int>(entry & 0xFFFFFFFFu);
      const double d = Distance2(q, colours_[static_cast<size_t>(j)]);
      if (d < bestD || (d == bestD && j < best)) {
        if (d < bestD) reach = reachFor(d);
        best = j, bestD = d;
      }
    }
    return best;
  }

  const std::vector<Vec3>& colours_;
  int axis_ = 0;
  std::vector<std::pair<double, int>> order_;
  mutable std::vector<NeighbourList> neighbours_;
};

void KMeans(const std::vector<Point>& points, std::vector<Vec3>& centres) {
  std::vector<int> nearest(points.size(), -1);  // each point's centre in the last round
  for (int round = 0; round < kKMeansRounds; ++round) {
    std::vector<Vec3> sums(centres.size(), Vec3{{0, 0, 0}});
    std::vector<double> weights(centres.size(), 0);
    {
      const NearestFinder finder(centres);
      for (size_t i = 0; i < points.size(); ++i) {
        const Point& p = points[i];
        nearest[i] = finder.Nearest(p.x, nearest[i]);
        const size_t j = static_cast<size_t>(nearest[i]);
        weights[j] += p.n;
        for (int a = 0; a < 3; ++a) sums[j].v[a] += p.n * p.x.v[a];
      }
    }
    double moved = 0;
    for (size_t j = 0; j < centres.size(); ++j) {
      if (weights[j] == 0) continue;  // an empty cluster keeps its place
      const Vec3 c{
          {sums[j].v[0] / weights[j], sums[j].v[1] / weights[j], sums[j].v[2] / weights[j]}};
      moved = std::max(moved, Distance2(c, centres[j]));
      centres[j] = c;
    }
    if (moved < 0.01) break;
  }
}

uint8_t ToByte(double v) {
  return static_cast<uint8_t>(std::clamp(std::floor(v + 0.5), 0.0, 255.0));
}

// Maps colours to palette entries, remembering recent answers.
class PaletteMapper {
 public:
  PaletteMapper(const PaletteMapper&) = delete;
  PaletteMapper& operator=(const PaletteMapper&) = delete;
  explicit PaletteMapper(const Cvt32Palette& palette) {
    for (int i = 0; i < palette.count; ++i)
      weighted_.push_back(
          Weighted(Pack(palette.entries[i][0], palette.entries[i][1], palette.entries[i][2])));
    finder_.emplace(weighted_);
    keys_.assign(kCacheSize, 0xFFFFFFFFu);
    values_.assign(kCacheSize, 0);
    mixKeys_.assign(kCacheSize, 0xFFFFFFFFu);
    mixes_.assign(kCacheSize, Mixture{0, 0, 0});
  }
  struct Mixture {
    uint8_t near, far;
    double share;  // of the far entry, 0..1
  };
  // The two entries whose mix is closest to `rgb`, and the share of the
  // second: the nearest entry, and the entry nearest to `rgb` among those
  // that lie beyond `rgb` as seen from the nearest one.
  Mixture Mix(uint32_t rgb) {
    const size_t slot = Slot(rgb);
    if (mixKeys_[slot] == rgb) return mixes_[slot];
    Mixture m{Map(rgb), 0, 0};
    m.far = m.near;
    const Vec3 p = Weighted(rgb);
    const Vec3& a = weighted_[m.near];
    double farDistance = -1;
    for (size_t i = 0; i < weighted_.size(); ++i) {
      const Vec3& b = weighted_[i];
      double along = 0, length = 0;
      for (int k = 0; k < 3; ++k) {
        along += (p.v[k] - a.v[k]) * (b.v[k] - a.v[k]);
        length += (b.v[k] - a.v[k]) * (b.v[k] - a.v[k]);
      }
      if (along <= 0 || length == 0) continue;
      const double d = Distance2(p, b);
      if (farDistance < 0 || d < farDistance) {
        farDistance = d;
        m.far = static_cast<uint8_t>(i);
        m.share = std::min(1.0, along / length);
      }
    }
    mixKeys_[slot] = rgb;
    mixes_[slot] = m;
    return m;
  }
  // The nearest entry; `hint` as for NearestFinder::Nearest.
  uint8_t Map(uint32_t rgb, int hint = -1) {
    const size_t slot = Slot(rgb);
    if (keys_[slot] != rgb) {
      keys_[slot] = rgb;
      values_[slot] = static_cast<uint8_t>(finder_->Nearest(Weighted(rgb), hint));
    }
    return values_[slot];
  }

 private:
  static constexpr int kCacheBits = 16;
  static size_t Slot(uint32_t rgb) { return (rgb * 2654435761u) >> (32 - kCacheBits); }
  static constexpr size_t kCacheSize = size_t{1} << kCacheBits;
  std::vector<Vec3> weighted_;
  std::optional<NearestFinder> finder_;
  std::vector<uint32_t> keys_;
  std::vector<uint8_t> values_;
  std::vector<uint32_t> mixKeys_;
  std::vector<Mixture> mixes_;
};

constexpr uint8_t kBayer8[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};

int MapPixels(Buf32Handle dst, const std::vector<uint32_t>& pixels, int width, int height,
              const Cvt32Palette& palette, Cvt32Dither dither) {
  PaletteMapper mapper(palette);
  const size_t w = static_cast<size_t>(width);
  std::vector<uint8_t> out(w);
  // Error rows for diffusion, one pixel of margin on each side.
  std::vector<float> errors[2] = {std::vector<float>((w + 2) * 3, 0.0f),
                                  std::vector<float>((w + 2) * 3, 0.0f)};
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = pixels.data() + static_cast<size_t>(y) * w;
    if (dither == kCvt32DitherNone) {
      for (size_t x = 0; x < w; ++x) out[x] = mapper.Map(row[x], x > 0 ? out[x - 1] : -1);
    } else if (dither == kCvt32DitherOrdered) {
      // Each pixel is mixed from its nearest entry and the entry nearest to
      // it on the far side of the pixel (seen from the first entry): the
      // threshold pattern picks the second entry in proportion to how far
      // the pixel lies towards it, so the pattern averages to the pixel.
      for (size_t x = 0; x < w; ++x) {
        const auto [near, far, share] = mapper.Mix(row[x]);
        const double threshold = (kBayer8[y & 7][x & 7] + 0.5) / 64.0;
        out[x] = threshold < share ? far : near;
      }
    } else {
      std::vector<float>& here = errors[y & 1];
      std::vector<float>& below = errors[(y + 1) & 1];
      std::fill(below.begin(), below.end(), 0.0f);
      const bool forward = (y & 1) == 0;  // serpentine: every other row runs backwards
      int previous = -1;
      for (size_t step = 0; step < w; ++step) {
        const size_t x = forward ? step : w - 1 - step;
        const size_t at = (x + 1) * 3;
        float want[3];
        uint32_t c[3];
        for (int k = 0; k < 3; ++k) {
          want[k] =
              std::clamp(static_cast<float>(Channel(row[x], k)) + here[at + static_cast<size_t>(k)],
                         0.0f, 255.0f);
          c[k] = ToByte(want[k]);
        }
        const uint8_t index = mapper.Map(Pack(c[0], c[1], c[2]), step > 0 ? previous : -1);
        previous = index;
        out[x] = index;
        const size_t ahead = forward ? at + 3 : at - 3;
        const size_t behind = forward ? at - 3 : at + 3;
        for (int k = 0; k < 3; ++k) {
          const float e = want[k] - static_cast<float>(palette.entries[index][k]);
          const size_t kk = static_cast<size_t>(k);
          here[ahead + kk] += e * (7.0f / 16.0f);
          below[behind + kk] += e * (3.0f / 16.0f);
          below[at + kk] += e * (5.0f / 16.0f);
          below[ahead + kk] += e * (1.0f / 16.0f);
        }
      }
    }
    if (!buf32Line(dst, y, kBuf32Write, out.data())) return 0;
  }
  return 1;
}

int Reduce(Buf32Handle src, Buf32Handle dst, int width, int height,
           const Cvt32ReduceOptions& options, Cvt32Palette* palette) {
  if (palette == nullptr || width <= 0 || height <= 0) return 0;
  const int maxColours = std::clamp(options.maxColours, 2, 256);
  const size_t w = static_cast<size_t>(width);
  std::vector<uint32_t> pixels(w * static_cast<size_t>(height));
  std::vector<uint8_t> line(w * 3);
  for (int y = 0; y < height; ++y) {
    if (!buf32Line(src, y, kBuf32Read, line.data())) return 0;
    uint32_t* row = pixels.data() + static_cast<size_t>(y) * w;
    for (size_t x = 0; x < w; ++x) row[x] = Pack(line[3 * x], line[3 * x + 1], line[3 * x + 2]);
  }

  std::vector<ColourCount> colours;
  {
    std::vector<uint32_t> sorted = pixels;
    SortColours(sorted);
    colours = CountColours(sorted);
  }
  *palette = Cvt32Palette{};
  if (colours.size() <= static_cast<size_t>(maxColours)) {
    // Few colours: keep them exactly, in ascending order.
    for (size_t i = 0; i < colours.size(); ++i)
      for (int c = 0; c < 3; ++c)
        palette->entries[i][c] = static_cast<uint8_t>(Channel(colours[i].rgb, c));
    palette->count = static_cast<int32_t>(colours.size());
    std::vector<uint8_t> out(w);
    for (int y = 0; y < height; ++y) {
      const uint32_t* row = pixels.data() + static_cast<size_t>(y) * w;
      for (size_t x = 0; x < w; ++x) {
        const auto it =
            std::lower_bound(colours.begin(), colours.end(), row[x],
                             [](const ColourCount& c, uint32_t v) { return c.rgb < v; });
        out[x] = static_cast<uint8_t>(it - colours.begin());
      }
      if (!buf32Line(dst, y, kBuf32Write, out.data())) return 0;
    }
    return 1;
  }

  std::vector<Point> points = MakePoints(colours);
  colours.clear();
  colours.shrink_to_fit();
  std::vector<Vec3> centres = MedianCut(points, maxColours);
  KMeans(points, centres);
  for (size_t i = 0; i < centres.size(); ++i)
    for (int c = 0; c < 3; ++c) palette->entries[i][c] = ToByte(centres[i].v[c] / kWeight[c]);
  palette->count = static_cast<int32_t>(centres.size());
  return MapPixels(dst, pixels, width, height, *palette, options.dither);
}

}  // namespace

int cvt32ReduceColoursWith(Buf32Handle src, Buf32Handle dst, int width, int height,
                           const Cvt32ReduceOptions& options, Cvt32Palette* palette) {
  try {
    return Reduce(src, dst, width, height, options, palette);
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

int cvt32ReduceColours(Buf32Handle src, Buf32Handle dst, int width, int height, int maxColours,
                       Cvt32Palette* palette) {
  Cvt32ReduceOptions options;
  options.maxColours = maxColours;
  return cvt32ReduceColoursWith(src, dst, width, height, options, palette);
}
