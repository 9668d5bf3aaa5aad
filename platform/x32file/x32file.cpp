#include "platform/x32file/x32file.h"

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
