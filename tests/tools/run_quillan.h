// Runs the built quillan program as a user runs it, in a scratch folder.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "common/scratch_dir.h"

struct QuillanResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs quillan with the arguments; captures stdout and stderr.
inline QuillanResult RunQuillan(const std::vector<std::string>& args) {
  const ScratchDir capture;
  std::string cmd = std::string(QUILLAN_BIN_DIR) + "/quillan";
  for (const auto& a : args) cmd += " '" + a + "'";
  cmd += " >" + capture.file("out") + " 2>" + capture.file("err");
  QuillanResult r;
  const int status = std::system(cmd.c_str());
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  const auto out = ReadWholeFile(capture.file("out")), err = ReadWholeFile(capture.file("err"));
  r.out.assign(out.begin(), out.end());
  r.err.assign(err.begin(), err.end());
  return r;
}

// A test with a fresh folder for the program's output.
struct QuillanTest : ::testing::Test {
  ScratchDir dir;
  std::string path(const std::string& name) const { return dir.file(name); }
  bool Empty() const { return dir.Entries().empty(); }
};
