#include "platform/x32file/x32file.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

extern "C" int xfIsFileExist(const char* path) {
  if (path == nullptr || path[0] == '\0') return 0;
#ifdef _WIN32
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ? 1
                                                                                               : 0;
#else
  struct stat info {};
  return stat(path, &info) == 0 && !S_ISDIR(info.st_mode) ? 1 : 0;
#endif
}

extern "C" int xfdRemoveBlanks(char* text) {
  if (text == nullptr) return 0;
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  size_t start = 0, end = std::strlen(text);
  while (start < end && blank(text[start])) ++start;
  while (end > start && blank(text[end - 1])) --end;
  std::memmove(text, text + start, end - start);
  text[end - start] = '\0';
  return static_cast<int>(end - start);
}
