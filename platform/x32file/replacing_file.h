// Output files that replace their destination only when complete.
//
// The bytes go to a new file beside the destination; `Publish` renames it over
// the destination. Until then the destination is untouched, and a file that is
// dropped unpublished (an error path) is deleted, so a failed write never
// destroys an existing file and never leaves a partial one behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

class ReplacingFile {
 public:
  ReplacingFile() = default;
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;
  ~ReplacingFile();

  // Creates the temporary file beside `destination`; false when it cannot be
  // created (missing folder, no permission, empty name).
  bool Open(const std::filesystem::path& destination);
  // Appends bytes; false when the write fails or the file is not open.
  bool Write(const void* data, size_t size);
  // Closes the temporary file; false when buffered data could not be written.
  bool Close();
  // Closes if still open and renames over the destination; false when that
  // fails, in which case the temporary file is gone and the destination is
  // as it was.
  bool Publish();

  const std::filesystem::path& TemporaryPath() const { return temp_; }

 private:
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  void Discard();

  std::filesystem::path destination_;
  std::filesystem::path temp_;
  std::unique_ptr<std::FILE, Closer> file_;
  bool failed_ = false;
};

// "cannot write PATH: REASON", the reason from the system's last error (the
// same sentence for every file the programs write).
std::string WriteFailure(const std::filesystem::path& path);

// Writes `bytes` to `path` through a ReplacingFile. On failure `*error` (when
// not null) gets a sentence naming the file, and `path` is as it was.
bool WriteFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes,
                         std::string* error);
