#include "sheet.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "commands.h"
#include "engine/renderer.h"
#include "image_files.h"
#include "options.h"
#include "palette/presets.h"
#include "platform/x32file/replacing_file.h"
#include "progress_bar.h"

namespace {

// 3 x 5 glyphs, five rows from the top split by '|': '#' drawn, '.' left.
struct Glyph {
  char c;
  const char* rows;
};
constexpr Glyph kFont[] = {
    {'0', "###|#.#|#.#|#.#|###"}, {'1', ".#.|##.|.#.|.#.|###"}, {'2', "###|..#|###|#..|###"},
    {'3', "###|..#|.##|..#|###"}, {'4', "#.#|#.#|###|..#|..#"}, {'5', "###|#..|###|..#|###"},
    {'6', "###|#..|###|#.#|###"}, {'7', "###|..#|.#.|.#.|.#."}, {'8', "###|#.#|###|#.#|###"},
    {'9', "###|#.#|###|..#|###"}, {'A', ".#.|#.#|###|#.#|#.#"}, {'B', "##.|#.#|##.|#.#|##."},
    {'C', ".##|#..|#..|#..|.##"}, {'D', "##.|#.#|#.#|#.#|##."}, {'E', "###|#..|##.|#..|###"},
    {'F', "###|#..|##.|#..|#.."}, {'G', ".##|#..|#.#|#.#|.##"}, {'H', "#.#|#.#|###|#.#|#.#"},
    {'I', "###|.#.|.#.|.#.|###"}, {'J', "..#|..#|..#|#.#|.#."}, {'K', "#.#|#.#|##.|#.#|#.#"},
    {'L', "#..|#..|#..|#..|###"}, {'M', "#.#|###|###|#.#|#.#"}, {'N', "##.|#.#|#.#|#.#|#.#"},
    {'O', ".#.|#.#|#.#|#.#|.#."}, {'P', "##.|#.#|##.|#..|#.."}, {'Q', ".#.|#.#|#.#|##.|.##"},
    {'R', "##.|#.#|##.|#.#|#.#"}, {'S', ".##|#..|.#.|..#|##."}, {'T', "###|.#.|.#.|.#.|.#."},
    {'U', "#.#|#.#|#.#|#.#|###"}, {'V', "#.#|#.#|#.#|#.#|.#."}, {'W', "#.#|#.#|###|###|#.#"},
    {'X', "#.#|#.#|.#.|#.#|#.#"}, {'Y', "#.#|#.#|.#.|.#.|.#."}, {'Z', "###|..#|.#.|#..|###"},
    {'-', "...|...|###|...|..."}, {'.', "...|...|...|...|.#."},
};

// The glyph of `c` (lower case as upper); null for a blank or an unknown one.
const char* glyph(char c) {
  const char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const Glyph& g : kFont)
    if (g.c == u) return g.rows;
  return nullptr;
}

constexpr int kColumns = 5;
constexpr int kLabelScale = 2;
constexpr int kLabelHeight = 5 * kLabelScale + 6;

}  // namespace

int DrawLabel(std::vector<uint8_t>& rgb, int width, int height, int x, int y, int scale,
              const std::string& text, uint8_t grey) {
  const int start = x;
  for (const char c : text) {
    const char* rows = glyph(c);
    for (int row = 0; rows != nullptr && row < 5; ++row)
      for (int col = 0; col < 3; ++col) {
        if (rows[row * 4 + col] != '#') continue;
        for (int dy = 0; dy < scale; ++dy)
          for (int dx = 0; dx < scale; ++dx) {
            const int px = x + col * scale + dx, py = y + row * scale + dy;
            if (px < 0 || py < 0 || px >= width || py >= height) continue;
            std::fill_n(rgb.begin() + (static_cast<ptrdiff_t>(py) * width + px) * 3, 3, grey);
          }
      }
    x += 4 * scale;
  }
  return x - start;
}

