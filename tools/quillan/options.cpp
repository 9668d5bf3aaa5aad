#include "options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <random>
#include <sstream>

#include "animation/animation_run.h"
#include "palette/presets.h"

std::optional<std::string> ParseInt(const std::string& option, const std::string& text, int low,
                                    int high, int& value) {
  int v = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, v);
  if (text.empty() || ec != std::errc() || ptr != end)
    return option + " takes a whole number, not '" + text + "'";
  if (v < low || v > high)
    return option + " must be between " + std::to_string(low) + " and " + std::to_string(high);
  value = v;
  return std::nullopt;
}

std::optional<std::string> ParseRepeat(const std::string& text, int& hundredths) {
  // Digits, optionally a point and up to two more digits.
  size_t i = 0;
  int whole = 0, frac = 0, fracDigits = 0;
  bool digits = false;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && whole < 1000) {
    whole = whole * 10 + (text[i++] - '0');
    digits = true;
  }
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && fracDigits < 2) {
      frac = frac * 10 + (text[i++] - '0');
      ++fracDigits;
      digits = true;
    }
  }
  if (!digits || i != text.size())
    return "--repeat takes a number with at most two decimals, such as 1.25, not '" + text + "'";
  if (fracDigits == 1) frac *= 10;
  const int value = whole * 100 + frac;
  if (value < 1 || value > 500) return std::string("--repeat must be between 0.01 and 5.00");
  hundredths = value;
  return std::nullopt;
}

std::optional<std::string> ParseSize(const std::string& text, int& width, int& height) {
  const size_t x = text.find_first_of("xX");
  if (x == std::string::npos)
    return "--size takes WIDTHxHEIGHT, such as 640x480, not '" + text + "'";
  if (auto e = ParseInt("--size width", text.substr(0, x), 2, 1 << 20, width)) return e;
  if (auto e = ParseInt("--size height", text.substr(x + 1), 2, 1 << 20, height)) return e;
  return std::nullopt;
}

std::optional<std::string> NormaliseScript(const std::string& text, std::string& script) {
  std::string body = text;
  std::string head = "[000]";
  if (!body.empty() && body[0] == '[') {
    if (body.size() < 5 || body[4] != ']' || !std::isdigit(static_cast<unsigned char>(body[1])) ||
        !std::isdigit(static_cast<unsigned char>(body[2])) ||
        !std::isdigit(static_cast<unsigned char>(body[3])))
      return std::string("the script must start with '[' three digits ']'");
    head = body.substr(0, 5);
    body = body.substr(5);
  }
  if (body.size() >= 2 && body.compare(body.size() - 2, 2, "()") == 0) body.resize(body.size() - 2);
  if (body.size() % 4 != 0)
    return "the script's operations are groups of four characters such as 051-, not '" + body + "'";
  const size_t ops = body.size() / 4;
  if (ops == 0) return std::string("the script holds no operation");
  if (ops > 62) return std::string("a script holds at most 62 operations");
  for (size_t k = 0; k < ops; ++k) {
    const std::string g = body.substr(4 * k, 4);
    const bool digits = std::isdigit(static_cast<unsigned char>(g[0])) &&
                        std::isdigit(static_cast<unsigned char>(g[1])) &&
                        std::isdigit(static_cast<unsigned char>(g[2]));
    const int t = digits ? (g[0] - '0') * 10 + (g[1] - '0') : 0;
    if (!digits || t < 1 || t > 19 || g[2] == '0' || (g[3] != '-' && g[3] != '|'))
      return "script operation " + std::to_string(k + 1) + " ('" + g +
             "') must be a template 01..19, a sample 1..9 and '-' or '|'";
  }
  script = head + body + "()";
  return std::nullopt;
}

RecordOverrides RandomOverrides(uint32_t seed, int presetCount) {
  std::mt19937 gen(seed);
  // Plain remainders: std::uniform_int_distribution differs between libraries.
  auto pick = [&gen](int low, int high) {
    return low + static_cast<int>(gen() % static_cast<uint32_t>(high - low + 1));
  };
  RecordOverrides o;
  std::string script = "[000]";
  for (int k = pick(1, 5); k > 0; --k) {
    const int t = pick(1, 19);
    script += std::to_string(t / 10) + std::to_string(t % 10) + std::to_string(pick(1, 6)) + "-";
  }
  o.script = script + "()";
  if (presetCount > 0) o.preset = pick(1, std::min(presetCount, 999));
  o.hue = pick(0, 359);
  o.ring = pick(0, 359);
  o.repeatHundredths = pick(50, 300);
  o.mirror = pick(0, 1) == 1;
  return o;
}

RecordOverrides OverlayOverrides(const RecordOverrides& base, const RecordOverrides& top) {
  RecordOverrides o = base;
  if (top.script) o.script = top.script;
  if (top.templateNumber) o.templateNumber = top.templateNumber;
  if (top.sample) o.sample = top.sample;
  if (top.repeatHundredths) o.repeatHundredths = top.repeatHundredths;
  o.mirror = base.mirror || top.mirror;
  if (top.hue) o.hue = top.hue;
  if (top.ring) o.ring = top.ring;
  if (top.preset || top.presetName) {
    o.preset = top.preset;
    o.presetName = top.presetName;
  }
  return o;
}

