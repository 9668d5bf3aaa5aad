// Common library (stands in for the platform's x32Comm library): error
// recording for the host, the Escape poll, path helpers and the common texts.
#pragma once

#include <cstdint>

// The last recorded failure. `code` is 1001 (out of memory) or 5200 (stopped
// by the user) for the renderers; `where`, `file` and `line` only locate it.
struct C32ErrInfo {
  int32_t module;
  int32_t code;
  int32_t reserved;
  int32_t where;
  int32_t file;
  int32_t line;
};

void c32SetDLLErrInfo(int32_t module, int32_t code, int32_t reserved, int32_t where, int32_t file,
                      int32_t line);
void c32ResetDLLErrInfo();
// Copies the last recorded failure (all zero when none) and returns its code.
int32_t c32GetDLLErrInfo(C32ErrInfo* info);

// Non-zero when the user asked to stop (Escape). The answer comes from the
// installed poll; by default it is the keyboard's Escape key on Windows and
// "not pressed" elsewhere.
int x32IsEscPressed();
using X32EscPoll = int (*)();
// Installs a poll (null restores the default) and returns the previous one.
X32EscPoll x32SetEscPoll(X32EscPoll poll);

// Splits a path at its last separator ('\\' or '/'): `dir` receives everything
// up to and including the separator, `name` the rest. Either may be null; each
// takes at most 260 bytes including the NUL. Returns 1, or 0 for a null path.
int xfdSplitPathname(const char* path, char* dir, char* name);

// Texts the library keeps for messages shared by every module.
inline constexpr int kC32TextGeneralFailure = 1001;     // out of memory, a failed render or dialog
inline constexpr int kC32TextWriteFailure = 2001;       // a file could not be written
inline constexpr int kC32TextNameTooLong = 3203;        // a file name longer than allowed
inline constexpr int kC32TextFileDialogFailure = 4008;  // the file dialog could not be shown

// Copies the common text `id` into `buffer` (`size` bytes, at least 1), cut to
// fit and NUL-terminated, and returns the number of characters copied. An id
// the library does not know gives a text naming that number, and 0 is
// returned. Nothing is written for a null buffer or a size below 1.
int c32GetString(int id, char* buffer, int size);
