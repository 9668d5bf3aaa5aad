// A scratch file for the targets whose readers take a path: in the folder
// given by QUILLAN_FUZZ_WORK (in memory when the system has it: a file
// rewritten on disk is flushed at every close), else in the temporary folder;
// removed when the run ends.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

inline const std::string& FuzzFile(const char* suffix) {
  static const std::string name = [suffix] {
    const char* given = std::getenv("QUILLAN_FUZZ_WORK");
    const std::filesystem::path dir =
        given != nullptr && *given != '\0' ? given : std::filesystem::temp_directory_path();
    return (dir / ("fuzz-" + std::to_string(static_cast<long>(getpid())) + suffix)).string();
  }();
  static const struct Remover {
    ~Remover() { std::remove(name.c_str()); }
  } remover;
  return name;
}

// Writes the input to the scratch file and returns its name.
inline const std::string& WriteFuzzFile(const uint8_t* bytes, size_t size, const char* suffix) {
  const std::string& name = FuzzFile(suffix);
  std::ofstream(name, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
  return name;
}
