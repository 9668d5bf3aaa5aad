// Files of fixed 20-byte text records: the factory patterns and the palette
// ramp presets that ship beside the module. Records are read one after
// another from the start; nothing but the record length frames them.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>

inline constexpr int kTextRecordBytes = 20;

struct TextRecord {
  std::array<uint8_t, kTextRecordBytes> b;

  // Three characters at `at`..`at` + 2 as a decimal number: 100 b0 + 10 b1 +
  // b2 - 5328 (111 times the code of '0'). The bytes are not checked to be
  // digits, so any bytes give some number in -5328..22977.
  int number(int at) const {
    return 100 * b[static_cast<size_t>(at)] + 10 * b[static_cast<size_t>(at) + 1] +
           b[static_cast<size_t>(at) + 2] - 5328;
  }
  // The same number cut to its low eight bits (stop positions and colours).
  uint8_t byteNumber(int at) const { return static_cast<uint8_t>(number(at)); }
  bool kind(char first, char second) const {
    return b[0] == static_cast<uint8_t>(first) && b[1] == static_cast<uint8_t>(second);
  }
  bool tag(char second) const { return b[1] == static_cast<uint8_t>(second); }
};

// Reads a record file from its start. Only an existing regular file is
// opened (a directory, a device or a pipe is treated as missing, so a read
// never waits and always reaches an end). A read that finds fewer than 20
// bytes is the physical end of the file.
class TextRecordReader {
 public:
  explicit TextRecordReader(const std::filesystem::path& path);
  bool isOpen() const { return file_.is_open(); }
  // The next whole record; false at the end of the file (or when not open).
  bool next(TextRecord& record);

 private:
  std::ifstream file_;
  bool ended_ = false;
};
