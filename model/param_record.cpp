#include "model/param_record.h"

#include <cstring>

namespace {

ParamRecord baseDefaults() {
  ParamRecord r{};
  r.templateIndex = 4;
  r.repeat = 100;
  r.sweepAngle = 135;
  r.setting6 = 500;
  r.setting7 = 50;
  r.ring = 3;
  r.pickCount = 6;
  r.okMarker = 1;
  return r;
}

}  // namespace

ParamRecord DefaultRecordForHost() {
  ParamRecord r = baseDefaults();
  r.sampleNumber = 3;
  return r;
}

ParamRecord DefaultRecordForDialog() {
  ParamRecord r = baseDefaults();
  r.sampleNumber = 1;
  return r;
}

std::array<uint8_t, kRecordBytes> SerializeRecord(const ParamRecord& record) {
  std::array<uint8_t, kRecordBytes> out{};
  for (int i = 0; i < kRecordWords; ++i) {
    const auto w = static_cast<uint32_t>(RecordWord(record, i));
    for (int k = 0; k < 4; ++k) out[4 * i + k] = static_cast<uint8_t>(w >> (8 * k));
  }
  return out;
}

std::optional<ParamRecord> DeserializeRecord(std::span<const uint8_t> bytes) {
  if (bytes.size() != kRecordBytes) return std::nullopt;
  ParamRecord r{};
  for (int i = 0; i < kRecordWords; ++i) {
    uint32_t w = 0;
    for (int k = 0; k < 4; ++k) w |= static_cast<uint32_t>(bytes[4 * i + k]) << (8 * k);
    SetRecordWord(r, i, static_cast<int32_t>(w));
  }
  return r;
}

int32_t RecordWord(const ParamRecord& record, int index) {
  if (index < 0 || index >= kRecordWords) return 0;
  const auto* b = reinterpret_cast<const uint8_t*>(&record) + 4 * index;
  if (index > 16) {
    // Stops and text are byte fields: the word is their bytes read little-endian.
    return static_cast<int32_t>(b[0] | (b[1] << 8) | (b[2] << 16) |
                                (static_cast<uint32_t>(b[3]) << 24));
  }
  int32_t w;
  std::memcpy(&w, b, 4);
  return w;
}

void SetRecordWord(ParamRecord& record, int index, int32_t value) {
  if (index < 0 || index >= kRecordWords) return;
  auto* b = reinterpret_cast<uint8_t*>(&record) + 4 * index;
  if (index > 16) {
    const auto v = static_cast<uint32_t>(value);
    b[0] = static_cast<uint8_t>(v);
    b[1] = static_cast<uint8_t>(v >> 8);
    b[2] = static_cast<uint8_t>(v >> 16);
    b[3] = static_cast<uint8_t>(v >> 24);
  } else {
    std::memcpy(b, &value, 4);
  }
}

void SetScriptText(ParamRecord& record, const std::string& text) {
  std::memset(record.scriptText, 0, kScriptTextBytes);
  const size_t n = text.size() < kScriptTextBytes - 1 ? text.size() : kScriptTextBytes - 1;
  std::memcpy(record.scriptText, text.data(), n);
}

std::string ScriptTextOf(const ParamRecord& record) {
  size_t n = 0;
  while (n < kScriptTextBytes && record.scriptText[n] != '\0') ++n;
  return std::string(record.scriptText, n);
}
