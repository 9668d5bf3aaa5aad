#include "engine/template_file.h"

#include <cstring>

#include "model/record_file.h"
#include "platform/x32file/byte_order.h"
#include "model/module_path.h"

std::filesystem::path FactoryPatternsFile() { return ModuleFile("prismno.dat"); }

int CountFactoryPatterns() { return CountFactoryPatterns(FactoryPatternsFile()); }

int LoadFactoryPattern(int n, PatternEntry& entry) {
  return LoadFactoryPattern(n, entry, FactoryPatternsFile());
}

namespace {

constexpr int kMaxStops = 256;

// The script text being assembled; it cannot outgrow the entry's field.
class ScriptBuilder {
 public:
  void clear() { length_ = 0; }
  void append(const char* s) {
    while (*s != '\0') push(*s++);
  }
  void append(const TextRecord& rec, int from, int count) {
    for (int i = from; i < from + count; ++i)
      push(static_cast<char>(rec.b[static_cast<size_t>(i)]));
  }
  // Copies the text and its NUL into the field.
  void copyTo(char (&field)[kPatternTextBytes]) const {
    std::memcpy(field, text_, length_);
    field[length_] = '\0';
  }

 private:
  void push(char c) {
    if (length_ + 1 < kPatternTextBytes) text_[length_++] = c;
  }
  char text_[kPatternTextBytes] = {};
  size_t length_ = 0;
};

// Reads a ramp of `count` stops that follow; false when the file ends first.
bool readStops(TextRecordReader& reader, int count, PaletteRamp& ramp) {
  ramp = PaletteRamp{};
  ramp.count = count > kMaxStops ? kMaxStops : count;
  TextRecord rec;
  for (int i = 0; i < ramp.count; ++i) {
    if (!reader.next(rec)) return false;
    ramp.stops[i] =
        RampStop{rec.byteNumber(0), rec.byteNumber(4), rec.byteNumber(8), rec.byteNumber(12)};
  }
  return true;
}

// Settings and ramp after a "p" tag; the reader stands after the tag.
void readSettings(TextRecordReader& reader, PatternEntry& entry) {
  TextRecord rec;
  if (!reader.next(rec)) return;
  entry.hueShift = rec.number(0);
  entry.mirror = static_cast<int32_t>(rec.b[6]) - '0';
  entry.repeat = rec.number(8);
  do {
    if (!reader.next(rec)) return;
  } while (!rec.tag('m'));
  const int stops = rec.number(2);
  if (stops <= 0) return;
  PaletteRamp ramp;
  if (readStops(reader, stops, ramp)) entry.ramp = ramp;
}

}  // namespace

std::array<uint8_t, kPatternEntryBytes> SerializePatternEntry(const PatternEntry& entry) {
  std::array<uint8_t, kPatternEntryBytes> out{};
  uint8_t* p = out.data();
  StoreLe32(p + offsetof(PatternEntry, operationCount), entry.operationCount);
  std::memcpy(p + offsetof(PatternEntry, scriptText), entry.scriptText, kPatternTextBytes);
  StoreLe32(p + offsetof(PatternEntry, hueShift), entry.hueShift);
  StoreLe32(p + offsetof(PatternEntry, ring), entry.ring);
  StoreLe32(p + offsetof(PatternEntry, mirror), entry.mirror);
  StoreLe32(p + offsetof(PatternEntry, repeat), entry.repeat);
  StoreLe32(p + offsetof(PatternEntry, ramp), entry.ramp.count);
  std::memcpy(p + offsetof(PatternEntry, ramp) + offsetof(PaletteRamp, stops), entry.ramp.stops,
              sizeof entry.ramp.stops);
  return out;
}

std::optional<PatternEntry> DeserializePatternEntry(std::span<const uint8_t> bytes) {
  if (bytes.size() != kPatternEntryBytes) return std::nullopt;
  const uint8_t* p = bytes.data();
  PatternEntry entry{};
  entry.operationCount = LoadLeInt32(p + offsetof(PatternEntry, operationCount));
  std::memcpy(entry.scriptText, p + offsetof(PatternEntry, scriptText), kPatternTextBytes);
  entry.hueShift = LoadLeInt32(p + offsetof(PatternEntry, hueShift));
  entry.ring = LoadLeInt32(p + offsetof(PatternEntry, ring));
  entry.mirror = LoadLeInt32(p + offsetof(PatternEntry, mirror));
  entry.repeat = LoadLeInt32(p + offsetof(PatternEntry, repeat));
  entry.ramp.count = LoadLeInt32(p + offsetof(PatternEntry, ramp));
  std::memcpy(entry.ramp.stops, p + offsetof(PatternEntry, ramp) + offsetof(PaletteRamp, stops),
              sizeof entry.ramp.stops);
  return entry;
}

std::string PatternScriptText(const PatternEntry& entry) {
  const void* end = std::memchr(entry.scriptText, '\0', kPatternTextBytes);
  const size_t length = end == nullptr
                            ? kPatternTextBytes
                            : static_cast<size_t>(static_cast<const char*>(end) - entry.scriptText);
  return std::string(entry.scriptText, length);
}

int CountFactoryPatterns(const std::filesystem::path& file) {
  TextRecordReader reader(file);
  TextRecord rec;
  if (!reader.isOpen() || !reader.next(rec) || !rec.kind('#', 'N')) return kFallbackPatternCount;
  return rec.number(2);
}

int LoadFactoryPattern(int n, PatternEntry& entry, const std::filesystem::path& file) {
  TextRecordReader reader(file);
  if (!reader.isOpen()) return 0;

  ScriptBuilder text;
  TextRecord rec;
  reader.next(rec);  // the header; a file too short for it simply ends below
  while (reader.next(rec)) {
    if (rec.kind('#', 'e')) break;
    if (!rec.tag('n') || rec.number(2) != n) continue;

    // Pattern n: "[" + its number as written + "]", the operations, "()".
    text.clear();
    text.append("[");
    text.append(rec, 2, 3);
    text.append("]");
    bool ended = !reader.next(rec);
    const int operations = ended ? 0 : rec.number(2);
    int kept = 0;
    for (int i = 0; i < operations; ++i) {
      if (!reader.next(rec)) {
        ended = true;
        break;
      }
      if (kept < kMaxScriptOperations) {
        text.append(rec, 1, 4);
        ++kept;
      }
    }
    text.append("()");
    entry.operationCount = kept;
    if (ended || !reader.next(rec) || rec.kind('#', 'e')) break;
    if (!rec.tag('p')) continue;  // no settings: look further for pattern n
    readSettings(reader, entry);
    break;
  }
  text.copyTo(entry.scriptText);
  return 1;
}
