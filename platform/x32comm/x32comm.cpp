#include "platform/x32comm/x32comm.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

C32ErrInfo g_lastError{};

#ifdef _WIN32
// The Escape key as the keyboard has it now, whichever window has the focus.
int defaultEscPoll() { return (GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0 ? 1 : 0; }
#else
int defaultEscPoll() { return 0; }
#endif
X32EscPoll g_escPoll = defaultEscPoll;

void copyBounded(char* dest, const char* src, size_t n) {
  constexpr size_t kMax = 260;
  if (dest == nullptr) return;
  if (n >= kMax) n = kMax - 1;
  std::memcpy(dest, src, n);
  dest[n] = '\0';
}

}  // namespace

void c32SetDLLErrInfo(int32_t module, int32_t code, int32_t reserved, int32_t where, int32_t file,
                      int32_t line) {
  g_lastError = C32ErrInfo{module, code, reserved, where, file, line};
}

void c32ResetDLLErrInfo() { g_lastError = C32ErrInfo{}; }

int32_t c32GetDLLErrInfo(C32ErrInfo* info) {
  if (info != nullptr) *info = g_lastError;
  return g_lastError.code;
}

int x32IsEscPressed() { return g_escPoll(); }

X32EscPoll x32SetEscPoll(X32EscPoll poll) {
  X32EscPoll old = g_escPoll;
  g_escPoll = poll != nullptr ? poll : defaultEscPoll;
  return old == defaultEscPoll ? nullptr : old;
}

int xfdSplitPathname(const char* path, char* dir, char* name) {
  if (path == nullptr) return 0;
  const size_t len = std::strlen(path);
  size_t cut = 0;  // index just past the last separator
  for (size_t i = 0; i < len; ++i)
    if (path[i] == '\\' || path[i] == '/') cut = i + 1;
  copyBounded(dir, path, cut);
  copyBounded(name, path + cut, len - cut);
  return 1;
}

namespace {

struct CommonText {
  int id;
  const char* text;
};

constexpr CommonText kCommonTexts[] = {
    {kC32TextGeneralFailure,
     "There is not enough memory to complete this operation. Close other programs or work on a "
     "smaller image, then try again."},
    {kC32TextWriteFailure,
     "The file could not be written. The disk may be full or write-protected, or the folder may "
     "not exist."},
    {kC32TextNameTooLong, "The file name is too long. Choose a shorter name or folder."},
    {kC32TextFileDialogFailure, "The file dialog could not be opened."},
};

}  // namespace

int c32GetString(int id, char* buffer, int size) {
  if (buffer == nullptr || size < 1) return 0;
  for (const CommonText& t : kCommonTexts) {
    if (t.id != id) continue;
    const size_t n = std::min(std::strlen(t.text), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, t.text, n);
    buffer[n] = '\0';
    return static_cast<int>(n);
  }
  std::snprintf(buffer, static_cast<size_t>(size), "Unexpected error (%d).", id);
  return 0;
}
