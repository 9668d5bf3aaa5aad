#include "progress_bar.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>

#include "platform/x32comm/x32comm.h"

namespace {

volatile std::sig_atomic_t g_interrupted = 0;
bool g_showBar = isatty(STDERR_FILENO) != 0;

extern "C" void onInterrupt(int) { g_interrupted = 1; }

int interruptPoll() { return g_interrupted != 0 ? 1 : 0; }

// Bars appear only for work that takes longer than a moment.
constexpr auto kQuietFor = std::chrono::milliseconds(300);
constexpr int kRange = 1000;

}  // namespace

void InstallInterruptHandling() {
  struct sigaction sa {};
  sa.sa_handler = onInterrupt;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  x32SetEscPoll(interruptPoll);
}

bool Interrupted() { return g_interrupted != 0; }

void SetProgressBarShown(bool shown) { g_showBar = shown; }

ProgressBar::ProgressBar(std::string label)
    : label_(std::move(label)), start_(std::chrono::steady_clock::now()) {}

ProgressBar::~ProgressBar() { finish(); }

ProgressBlock ProgressBar::block() {
  return ProgressBlock{1, &ProgressBar::callback, reinterpret_cast<intptr_t>(this), 0, kRange};
}

int32_t ProgressBar::callback(int32_t code, int32_t value, int32_t, intptr_t user) {
  auto* bar = reinterpret_cast<ProgressBar*>(user);
  if (code == kProgressPosition) bar->update(value);
  return 1;
}

void ProgressBar::update(int32_t value) {
  if (!g_showBar) return;
  if (!shown_ && std::chrono::steady_clock::now() - start_ < kQuietFor) return;
  const int permille = value < 0 ? 0 : (value > kRange ? kRange : value);
  if (permille / 10 == lastPermille_ / 10 && shown_) return;
  shown_ = true;
  lastPermille_ = permille;
  constexpr int kWidth = 40;
  const int filled = permille * kWidth / kRange;
  std::string bar(static_cast<size_t>(filled), '#');
  bar.append(static_cast<size_t>(kWidth - filled), '.');
  std::fprintf(stderr, "\r%s [%s] %3d%%", label_.c_str(), bar.c_str(), permille / 10);
  std::fflush(stderr);
}

void ProgressBar::complete() {
  if (shown_) update(kRange);
}

void ProgressBar::finish() {
  if (shown_) {
    std::fputc('\n', stderr);
    shown_ = false;
  }
}
