#include "platform/x32file/replacing_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <system_error>
#include <utility>

namespace {

// A name part that differs between calls and between processes.
uint64_t NextNameSeed() {
  static std::atomic<uint64_t> counter{0};
  static const uint64_t base = [] {
    std::random_device device;
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    return (static_cast<uint64_t>(device()) << 32) ^ static_cast<uint64_t>(now);
  }();
  return base + 0x9E3779B97F4A7C15ull * ++counter;
}

}  // namespace

ReplacingFile::~ReplacingFile() { Discard(); }

void ReplacingFile::Discard() {
  file_.reset();
  if (!temp_.empty()) {
    std::error_code ec;
    std::filesystem::remove(temp_, ec);
    temp_.clear();
  }
}

bool ReplacingFile::Open(const std::filesystem::path& destination) {
  Discard();
  failed_ = false;
  if (destination.empty() || !destination.has_filename()) return false;
  destination_ = destination;
  constexpr int kAttempts = 16;
  for (int i = 0; i < kAttempts; ++i) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08llx.part",
                  static_cast<unsigned long long>(NextNameSeed() & 0xFFFFFFFFull));
    std::filesystem::path candidate = destination;
    candidate += suffix;
    // "x": create a new file only, never reuse one that is already there.
    std::FILE* f = std::fopen(candidate.string().c_str(), "wbx");
    if (f != nullptr) {
      file_.reset(f);
      temp_ = std::move(candidate);
      return true;
    }
    std::error_code ec;
    if (!std::filesystem::exists(candidate, ec)) return false;  // the folder refuses files
  }
  return false;
}

bool ReplacingFile::Write(const void* data, size_t size) {
  if (!file_ || failed_) return false;
  if (size != 0 && std::fwrite(data, 1, size, file_.get()) != size) failed_ = true;
  return !failed_;
}

bool ReplacingFile::Close() {
  if (!file_) return !failed_ && !temp_.empty();
  if (std::fclose(file_.release()) != 0) failed_ = true;
  return !failed_;
}

bool ReplacingFile::Publish() {
  if (!Close()) {
    Discard();
    return false;
  }
  std::error_code ec;
  std::filesystem::rename(temp_, destination_, ec);
  if (ec) {
    Discard();
    return false;
  }
  temp_.clear();
  return true;
}

std::string WriteFailure(const std::filesystem::path& path) {
  const int reason = errno;
  return "cannot write " + path.string() +
         (reason != 0 ? ": " + std::string(std::strerror(reason)) : "");
}

bool WriteFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes,
                         std::string* error) {
  errno = 0;
  ReplacingFile file;
  if (file.Open(path) && file.Write(bytes.data(), bytes.size()) && file.Close() && file.Publish())
    return true;
  if (error != nullptr) *error = WriteFailure(path);
  return false;
}
