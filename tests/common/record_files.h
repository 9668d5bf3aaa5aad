// Text files of fixed 20-byte records (the pattern and preset files) for
// tests, and a fixture that writes them into a scratch folder and restores
// the module's folder afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/scratch_dir.h"
#include "model/module_path.h"

// n as three digits (more when n is larger).
inline std::string Number3(int n) {
  std::string s = std::to_string(n);
  return std::string(s.size() < 3 ? 3 - s.size() : 0, '0') + s;
}

// A record: the text cut or padded with spaces to 18 bytes, and a line end.
inline std::string Rec(const std::string& text) {
  std::string r = text.substr(0, 18);
  r.resize(18, ' ');
  return r + "\r\n";
}

// A ramp stop record: position, red, green, blue.
inline std::string StopRec(int p, int r, int g, int b) {
  return Rec(Number3(p) + " " + Number3(r) + " " + Number3(g) + " " + Number3(b));
}

class RecordFileTest : public ::testing::Test {
 protected:
  RecordFileTest() : savedModuleDir_(ModuleDirectory()) {}
  ~RecordFileTest() override { SetModuleDirectory(savedModuleDir_); }
  std::filesystem::path write(const std::string& bytes, const std::string& name) {
    const std::filesystem::path p = dir.path() / name;
    WriteWholeFile(p.string(), std::vector<uint8_t>(bytes.begin(), bytes.end()));
    return p;
  }
  ScratchDir dir;

 private:
  std::filesystem::path savedModuleDir_;
};
