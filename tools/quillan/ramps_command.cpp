// quillan ramps: the Palette Ramp Editor's samples file listed, or exported
// as one thumbnail and one ramp text per sample.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "commands.h"
#include "image_files.h"
#include "library/ramp_samples.h"
#include "platform/x32base/buf32_guards.h"
#include "platform/x32file/replacing_file.h"

namespace {

namespace fs = std::filesystem;

struct NamedSample {
  std::string label;
  RampSample sample;
};

// The samples of `file` in the list's order; a sentence naming the file and
// what is wrong with it on failure.
std::string readSamples(const fs::path& file, std::vector<NamedSample>& out) {
  std::error_code ec;
  if (!fs::is_regular_file(file, ec))
    return "no ramp samples file " + file.string() +
           " (the Palette Ramp Editor writes it when it closes with OK)";
  RampSampleList list;
  if (!list.Open(file)) return file.string() + " is damaged or not a ramp samples file";
  for (int32_t p = 0; p < list.Count(); ++p) {
    const int32_t id = list.IdAt(p);
    const auto sample = list.Sample(id);
    const std::string problem = sample ? RampSampleProblem(*sample) : "it holds no ramp";
    if (!problem.empty())
      return file.string() + ": sample " + std::to_string(p + 1) + " \"" + list.Label(id) +
             "\": " + problem;
    out.push_back({list.Label(id), *sample});
  }
  return {};
}

std::string number3(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%03d", n);
  return text;
}

// One 20-byte record: the text cut or padded to 18 bytes and a line end.
std::string record(const std::string& text) {
  std::string r = text.substr(0, 18);
  r.resize(18, ' ');
  return r + "\r\n";
}

// The ramp as a presets file holding it as preset 1 (so it can stand in for
// gfill.xpl); the label, hue shift and ring ride in the records' unread bytes.
std::string rampText(const NamedSample& s) {
  const PaletteRamp& ramp = s.sample.ramp;
  std::string text = record("#N001 " + s.label) +
                     record("#p001 hue " + std::to_string(s.sample.hueShift)) +
                     record("#n" + number3(ramp.count) + " ring " + std::to_string(s.sample.ring));
  for (int i = 0; i < ramp.count; ++i) {
    const RampStop& st = ramp.stops[i];
    text += record(number3(st.position) + " " + number3(st.red) + " " + number3(st.green) + " " +
                   number3(st.blue));
  }
  return text + record("#e");
}

int exportSamples(const std::vector<NamedSample>& samples, const fs::path& dir) {
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) return Fail(kExitFailure, "no such folder: " + dir.string());
  std::vector<fs::path> written;
  std::string error;
  for (size_t i = 0; i < samples.size() && error.empty(); ++i) {
    const fs::path base = dir / ("sample-" + number3(static_cast<int>(i + 1)));
    const std::string text = rampText(samples[i]);
    const Buf32Owner image(MakeRampSampleThumbnail(samples[i].sample));
    error = WritePngImage(fs::path(base).replace_extension(".png"), image.get());
    if (error.empty()) written.push_back(fs::path(base).replace_extension(".png"));
    if (error.empty() &&
        WriteFileAtomically(fs::path(base).replace_extension(".txt"),
                            {reinterpret_cast<const uint8_t*>(text.data()), text.size()}, &error))
      written.push_back(fs::path(base).replace_extension(".txt"));
  }
  if (error.empty()) return 0;
  for (const fs::path& p : written) fs::remove(p, ec);  // all or nothing
  return Fail(kExitFailure, error);
}

}  // namespace

int RunRamps(const std::vector<std::string>& args) {
  std::string command, dir;
  fs::path file = RampSamplesFile();
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--samples") {
      if (i + 1 >= args.size()) return Fail(kExitUsage, "--samples needs a file");
      file = args[++i];
    } else if (command.empty()) {
      command = args[i];
    } else if (command == "export" && dir.empty()) {
      dir = args[i];
    } else {
      return Fail(kExitUsage, "ramps: unexpected argument '" + args[i] + "'");
    }
  }
  if (command != "list" && command != "export")
    return Fail(kExitUsage, "ramps needs 'list' or 'export DIR'");
  if (command == "export" && dir.empty()) return Fail(kExitUsage, "ramps export needs a folder");
  std::vector<NamedSample> samples;
  if (auto e = readSamples(file, samples); !e.empty()) return Fail(kExitFailure, e);
  if (command == "export") return exportSamples(samples, dir);
  std::printf("%s: %zu ramp samples (stops, hue shift, ring, name)\n", file.string().c_str(),
              samples.size());
  for (size_t i = 0; i < samples.size(); ++i) {
    const RampSample& s = samples[i].sample;
    std::printf("%3zu %4d %4d %4d  %s\n", i + 1, s.ramp.count, s.hueShift, s.ring,
                samples[i].label.c_str());
  }
  return FinishStandardOutput();
}