void ApplyOverrides(const RecordOverrides& o, ParamRecord& record) {
  if (o.preset) LoadRampPreset(*o.preset, record.ramp);
  if (o.script) {
    SetScriptText(record, *o.script);
    record.storyboardPosition = 1;
  }
  if (o.templateNumber) record.templateIndex = *o.templateNumber - 1;
  if (o.sample) record.sampleNumber = *o.sample;
  if (o.repeatHundredths) record.repeat = *o.repeatHundredths;
  if (o.mirror) record.mirror = 1;
  if (o.hue) record.hueShift = *o.hue;
  if (o.ring) record.ring = *o.ring;
}

bool TakeOverride(const std::vector<std::string>& args, size_t& i, RecordOverrides& o,
                  std::string& error) {
  const std::string& a = args[i];
  if (a == "--mirror") {
    o.mirror = true;
    return true;
  }
  static const char* const valued[] = {"--script", "--template", "--sample", "--repeat",
                                       "--hue",    "--ring",     "--preset"};
  bool known = false;
  for (const char* v : valued) known = known || a == v;
  if (!known) return false;
  if (i + 1 >= args.size()) {
    error = a + " needs a value";
    return true;
  }
  const std::string& v = args[++i];
  int n = 0;
  std::optional<std::string> e;
  if (a == "--script") {
    std::string s;
    if (!(e = NormaliseScript(v, s))) o.script = s;
  } else if (a == "--template") {
    if (!(e = ParseInt(a, v, 1, 19, n))) o.templateNumber = n;
  } else if (a == "--sample") {
    if (!(e = ParseInt(a, v, 1, 12, n))) o.sample = n;
  } else if (a == "--repeat") {
    if (!(e = ParseRepeat(v, n))) o.repeatHundredths = n;
  } else if (a == "--hue") {
    if (!(e = ParseInt(a, v, 0, 359, n))) o.hue = n;
  } else if (a == "--ring") {
    if (!(e = ParseInt(a, v, 0, 359, n))) o.ring = n;
  } else if (a == "--preset") {
    // A number, or a name the presets file gives (resolved when it is read).
    if (!v.empty() && std::isdigit(static_cast<unsigned char>(v[0]))) {
      if (!(e = ParseInt(a, v, 1, 999, n))) o.preset = n;
    } else if (v.empty()) {
      e = "--preset takes a number or a name";
    } else {
      o.presetName = v;
    }
  }
  if (e) error = *e;
  return true;
}

std::optional<std::string> ParseCommandOptions(const std::vector<std::string>& args, bool allowSize,
                                               CommandOptions& out) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string error;
    if (TakeOverride(args, i, out.overrides, error)) {
      if (!error.empty()) return error;
      continue;
    }
    if (allowSize && a == "--lenient") {
      out.lenient = true;
      continue;
    }
    if (allowSize && a == "--random") {
      out.random = true;
      continue;
    }
    if (allowSize && a == "--seed") {
      int seed = 0;
      if (i + 1 >= args.size()) return std::string("--seed needs a value");
      if (auto e = ParseInt(a, args[++i], 0, 2147483647, seed)) return e;
      out.seed = static_cast<uint32_t>(seed);
      continue;
    }
    const bool rendering = allowSize && (a == "--size" || a == "--threads" ||
                                         a == "--compression" || a == "--save-record");
    if (a == "-o" || a == "--record" || rendering) {
      if (i + 1 >= args.size()) return a + " needs a value";
      const std::string& v = args[++i];
      if (a == "-o") out.output = v;
      if (a == "--record") out.recordFile = v;
      if (a == "--size") {
        if (auto e = ParseSize(v, out.width, out.height)) return e;
      }
      if (a == "--save-record") out.saveRecord = v;
      if (a == "--threads") {
        if (auto e = ParseInt(a, v, 1, 64, out.threads)) return e;
      }
      if (a == "--compression") {
        if (v != "fast" && v != "small")
          return "--compression takes fast or small, not '" + v + "'";
        out.smallPng = v == "small";
      }
      continue;
    }
    return "unknown option '" + a + "'";
  }
  if (out.output.empty()) return std::string("-o OUT is required");
  if (out.seed && !out.random) return std::string("--seed goes with --random");
  return std::nullopt;
}

std::optional<std::string> ParseAnimateOptions(const std::vector<std::string>& args,
                                               CommandOptions& out) {
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--frames") {
      if (i + 1 >= args.size()) return std::string("--frames needs a value");
      if (auto e = ParseInt("--frames", args[++i], kMinFrames, kMaxFrames, out.frames)) return e;
      continue;
    }
    if (args[i] == "--delay") {
      if (i + 1 >= args.size()) return std::string("--delay needs a value");
      if (auto e = ParseInt("--delay", args[++i], 1, 65535, out.delay)) return e;
      continue;
    }
    rest.push_back(args[i]);
  }
  if (auto e = ParseCommandOptions(rest, true, out)) return e;
  if (out.frames == 0) return std::string("--frames F (2..900) is required");
  if (!out.overrides.script && out.recordFile.empty())
    return std::string("--script TEXT (or --record FILE holding a storyboard) is required");
  return std::nullopt;
}
