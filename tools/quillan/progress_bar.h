// A progress bar on stderr driven by the renderer's progress function, and the
// Ctrl-C handling that stops a render through the Escape poll.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "model/progress.h"

class ProgressBar {
 public:
  explicit ProgressBar(std::string label);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // A block over 0..1000 that polls Escape (Ctrl-C) after every row.
  ProgressBlock block();
  void update(int32_t value);
  // The work is done: the bar shows 100% if it is showing.
  void complete();
  void finish();

 private:
  static int32_t callback(int32_t code, int32_t value, int32_t, intptr_t user);
  std::string label_;
  std::chrono::steady_clock::time_point start_;
  bool shown_ = false;
  int lastPermille_ = -1;
};

// Installs the SIGINT handler and the Escape poll that reports it.
void InstallInterruptHandling();
bool Interrupted();
// The bar is drawn when stderr is a terminal, unless this says otherwise
// (--progress, --quiet).
void SetProgressBarShown(bool shown);
