#include "palette/presets.h"

#include <cstdint>

#include "model/module_path.h"
#include "model/record_file.h"

std::filesystem::path RampPresetsFile() { return ModuleFile("gfill.xpl"); }

void LoadRampPreset(int n, PaletteRamp& ramp) { LoadRampPreset(n, ramp, RampPresetsFile()); }

int CountRampPresets() { return CountRampPresets(RampPresetsFile()); }

namespace {

constexpr int kMaxStops = 256;

// The preset wanted for request n among P presets: n mod P with the sign of
// n, 0 meaning P. P is never 0 here.
int64_t wantedPreset(int n, int presets) {
  const int64_t k = static_cast<int64_t>(n) % static_cast<int64_t>(presets);
  return k == 0 ? presets : k;
}

// Reads preset n into `out`. Returns false when the default ramp is due;
// true with `found` false when the preset's stop count is 0 or less.
bool readPreset(TextRecordReader& reader, int n, PaletteRamp& out, bool& found) {
  found = false;
  TextRecord rec;
  if (!reader.next(rec)) return false;
  const int presets = rec.number(2);  // the header's letters are not checked here
  if (presets == 0) return false;
  const int64_t k = wantedPreset(n, presets);

  // The preset header: '#' is not checked, only the 'p' and the number.
  for (;;) {
    if (!reader.next(rec) || rec.kind('#', 'e')) return false;
    if (rec.tag('p') && rec.number(2) == k) break;
  }
  // Its stop count; records before it are skipped.
  do {
    if (!reader.next(rec)) return false;
  } while (!rec.tag('n'));
  const int stops = rec.number(2);
  if (stops <= 0) return true;

  out = PaletteRamp{};
  out.count = stops > kMaxStops ? kMaxStops : stops;
  for (int i = 0; i < out.count; ++i) {
    if (!reader.next(rec)) return false;
    out.stops[i] =
        RampStop{rec.byteNumber(0), rec.byteNumber(4), rec.byteNumber(8), rec.byteNumber(12)};
  }
  found = true;
  return true;
}

}  // namespace

void LoadRampPreset(int n, PaletteRamp& ramp, const std::filesystem::path& file) {
  TextRecordReader reader(file);
  if (!reader.isOpen()) {
    ramp = DefaultRamp();
    return;
  }
  PaletteRamp loaded{};
  bool found = false;
  if (!readPreset(reader, n, loaded, found))
    ramp = DefaultRamp();
  else if (found)
    ramp = loaded;
}

int CountRampPresets(const std::filesystem::path& file) {
  TextRecordReader reader(file);
  TextRecord rec;
  if (!reader.isOpen() || !reader.next(rec) || !rec.kind('#', 'N')) return kFallbackPresetCount;
  return rec.number(2);
}

namespace {

bool digits(const TextRecord& r, int at) {
  for (int i = at; i < at + 3; ++i)
    if (r.b[static_cast<size_t>(i)] < '0' || r.b[static_cast<size_t>(i)] > '9') return false;
  return true;
}

}  // namespace

std::string ReadRampPresetStrictly(int n, const std::filesystem::path& file, PaletteRamp& out) {
  const std::string name = file.string();
  TextRecordReader reader(file);
  if (!reader.isOpen()) return "no presets file " + name;
  TextRecord rec;
  if (!reader.next(rec) || !rec.kind('#', 'N') || !digits(rec, 2) || rec.number(2) < 1)
    return name + " is not a presets file (it does not start with a preset count)";
  const int presets = rec.number(2);
  if (n < 1 || n > presets)
    return name + " holds presets 1.." + std::to_string(presets) + "; there is no preset " +
           std::to_string(n);
  const std::string which = "preset " + std::to_string(n) + " of " + name;
  // A damaged preset header on the way could be taken for preset n by the
  // module's reader, which does not check the digits: the file is refused.
  do {
    if (!reader.next(rec) || rec.kind('#', 'e')) return which + " is missing";
    if (rec.kind('#', 'p') && !digits(rec, 2))
      return name + " has a damaged preset header before preset " + std::to_string(n);
  } while (!(rec.kind('#', 'p') && rec.number(2) == n));
  if (!reader.next(rec) || !rec.kind('#', 'n') || !digits(rec, 2) || rec.number(2) < 1 ||
      rec.number(2) > kMaxStops)
    return which + " has no stop count of 1.." + std::to_string(kMaxStops);
  PaletteRamp ramp{};
  ramp.count = rec.number(2);
  for (int i = 0; i < ramp.count; ++i) {
    if (!reader.next(rec)) return which + " is cut short";
    for (int at : {0, 4, 8, 12})
      if (!digits(rec, at) || rec.number(at) > 255)
        return which + " has a damaged stop " + std::to_string(i + 1);
    ramp.stops[i] =
        RampStop{rec.byteNumber(0), rec.byteNumber(4), rec.byteNumber(8), rec.byteNumber(12)};
  }
  out = ramp;
  return {};
}

std::vector<RampPresetName> RampPresetNames(const std::filesystem::path& file) {
  std::vector<RampPresetName> names;
  TextRecordReader reader(file);
  TextRecord rec;
  while (reader.next(rec) && !rec.kind('#', 'e')) {
    if (!rec.kind('#', 'p') || !digits(rec, 2)) continue;
    std::string name(rec.b.begin() + 5, rec.b.end());
    const size_t first = name.find_first_not_of(" \t\r\n");
    name = first == std::string::npos
               ? std::string()
               : name.substr(first, name.find_last_not_of(" \t\r\n") - first + 1);
    names.push_back({rec.number(2), name});
  }
  return names;
}
