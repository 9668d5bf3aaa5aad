// libFuzzer targets: the presets file and the template file readers
// (DATA_FILE_PRESETS or DATA_FILE_TEMPLATES picks which at build time).
//
// The input is the whole file. Every preset or pattern the file claims is
// read; the strict preset reader must agree with the module's reader on
// every preset it accepts, and a ramp or pattern read must stay within its
// fixed layout.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/script.h"
#include "engine/template_file.h"
#include "fuzz_file.h"
#include "palette/presets.h"

namespace {

void CheckRamp(const PaletteRamp& ramp) {
  if (ramp.count < 0 || ramp.count > 256) __builtin_trap();
}

// The numbers worth reading in a file that claims `count` entries: the first
// few, the last and the ones just outside (a header may claim millions).
std::vector<int> Numbers(int count) {
  std::vector<int> n;
  for (int i = -1; i <= std::min(count, 40); ++i) n.push_back(i);
  for (const int i : {count, count + 1})
    if (i > 40) n.push_back(i);
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
#if defined(DATA_FILE_PRESETS)
  const std::string& file = WriteFuzzFile(data, size, ".xpl");
  const int count = CountRampPresets(file);
  for (const int n : Numbers(count)) {
    PaletteRamp loose{};
    LoadRampPreset(n, loose, file);
    CheckRamp(loose);
    PaletteRamp strict{};
    if (ReadRampPresetStrictly(n, file, strict).empty()) {
      CheckRamp(strict);
      if (std::memcmp(&strict, &loose, sizeof strict) != 0) __builtin_trap();
    }
  }
#elif defined(DATA_FILE_TEMPLATES)
  const std::string& file = WriteFuzzFile(data, size, ".dat");
  const int count = CountFactoryPatterns(file);
  for (const int n : Numbers(count)) {
    PatternEntry entry{};
    if (LoadFactoryPattern(n, entry, file) == 0) continue;
    CheckRamp(entry.ramp);
    const std::string text = PatternScriptText(entry);
    ScriptOperations(text.data(), text.size());
  }
#else
#error "pick the file: DATA_FILE_PRESETS or DATA_FILE_TEMPLATES"
#endif
  return 0;
}
