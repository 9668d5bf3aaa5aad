#include "commands.h"

#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <random>

#include "animation/animation_run.h"
#include "animation/bmp_writer.h"
#include "animation/frame_sinks.h"
#include "engine/script.h"
#include "image_files.h"
#include "options.h"
#include "palette/presets.h"
#include "platform/x32base/buf32.h"
#include "platform/x32base/buf32_guards.h"
#include "platform/x32comm/x32comm.h"
#include "platform/x32file/replacing_file.h"
#include "plugin/plugin_info.h"
#include "progress_bar.h"
#include "record_fields.h"

namespace {

std::string lowerExtension(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

// Refuses work that keeps `pixelBytes` a pixel for the whole picture and could
// not fit in this machine's memory, before anything is allocated.
std::optional<std::string> checkMemory(int width, int height, int pixelBytes) {
  const double bytes = static_cast<double>(width) * height * pixelBytes;
  const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGE_SIZE);
  const double physical = pages > 0 && pageSize > 0 ? static_cast<double>(pages) * pageSize : 0.0;
  if (physical > 0.0 && bytes > physical * 0.8)
    return "a " + std::to_string(width) + "x" + std::to_string(height) + " texture needs about " +
           std::to_string(static_cast<long long>(bytes / (1 << 20))) +
           " MiB, more than this machine has";
  return std::nullopt;
}

}  // namespace

std::optional<std::string> LoadCommandRecord(const CommandOptions& a, ParamRecord& record) {
  record = HostDefaultRecord();
  if (!a.recordFile.empty()) {
    if (auto e = ReadRecordFile(a.recordFile, record)) return e;
  }
  RecordOverrides overrides = a.overrides;
  if (overrides.presetName) {
    const auto file = RampPresetsFile();
    for (const RampPresetName& p : RampPresetNames(file)) {
      if (strcasecmp(p.name.c_str(), overrides.presetName->c_str()) != 0) continue;
      overrides.preset = p.number;  // the first of a name
      break;
    }
    if (!overrides.preset)
      return "no preset named '" + *overrides.presetName + "' in " + file.string() +
             " (quillan presets lists them)";
  }
  if (overrides.preset) {
    // A preset asked for by number must be there, whole.
    PaletteRamp ramp{};
    if (auto e = ReadRampPresetStrictly(*overrides.preset, RampPresetsFile(), ramp); !e.empty())
      return e;
    record.ramp = ramp;
    overrides.preset.reset();
  } else if (a.recordFile.empty() && !std::filesystem::exists(RampPresetsFile())) {
    std::fprintf(stderr, "quillan: warning: no presets file %s; the ramp is black to white\n",
                 RampPresetsFile().string().c_str());
  }
  ApplyOverrides(overrides, record);
  // A record file is checked as the dialogs would have made it; --lenient
  // renders anything, as the module's silent run does.
  if (!a.recordFile.empty() && !a.lenient) {
    if (const auto problems = RecordProblems(record); !problems.empty())
      return "record file " + a.recordFile + ": " + problems.front() +
             " (quillan record show lists every field; --lenient renders it as the module would)";
  }
  return std::nullopt;
}

namespace {

// Keeps the record that made the picture when --save-record asks for it.
std::optional<std::string> saveRecord(const CommandOptions& a, const ParamRecord& record) {
  std::string error;
  if (a.saveRecord.empty() || WriteFileAtomically(a.saveRecord, SerializeRecord(record), &error))
    return std::nullopt;
  return error;
}

}  // namespace

int Fail(int code, const std::string& message) {
  std::fprintf(stderr, "quillan: %s\n", message.c_str());
  return code;
}

int FinishStandardOutput() {
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout))
    return Fail(kExitFailure, WriteFailure("standard output"));
  return 0;
}

std::optional<std::string> ReadRecordFile(const std::string& path, ParamRecord& record) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return "no record file " + path;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec || size != kRecordBytes)
    return "record file " + path + " is " + std::to_string(ec ? 0 : size) +
           " bytes; a record is 1348 bytes";
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes(kRecordBytes);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
    return "cannot read record file " + path;
  record = *DeserializeRecord(bytes);
  return std::nullopt;
}

int RunRender(const std::vector<std::string>& args) {
  CommandOptions a;
  if (auto e = ParseCommandOptions(args, true, a)) return Fail(kExitUsage, *e);
  const bool toStdout = a.output == "-";
  const std::string ext = toStdout ? ".png" : lowerExtension(a.output);
  if (ext != ".png" && ext != ".bmp")
    return Fail(kExitUsage,
                "the output must end in .png or .bmp (or be - for a PNG on standard "
                "output): " +
                    a.output);
  if (toStdout && isatty(STDOUT_FILENO))
    return Fail(kExitUsage, "-o - writes a PNG to standard output, which is a terminal here");
  if (a.random) {
    if (!a.seed) {
      a.seed = std::random_device{}() & 0x7FFFFFFF;
      std::fprintf(stderr, "quillan: --random --seed %u\n", static_cast<unsigned>(*a.seed));
    }
    const int presets = std::filesystem::exists(RampPresetsFile()) ? CountRampPresets() : 0;
    a.overrides = OverlayOverrides(RandomOverrides(*a.seed, presets), a.overrides);
  }
  ParamRecord record{};
  if (auto e = LoadCommandRecord(a, record)) return Fail(kExitFailure, *e);
  if (auto e = saveRecord(a, record)) return Fail(kExitFailure, *e);
  return RenderToFile(a, record);
}