std::vector<SheetCell> SheetCells(SheetKind kind, const ParamRecord& base, int templateNumber,
                                  int presetCount) {
  // Each cell is one operation on plain maps: the single-operation mode with
  // the storyboard replaced.
  ParamRecord one = base;
  one.storyboardPosition = 0;
  one.pickCount = 0;
  one.identityOnly = 0;
  std::vector<SheetCell> cells;
  if (kind == SheetKind::kTemplates) {
    for (int t = 1; t <= 19; ++t) {
      cells.push_back({one, std::to_string(t)});
      cells.back().record.templateIndex = t - 1;
    }
  } else if (kind == SheetKind::kSamples) {
    for (int s = 1; s <= 12; ++s) {
      cells.push_back({one, std::to_string(templateNumber) + "." + std::to_string(s)});
      cells.back().record.templateIndex = templateNumber - 1;
      cells.back().record.sampleNumber = s;
    }
  } else {
    const auto names = RampPresetNames(RampPresetsFile());
    for (int n = 1; n <= presetCount; ++n) {
      std::string label = std::to_string(n);
      for (const RampPresetName& p : names)
        if (p.number == n && !p.name.empty()) {
          label += " " + p.name;
          break;
        }
      cells.push_back({base, label});
      LoadRampPreset(n, cells.back().record.ramp);
    }
  }
  return cells;
}

int RunSheet(const std::vector<std::string>& args) {
  SheetKind kind = SheetKind::kTemplates;
  int templateNumber = 0;
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--presets") {
      kind = SheetKind::kPresets;
    } else if (args[i] == "--template" && kind != SheetKind::kPresets) {
      if (i + 1 >= args.size()) return Fail(kExitUsage, "--template needs a value");
      if (auto e = ParseInt("--template", args[++i], 1, 19, templateNumber))
        return Fail(kExitUsage, *e);
      kind = SheetKind::kSamples;
    } else {
      rest.push_back(args[i]);
    }
  }
  CommandOptions a;
  a.width = 128;
  a.height = 96;
  if (auto e = ParseCommandOptions(rest, true, a)) return Fail(kExitUsage, *e);
  if (a.output != "-" && a.output.size() < 4) return Fail(kExitUsage, "the sheet is a .png");
  ParamRecord base{};
  if (auto e = LoadCommandRecord(a, base)) return Fail(kExitFailure, *e);
  if (kind == SheetKind::kPresets) {
    PaletteRamp probe{};
    if (auto e = ReadRampPresetStrictly(1, RampPresetsFile(), probe); !e.empty())
      return Fail(kExitFailure, e);
  }
  const std::vector<SheetCell> cells =
      SheetCells(kind, base, templateNumber, CountRampPresets(RampPresetsFile()));
  const int rows = (static_cast<int>(cells.size()) + kColumns - 1) / kColumns;
  const int cellW = a.width + 4, cellH = a.height + kLabelHeight;
  const int width = kColumns * cellW + 4, height = rows * cellH + 4;
  if (static_cast<double>(width) * height > 1e8)
    return Fail(kExitUsage, "the cells are too large for one sheet (--size)");
  std::vector<uint8_t> sheet(static_cast<size_t>(width) * height * 3, 32);

  RenderSession session;
  session.SetThreads(a.threads);
  ProgressBar bar("drawing the sheet");
  for (size_t i = 0; i < cells.size(); ++i) {
    const int left = 4 + static_cast<int>(i % kColumns) * cellW;
    const int top = 4 + static_cast<int>(i / kColumns) * cellH;
    const RowSink sink = [&](int first, int count, const uint8_t* rgb, size_t stride) {
      for (int y = 0; y < count; ++y)
        std::copy_n(rgb + y * stride, static_cast<size_t>(a.width) * 3,
                    sheet.begin() + (static_cast<ptrdiff_t>(top + first + y) * width + left) * 3);
      return !Interrupted();
    };
    const ParamRecord& r = cells[i].record;
    const RenderStatus status =
        session.RenderOnce(r, DecodeRenderMode(r), a.width, a.height, sink, nullptr).status;
    if (status == kRenderStopped || Interrupted())
      return Fail(kExitInterrupted, "cancelled; nothing written");
    if (status != kRenderOk) return Fail(kExitFailure, "not enough memory to draw the sheet");
    const size_t fits = static_cast<size_t>(a.width / (4 * kLabelScale));
    DrawLabel(sheet, width, height, left, top + a.height + 3, kLabelScale,
              cells[i].label.substr(0, fits), 230);
    bar.update(static_cast<int32_t>(1000 * (i + 1) / cells.size()));
  }
  bar.complete();
  PngRowWriter png;
  if (auto e = png.Open(a.output, width, height, PngCompression::kFast); !e.empty())
    return Fail(kExitFailure, e);
  if (!png.Write(sheet.data(), height, static_cast<size_t>(width) * 3))
    return Fail(kExitFailure, WriteFailure(a.output));
  if (auto e = png.Finish(); !e.empty()) return Fail(kExitFailure, e);
  return 0;
}
