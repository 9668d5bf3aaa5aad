#include "record_fields.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>
#include <sstream>

#include "options.h"

namespace {

struct FieldRule {
  const char* name;
  int32_t low;
  int32_t high;
  const char* meaning;
};

// Words 0..16 in order. Words no dialog sets take any value.
constexpr FieldRule kRules[] = {
    {"templateIndex", -1, 18, "pattern template, 0-based; -1 none"},
    {"repeat", 1, 500, "repeat number in hundredths"},
    {"sweepAngle", INT32_MIN, INT32_MAX, "degrees added to the ring views' sweep"},
    {"hueShift", 0, 359, "degrees added to every stop's hue"},
    {"sweepCentreX", INT32_MIN, INT32_MAX, "sweep centre, hundredths of the half-width"},
    {"sweepCentreY", INT32_MIN, INT32_MAX, "sweep centre, hundredths of the half-height"},
    {"setting6", INT32_MIN, INT32_MAX, "kept for the host; no effect on the picture"},
    {"setting7", INT32_MIN, INT32_MAX, "kept for the host; no effect on the picture"},
    {"mirror", 0, 1, "1: the palette runs forth and back"},
    {"ring", 0, 359, "degrees the palette is turned"},
    {"pickCount", 0, INT32_MAX, "times the template was picked in a row"},
    {"sampleNumber", 1, 12, "how the two map values combine"},
    {"storyboardPosition", 0, 257,  // 256 storyboard slots

     "0 one operation, 1 replay the script, n replay n-1 operations"},
    {"okMarker", 0, 1, "1 once the dialog's fields were checked"},
    {"identityOnly", -1, 1, "1 plain coordinates; -1 no step pictures"},
    {"forceReplay", 0, 1, "1: replay even when nothing changed"},
    {"rampCount", 1, 256, "palette ramp stops in use"},
};

std::string range(const FieldRule& rule) {
  if (rule.low == INT32_MIN) return "any";
  if (rule.high == INT32_MAX) return std::to_string(rule.low) + " or more";
  return std::to_string(rule.low) + ".." + std::to_string(rule.high);
}

// The script text up to its NUL, or nothing when the field has none.
std::optional<std::string> scriptText(const ParamRecord& r) {
  const void* end = std::memchr(r.scriptText, 0, sizeof r.scriptText);
  if (end == nullptr) return std::nullopt;
  return std::string(r.scriptText, static_cast<const char*>(end));
}

std::string escaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u >= 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\u%04x", u);
      out += hex;
    } else {
      out += c;
    }
  }
  return out;
}

// The problem with the script text, when the record replays it.
std::optional<std::string> scriptProblem(const ParamRecord& r) {
  const auto text = scriptText(r);
  if (!text) return "scriptText has no end within its 256 bytes";
  if (r.storyboardPosition != 1) return std::nullopt;
  std::string normal;
  if (auto e = NormaliseScript(*text, normal))
    return "scriptText \"" + escaped(*text) + "\": " + *e;
  return std::nullopt;
}

std::optional<std::string> rampProblem(const ParamRecord& r) {
  const int n = r.ramp.count;
  for (int k = 1; k > 0 && k < n && k < 256; ++k)
    if (r.ramp.stops[k].position < r.ramp.stops[k - 1].position)
      return "ramp stop " + std::to_string(k) + " lies before stop " + std::to_string(k - 1);
  return std::nullopt;
}

}  // namespace

std::vector<std::string> RecordProblems(const ParamRecord& r) {
  std::vector<std::string> problems;
  for (int word = 0; word <= 16; ++word) {
    const FieldRule& rule = kRules[word];
    const int32_t value = RecordWord(r, word);
    if (value < rule.low || value > rule.high)
      problems.push_back(std::string(rule.name) + " is " + std::to_string(value) + ", outside " +
                         range(rule));
  }
  if (auto e = rampProblem(r)) problems.push_back(*e);
  if (auto e = scriptProblem(r)) problems.push_back(*e);
  return problems;
}

std::string DescribeRecord(const ParamRecord& r) {
  std::ostringstream s;
  char line[160];
  s << "word  field               value        range         meaning\n";
  for (int word = 0; word <= 16; ++word) {
    const FieldRule& rule = kRules[word];
    const int32_t value = RecordWord(r, word);
    const bool outside = value < rule.low || value > rule.high;
    std::snprintf(line, sizeof line, "%4d  %-18s  %-11d  %-12s  %s%s\n", word, rule.name, value,
                  range(rule).c_str(), rule.meaning, outside ? "  <- OUTSIDE THE RANGE" : "");
    s << line;
  }
  const int n = r.ramp.count < 0 ? 0 : (r.ramp.count > 256 ? 256 : r.ramp.count);
  for (int k = 0; k < n; ++k) {
    const RampStop& st = r.ramp.stops[k];
    std::snprintf(line, sizeof line, "      stop %3d: position %3d  rgb %3d %3d %3d\n", k,
                  st.position, st.red, st.green, st.blue);
    s << line;
  }
  const auto text = scriptText(r);
  s << " 273  scriptText          \""
    << escaped(text ? *text : std::string(r.scriptText, sizeof r.scriptText)) << "\"\n";
  const auto problems = RecordProblems(r);
  if (problems.empty()) s << "every field lies within what the dialogs produce\n";
  for (const std::string& p : problems) s << "outside what the dialogs produce: " << p << '\n';
  return s.str();
}

std::string DescribeRecordJson(const ParamRecord& r) {
  std::ostringstream s;
  s << "{";
  for (int word = 0; word <= 16; ++word)
    s << "\"" << kRules[word].name << "\": " << RecordWord(r, word) << ", ";
  s << "\"ramp\": [";
  const int n = r.ramp.count < 0 ? 0 : (r.ramp.count > 256 ? 256 : r.ramp.count);
  for (int k = 0; k < n; ++k) {
    const RampStop& st = r.ramp.stops[k];
    s << (k ? ", " : "") << "[" << int(st.position) << ", " << int(st.red) << ", " << int(st.green)
      << ", " << int(st.blue) << "]";
  }
  const auto text = scriptText(r);
  s << "], \"scriptText\": \""
    << escaped(text ? *text : std::string(r.scriptText, sizeof r.scriptText)) << "\", ";
  s << "\"problems\": [";
  const auto problems = RecordProblems(r);
  for (size_t i = 0; i < problems.size(); ++i)
    s << (i ? ", " : "") << "\"" << escaped(problems[i]) << "\"";
  s << "]}\n";
  return s.str();
}
