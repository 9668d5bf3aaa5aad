// The parameter record: the filter's whole state, stored by the host between
// runs and used for every working copy inside the module.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "model/ramp.h"

inline constexpr int kRecordWords = 337;
inline constexpr size_t kRecordBytes = 1348;
inline constexpr size_t kScriptTextBytes = 256;

// Record words may hold any value: arithmetic on them wraps instead of
// overflowing.
constexpr int32_t WrappingAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

struct ParamRecord {
  int32_t templateIndex;              // 0: current template, 0-based (-1: none)
  int32_t repeat;                     // 1: repeat number in hundredths
  int32_t sweepAngle;                 // 2: conical sweep angle, degrees
  int32_t hueShift;                   // 3: degrees 0..359
  int32_t sweepCentreX;               // 4: hundredths of the half-width
  int32_t sweepCentreY;               // 5: hundredths of the half-height
  int32_t setting6;                   // 6: change detection only
  int32_t setting7;                   // 7: change detection only
  int32_t mirror;                     // 8: 0 or 1
  int32_t ring;                       // 9: palette rotation, degrees 0..359
  int32_t pickCount;                  // 10: times the current template was picked in a row
  int32_t sampleNumber;               // 11: how the maps combine into one value
  int32_t storyboardPosition;         // 12: render mode (0 single, 1 script, n >= 2 storyboard)
  int32_t okMarker;                   // 13
  int32_t identityOnly;               // 14: 1 identity, -1 no step thumbnails
  int32_t forceReplay;                // 15
  PaletteRamp ramp;                   // 16..272
  char scriptText[kScriptTextBytes];  // 273..336, NUL-terminated
};
static_assert(sizeof(ParamRecord) == kRecordBytes);
static_assert(offsetof(ParamRecord, repeat) == 0x004);
static_assert(offsetof(ParamRecord, sweepAngle) == 0x008);
static_assert(offsetof(ParamRecord, hueShift) == 0x00C);
static_assert(offsetof(ParamRecord, sweepCentreX) == 0x010);
static_assert(offsetof(ParamRecord, sweepCentreY) == 0x014);
static_assert(offsetof(ParamRecord, setting6) == 0x018);
static_assert(offsetof(ParamRecord, setting7) == 0x01C);
static_assert(offsetof(ParamRecord, mirror) == 0x020);
static_assert(offsetof(ParamRecord, ring) == 0x024);
static_assert(offsetof(ParamRecord, pickCount) == 0x028);
static_assert(offsetof(ParamRecord, sampleNumber) == 0x02C);
static_assert(offsetof(ParamRecord, storyboardPosition) == 0x030);
static_assert(offsetof(ParamRecord, okMarker) == 0x034);
static_assert(offsetof(ParamRecord, identityOnly) == 0x038);
static_assert(offsetof(ParamRecord, forceReplay) == 0x03C);
static_assert(offsetof(ParamRecord, ramp) == 0x040);
static_assert(offsetof(ParamRecord, scriptText) == 0x444);

// The constant defaults (ramp count 0): the one handed to the host (sample
// number 3) and the main dialog's (sample number 1).
ParamRecord DefaultRecordForHost();
ParamRecord DefaultRecordForDialog();

// Word i of the record as the host stores it (0 <= i < 337).
int32_t RecordWord(const ParamRecord& record, int index);
void SetRecordWord(ParamRecord& record, int index, int32_t value);

// The record's 1348 bytes, little-endian words; and back. Reading needs
// exactly 1348 bytes.
std::array<uint8_t, kRecordBytes> SerializeRecord(const ParamRecord& record);
std::optional<ParamRecord> DeserializeRecord(std::span<const uint8_t> bytes);

// Copies text into the script field, cut to fit with its NUL.
void SetScriptText(ParamRecord& record, const std::string& text);
// The script field up to its NUL (or all 256 bytes when there is none).
std::string ScriptTextOf(const ParamRecord& record);
