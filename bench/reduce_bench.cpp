// Colour reduction: speed, and quality on smooth gradients like the textures.
//
//   reduce_bench                     timings (Google Benchmark options apply)
//   reduce_bench --quality [DIR]     PSNR of reduced synthetic frames; with DIR
//                                    the originals (DIR/<name>.ppm), the
//                                    reductions (DIR/<name>-<dither>.ppm) and
//                                    one-frame GIF files written by the
//                                    animation writer (DIR/<name>.gif), to be
//                                    decoded by other programs and compared
//   reduce_bench --compare A B       PSNR of PPM image B against PPM image A
//
// Two figures are given for each image: the plain PSNR, and the PSNR after
// both images are blurred by a 5 x 5 box. Dithering trades a little plain PSNR
// for a much better blurred one; bands of flat colour lower both, the blurred
// one most, so it is the measure of visible banding.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "animation/gif_writer.h"
#include "platform/x32cvt/reduce.h"

namespace {

struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // rows from the top, red, green, blue
};

uint8_t Byte(double v) {
  return static_cast<uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, v))));
}

// Three overlapping sine fields, one per channel: colours spread through the
// whole cube, the hardest case for 256 entries.
Picture Sines(int width, int height, double t) {
  Picture p{width, height, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const double r = 127.5 + 127.5 * std::sin(0.021 * x + 0.013 * y + t);
      const double g = 127.5 + 127.5 * std::sin(0.017 * x - 0.019 * y + 2.0 + 1.3 * t);
      const double b = 127.5 + 100.0 * std::sin(0.011 * x + 0.023 * y + 4.0 + 0.7 * t) +
                       27.5 * std::cos(0.05 * std::hypot(x - width / 2.0, y - height / 2.0));
      p.rgb.insert(p.rgb.end(), {Byte(r), Byte(g), Byte(b)});
    }
  return p;
}

// A texture-like frame: a smooth position field looked up in a 256-entry
// colour ramp, blended with a second field and ramp, as a transition frame
// between two textures is.
Picture RampBlend(int width, int height, double fraction) {
  auto ramp = [](int i, int which) {
    const double a = i / 255.0 * 6.283185307179586;
    if (which == 0)
      return std::array<double, 3>{127 + 120 * std::sin(a), 127 + 120 * std::sin(a + 2.1),
                                   127 + 120 * std::sin(a + 4.2)};
    return std::array<double, 3>{200 - 150 * i / 255.0, 60 + 180 * std::sin(a / 2),
                                 40 + 200 * i / 255.0};
  };
  Picture p{width, height, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const double u = x / static_cast<double>(width), v = y / static_cast<double>(height);
      const double f1 = 0.5 + 0.5 * std::sin(6.0 * u + 4.0 * v * v + 3.0 * std::sin(5.0 * v));
      const double f2 =
          std::fmod(1.5 * std::hypot(u - 0.4, v - 0.6) + 0.3 * std::cos(7.0 * u), 1.0);
      const auto c1 = ramp(static_cast<int>(f1 * 255.0), 0);
      const auto c2 = ramp(static_cast<int>(f2 * 255.0), 1);
      for (int k = 0; k < 3; ++k)
        p.rgb.push_back(Byte(std::round(c1[k]) * (1 - fraction) + std::round(c2[k]) * fraction));
    }
  return p;
}

Buf32Handle ToImage(const Picture& p) {
  Buf32Handle h = 0;
  if (!buf32Alloc(&h, 24, p.width, p.height, 0, nullptr)) return 0;
  buf32Lock(h, kBuf32Write, nullptr);
  for (int y = 0; y < p.height; ++y)
    buf32Line(h, y, kBuf32Write,
              const_cast<uint8_t*>(p.rgb.data() + static_cast<size_t>(y) * p.width * 3));
  buf32Unlock(h);
  return h;
}

// Reduces to 256 colours and gives the picture as the palette shows it.
std::optional<Picture> Reduce(const Picture& in, Cvt32Dither dither, int* colours = nullptr) {
  Buf32Handle src = ToImage(in), dst = 0;
  if (!buf32Alloc(&dst, 8, in.width, in.height, 0, nullptr)) return std::nullopt;
  Cvt32Palette palette{};
  Cvt32ReduceOptions options;
  options.dither = dither;
  buf32Lock(src, kBuf32Read, nullptr);
  buf32Lock(dst, kBuf32ReadWrite, nullptr);
  const int ok = cvt32ReduceColoursWith(src, dst, in.width, in.height, options, &palette);
  Picture out{in.width, in.height, {}};
  std::vector<uint8_t> row(static_cast<size_t>(in.width));
  for (int y = 0; ok && y < in.height; ++y) {
    buf32Line(dst, y, kBuf32Read, row.data());
    for (uint8_t i : row) out.rgb.insert(out.rgb.end(), palette.entries[i], palette.entries[i] + 3);
  }
  buf32Unlock(dst);
  buf32Unlock(src);
  buf32Free(dst);
  buf32Free(src);
  if (colours != nullptr) *colours = palette.count;
  if (!ok) return std::nullopt;
  return out;
}