int RenderToFile(const CommandOptions& a, const ParamRecord& record) {
  const std::string ext = a.output == "-" ? ".png" : lowerExtension(a.output);
  // A PNG takes the rows as they come; a BMP, stored from the bottom up, is
  // gathered whole first.
  const bool png = ext == ".png";
  if (auto e = checkMemory(a.width, a.height, png ? 0 : 3)) return Fail(kExitFailure, *e);

  PngRowWriter pngFile;
  Buf32Owner image;
  if (png) {
    const auto compression = a.smallPng ? PngCompression::kSmall : PngCompression::kFast;
    if (auto e = pngFile.Open(a.output, a.width, a.height, compression); !e.empty())
      return Fail(kExitFailure, e);
  } else if (!image.allocate(24, a.width, a.height) ||
             !buf32Lock(image.handle, kBuf32Write, nullptr)) {
    return Fail(kExitFailure, "not enough memory for a " + std::to_string(a.width) + "x" +
                                  std::to_string(a.height) + " image");
  }
  const RowSink sink = [&](int first, int rows, const uint8_t* rgb, size_t stride) {
    if (png) return pngFile.Write(rgb, rows, stride) && !Interrupted();
    for (int y = 0; y < rows; ++y)
      buf32Line(image.handle, first + y, kBuf32Write, const_cast<uint8_t*>(rgb + y * stride));
    return true;
  };
  RenderStatus status = kRenderOk;
  {
    ProgressBar bar("rendering");
    const ProgressBlock block = bar.block();
    // As the module's silent run renders the record in a fresh session.
    RenderSession session;
    session.SetThreads(a.threads);
    session.SetReplayRequest(2);
    status = session.RenderOnce(record, DecodeRenderMode(record), a.width, a.height, sink, &block)
                 .status;
    if (status == kRenderOk) bar.complete();
  }
  if (status == kRenderStopped || Interrupted())
    return Fail(kExitInterrupted, "cancelled; nothing written");
  if (status != kRenderOk)
    return Fail(kExitFailure, png ? WriteFailure(a.output)
                                  : "not enough memory to render a " + std::to_string(a.width) +
                                        "x" + std::to_string(a.height) + " texture");
  if (png) {
    if (auto e = pngFile.Finish(); !e.empty()) return Fail(kExitFailure, e);
  } else {
    buf32Unlock(image.handle);
    errno = 0;
    if (WriteBmpFile(a.output.c_str(), image.handle) != 1)
      return Fail(kExitFailure, WriteFailure(a.output));
  }
  return 0;
}

int RunPresets(const std::vector<std::string>& args) {
  if (!args.empty()) return Fail(kExitUsage, "presets takes no arguments");
  const auto file = RampPresetsFile();
  PaletteRamp ramp{};
  // The count comes from the file's header; a damaged file says so at once.
  std::string error = ReadRampPresetStrictly(1, file, ramp);
  if (!error.empty() && error.find("preset 1 ") == std::string::npos)
    return Fail(kExitFailure, error);
  const int count = CountRampPresets(file);
  std::printf("%s: %d presets (number, name, then position:rrggbb of each stop)\n",
              file.string().c_str(), count);
  const auto names = RampPresetNames(file);
  for (int n = 1; n <= count; ++n) {
    error = ReadRampPresetStrictly(n, file, ramp);
    std::string name;
    for (const RampPresetName& p : names)
      if (p.number == n) name = p.name;
    std::printf("%3d  %-14s", n, name.c_str());
    if (!error.empty()) {
      std::printf(" %s\n", error.c_str());
      continue;
    }
    for (int i = 0; i < ramp.count; ++i)
      std::printf(" %d:%02x%02x%02x", ramp.stops[i].position, ramp.stops[i].red,
                  ramp.stops[i].green, ramp.stops[i].blue);
    std::printf("\n");
  }
  return FinishStandardOutput();
}

