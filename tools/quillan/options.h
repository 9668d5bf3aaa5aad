// Command-line options that change a parameter record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/param_record.h"

// Values given on the command line; unset ones leave the record alone.
struct RecordOverrides {
  std::optional<std::string> script;
  std::optional<int> templateNumber;  // 1..19
  std::optional<int> sample;          // 1..12
  std::optional<int> repeatHundredths;
  bool mirror = false;
  std::optional<int> hue;
  std::optional<int> ring;
  std::optional<int> preset;
  std::optional<std::string> presetName;  // --preset NAME, looked up in the presets file
};

// Parses a number option value; a message on failure.
std::optional<std::string> ParseInt(const std::string& option, const std::string& text, int low,
                                    int high, int& value);
// "2.5", "2.50", "1" -> hundredths; 0.01..5.00.
std::optional<std::string> ParseRepeat(const std::string& text, int& hundredths);
// "WxH", both at least 2.
std::optional<std::string> ParseSize(const std::string& text, int& width, int& height);
// Normalises a storyboard script: accepts the full form "[000]051-123|()" or
// just the operation groups "051-123|". Each group is a two-digit template
// number 01..19, a sample digit 1..9 and "-" (applied) or "|" (sample only);
// at most 62 groups. Returns the full form, or a message.
std::optional<std::string> NormaliseScript(const std::string& text, std::string& script);

// A random storyboard of 1 to 5 applied operations (templates 1..19, samples
// 1..6) with a random preset (1..presetCount; none when 0), hue, ring, repeat
// (0.50..3.00) and mirror: the same for the same seed on every machine.
RecordOverrides RandomOverrides(uint32_t seed, int presetCount);
// `top`'s values where it has them, else `base`'s.
RecordOverrides OverlayOverrides(const RecordOverrides& base, const RecordOverrides& top);

// Applies the overrides to the record (the preset loads ramp preset N).
void ApplyOverrides(const RecordOverrides& o, ParamRecord& record);

// Consumes the override option at args[i] (and its value); returns false when
// args[i] is not an override option, a message through `error` when its value
// is bad.
bool TakeOverride(const std::vector<std::string>& args, size_t& i, RecordOverrides& o,
                  std::string& error);

// What the arguments of render, animate and record new ask for.
struct CommandOptions {
  std::string output;
  std::string recordFile;
  int width = 640;
  int height = 480;
  int frames = 0;                // animate only
  int delay = 10;                // animate: a GIF frame's time in hundredths of a second
  int threads = 0;               // 0: one per processor
  bool smallPng = false;         // --compression small
  std::string saveRecord;        // --save-record FILE: the record that made the picture
  bool lenient = false;          // --lenient: render a record the dialogs could not have made
  bool random = false;           // --random: a random storyboard and colours
  std::optional<uint32_t> seed;  // --seed N for --random
  RecordOverrides overrides;
};

// Parses the options of render (`allowSize`) and record new; a message on a
// usage error. -o is required.
std::optional<std::string> ParseCommandOptions(const std::vector<std::string>& args, bool allowSize,
                                               CommandOptions& out);
// The options of animate: those of render, and --frames F (required) and
// --script TEXT (required unless --record names a record holding one).
std::optional<std::string> ParseAnimateOptions(const std::vector<std::string>& args,
                                               CommandOptions& out);