double Psnr(const std::vector<double>& a, const std::vector<double>& b) {
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
  const double mse = sum / static_cast<double>(a.size());
  return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

std::vector<double> Plain(const Picture& p) {
  return std::vector<double>(p.rgb.begin(), p.rgb.end());
}

std::vector<double> Blurred(const Picture& p, int radius) {
  std::vector<double> out;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      for (int k = 0; k < 3; ++k) {
        double sum = 0;
        int n = 0;
        for (int dy = -radius; dy <= radius; ++dy)
          for (int dx = -radius; dx <= radius; ++dx) {
            const int xx = x + dx, yy = y + dy;
            if (xx < 0 || yy < 0 || xx >= p.width || yy >= p.height) continue;
            sum += p.rgb[(static_cast<size_t>(yy) * p.width + xx) * 3 + k];
            ++n;
          }
        out.push_back(sum / n);
      }
  return out;
}

int DistinctColours(const Picture& p) {
  std::set<uint32_t> s;
  for (size_t i = 0; i + 2 < p.rgb.size(); i += 3)
    s.insert(p.rgb[i] | p.rgb[i + 1] << 8 | p.rgb[i + 2] << 16);
  return static_cast<int>(s.size());
}

bool WritePpm(const std::string& name, const Picture& p) {
  std::ofstream out(name, std::ios::binary);
  out << "P6\n" << p.width << " " << p.height << "\n255\n";
  out.write(reinterpret_cast<const char*>(p.rgb.data()),
            static_cast<std::streamsize>(p.rgb.size()));
  return static_cast<bool>(out);
}

// Binary PPM with maxval 255; comments are not expected.
std::optional<Picture> ReadPpm(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::string magic;
  int w = 0, h = 0, maxval = 0;
  if (!(in >> magic >> w >> h >> maxval) || magic != "P6" || maxval != 255 || w <= 0 || h <= 0 ||
      w > 20000 || h > 20000)
    return std::nullopt;
  in.get();
  Picture p{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h * 3)};
  if (!in.read(reinterpret_cast<char*>(p.rgb.data()), static_cast<std::streamsize>(p.rgb.size())))
    return std::nullopt;
  return p;
}

void Report(const char* what, const Picture& original, const Picture& reduced) {
  std::printf("%-28s PSNR %6.2f dB   blurred PSNR %6.2f dB   colours %d\n", what,
              Psnr(Plain(original), Plain(reduced)),
              Psnr(Blurred(original, 2), Blurred(reduced, 2)), DistinctColours(reduced));
}

struct Sample {
  std::string name;
  Picture picture;
};

std::vector<Sample> Samples() {
  return {{"sines-a", Sines(320, 240, 0.0)},
          {"sines-b", Sines(320, 240, 1.7)},
          {"blend-25", RampBlend(320, 240, 0.25)},
          {"blend-50", RampBlend(320, 240, 0.5)}};
}

int Quality(const char* dir) {
  const std::pair<Cvt32Dither, const char*> modes[] = {{kCvt32DitherNone, "none"},
                                                       {kCvt32DitherOrdered, "ordered"},
                                                       {kCvt32DitherDiffusion, "diffusion"}};
  for (const Sample& s : Samples()) {
    std::printf("%s: %d colours\n", s.name.c_str(), DistinctColours(s.picture));
    if (dir != nullptr) {
      const std::string base = std::string(dir) + "/" + s.name;
      WritePpm(base + ".ppm", s.picture);
      const Buf32Handle image = ToImage(s.picture);
      GifJobPtr job = CreateGifJob(1, image);
      const bool written =
          job && SetGifOutputName(*job, (base + ".gif").c_str()) && WriteGifFile(job.get());
      ReleaseGifJob(std::move(job));
      buf32Free(image);
      if (!written) {
        std::fprintf(stderr, "cannot write %s.gif\n", base.c_str());
        return 1;
      }
    }
    for (const auto& [mode, label] : modes) {
      const auto reduced = Reduce(s.picture, mode);
      if (!reduced) return 1;
      Report(("  ours, " + std::string(label)).c_str(), s.picture, *reduced);
      if (dir != nullptr)
        WritePpm(std::string(dir) + "/" + s.name + "-" + label + ".ppm", *reduced);
    }
  }
  return 0;
}

int Compare(const char* a, const char* b) {
  const auto pa = ReadPpm(a), pb = ReadPpm(b);
  if (!pa || !pb || pa->width != pb->width || pa->height != pb->height) {
    std::fprintf(stderr, "cannot compare %s and %s\n", a, b);
    return 1;
  }
  Report(b, *pa, *pb);
  return 0;
}

void BM_Reduce(benchmark::State& state) {
  const Picture p = state.range(0) == 0 ? Sines(256, 256, 0.5) : RampBlend(256, 256, 0.5);
  const auto dither = static_cast<Cvt32Dither>(state.range(1));
  for (auto _ : state) benchmark::DoNotOptimize(Reduce(p, dither));
  state.SetItemsProcessed(state.iterations() * 256 * 256);
}
BENCHMARK(BM_Reduce)
    ->ArgsProduct({{0, 1}, {kCvt32DitherNone, kCvt32DitherOrdered, kCvt32DitherDiffusion}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--quality") == 0)
    return Quality(argc >= 3 ? argv[2] : nullptr);
  if (argc == 4 && std::strcmp(argv[1], "--compare") == 0) return Compare(argv[2], argv[3]);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