int RunTemplates(const std::vector<std::string>& args) {
  if (!args.empty()) return Fail(kExitUsage, "templates takes no arguments");
  // What each template does to a pixel's pair (x, y) of the current maps, 0..1
  // across the picture; u = 2x - 1, v = 2y - 1.
  static const char* const kTemplates[] = {
      "sin(pi x), cos(pi y): waves",
      "sin(pi y), cos(pi x): waves turned",
      "log(1 + 9|u|), log(1 + 9|v|): a cross of logarithms",
      "a parabola folded and turned by the sweep angle",
      "the smaller of 0.1 + 0.4|u| and 0.1 + 0.4|v| wrapped round the larger: nested squares",
      "sin(pi x) + y, cos(pi y) + x: waves drawn along",
      "distance and angle from the centre: rings and rays",
      "angle and distance from (0.73, 0.33): an off-centre swirl",
      "log(1 + 9|u|) + y, log(1 + 9|v|) + x: a drawn-out cross",
      "cos(2 pi x) + y, sin(2 pi y) + x: double waves",
      "2y + k - 1, k + 1 - 2x: a turn by the sweep setting k",
      "the larger of |u| and |v| with the other: square rings",
      "x and y pushed by tan: stretched stripes",
      "distance and angle from the corner: quarter rings",
      "u, v turned by the sweep angle and folded: a tilted grid",
      "a quotient of circles: an off-centre lens",
      "u^2 - v^2, 2uv: the square of u + iv",
      "a parabola in 2x and 2y: curved bands",
      "x^2 - y^2, 2xy: the square of x + iy",
  };
  for (int t = 0; t < 19; ++t) std::printf("%2d  %s\n", t + 1, kTemplates[t]);
  return FinishStandardOutput();
}

int RunRecordNew(const std::vector<std::string>& args) {
  CommandOptions a;
  if (auto e = ParseCommandOptions(args, false, a)) return Fail(kExitUsage, *e);
  ParamRecord record{};
  if (auto e = LoadCommandRecord(a, record)) return Fail(kExitFailure, *e);
  const auto bytes = SerializeRecord(record);
  std::string error;
  if (!WriteFileAtomically(a.output, bytes, &error)) return Fail(kExitFailure, error);
  return 0;
}

int RunRecordShow(const std::vector<std::string>& args) {
  std::vector<std::string> files;
  bool json = false;
  for (const std::string& a : args) {
    if (a == "--json") {
      json = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return Fail(kExitUsage, "unknown option '" + a + "'");
    } else {
      files.push_back(a);
    }
  }
  if (files.size() != 1) return Fail(kExitUsage, "record show takes one record file");
  ParamRecord record{};
  if (auto e = ReadRecordFile(files[0], record)) return Fail(kExitFailure, *e);
  std::fputs((json ? DescribeRecordJson(record) : DescribeRecord(record)).c_str(), stdout);
  return FinishStandardOutput();
}

int RunAnimate(const std::vector<std::string>& args) {
  CommandOptions a;
  if (auto e = ParseAnimateOptions(args, a)) return Fail(kExitUsage, *e);
  const std::string ext = lowerExtension(a.output);
  if (ext != ".gif" && ext != ".bmp")
    return Fail(kExitUsage, "the output must end in .gif or .bmp: " + a.output);
  ParamRecord record{};
  if (auto e = LoadCommandRecord(a, record)) return Fail(kExitFailure, *e);
  if (auto e = saveRecord(a, record)) return Fail(kExitFailure, *e);
  // Frames are rendered from full-size maps (four of 8 bytes a pixel) and kept
  // as images while they are written.
  if (auto e = checkMemory(a.width, a.height, 4 * 8 + 2 * 3)) return Fail(kExitFailure, *e);

  AnimationJob job;
  job.operations = ScriptOperations(record.scriptText, kScriptTextBytes);
  if (job.operations.size() < 2)
    return Fail(kExitUsage, "an animation needs a storyboard of at least two operations");
  job.itemCount = static_cast<int>(job.operations.size());
  job.frameCount = a.frames;
  job.record = record;
  job.record.storyboardPosition = 0;

  Buf32Owner source;
  if (!buf32Alloc(&source.handle, 24, a.width, a.height, 0, nullptr))
    return Fail(kExitFailure, "not enough memory for a " + std::to_string(a.width) + "x" +
                                  std::to_string(a.height) + " image");
  job.source = source.handle;

  std::unique_ptr<FrameSink> sink;
  if (ext == ".gif") {
    auto gif = std::make_unique<GifSink>(a.output, a.frames, a.threads, a.delay);
    gif->setStopWriting(Interrupted);
    sink = std::move(gif);
  } else {
    const size_t dot = a.output.rfind('.');
    auto names = MakeFrameFileName(a.output, dot + 1);
    if (!names) return Fail(kExitUsage, "the file name is too long: " + a.output);
    sink = std::make_unique<SequenceSink>(*names);
  }
  AnimationOutcome outcome;
  {
    ProgressBar bar("animating");
    job.progress = bar.block();
    RenderSession session;
    session.SetThreads(a.threads);
    outcome = RunAnimation(session, job, *sink);
  }
  if (Interrupted() && outcome != AnimationOutcome::kDone) outcome = AnimationOutcome::kStopped;
  switch (outcome) {
    case AnimationOutcome::kDone: return 0;
    case AnimationOutcome::kStopped:
      return Fail(kExitInterrupted, ext == ".gif" ? "cancelled; nothing written"
                                                  : "cancelled; the frames written so far stay");
    case AnimationOutcome::kRenderFailed:
      return Fail(kExitFailure, "not enough memory to render the frames");
    case AnimationOutcome::kWriteFailed: return Fail(kExitFailure, WriteFailure(a.output));
    case AnimationOutcome::kFinishFailed:
      return Fail(kExitFailure, "unable to save gif file " + a.output);
  }
  return kExitFailure;
}
