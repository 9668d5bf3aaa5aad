// The command line's commands. Each returns the process exit code.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/param_record.h"

inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 130;

// Prints "quillan: message" on stderr and returns `code`.
int Fail(int code, const std::string& message);
// Flushes what a command printed: 0, or 1 with the reason when it could not
// all be written.
int FinishStandardOutput();

int RunRender(const std::vector<std::string>& args);
// Renders `record` at the options' size into the options' output (.png or
// .bmp), as the module's silent run renders it.
struct CommandOptions;
int RenderToFile(const CommandOptions& options, const ParamRecord& record);
// quillan library: the pattern library file.
int RunLibrary(const std::vector<std::string>& args);
int RunAnimate(const std::vector<std::string>& args);
int RunRecordNew(const std::vector<std::string>& args);
// Lists the ramp presets of the presets file, and the pattern templates.
int RunPresets(const std::vector<std::string>& args);
int RunTemplates(const std::vector<std::string>& args);
int RunRecordShow(const std::vector<std::string>& args);
// Lists or exports the ramp samples of the samples file.
int RunRamps(const std::vector<std::string>& args);

// The record a command starts from: --record or the host's default, the
// record options applied, checked unless --lenient; a message on failure.
struct CommandOptions;
std::optional<std::string> LoadCommandRecord(const CommandOptions& options, ParamRecord& record);

// Reads a 1348-byte record file; a message on failure.
std::optional<std::string> ReadRecordFile(const std::string& path, ParamRecord& record);
