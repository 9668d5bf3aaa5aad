// The one place the module writes the common library's error record: where a
// call from the host (an export, a render call, a dialog) ends in failure.
// Core functions return a RenderStatus instead.
#pragma once

#include <cstdint>

#include "model/status.h"

// Numbers that tell the host which file recorded a failure.
inline constexpr int32_t kExportsFile = 11;
inline constexpr int32_t kRenderCallFile = 12;
inline constexpr int32_t kDllEntryFile = 13;
inline constexpr int32_t kMainDialogFile = 41;

// Records `status` (nothing for kRenderOk) with the file number, the caller's
// line and, in the record's third word, a detail the failure may carry.
// (The line comes from the compiler's builtin rather than source_location,
// which the fuzzing compiler's library does not provide.)
void ReportFailure(RenderStatus status, int32_t file, int32_t detail = 0,
                   int32_t line = __builtin_LINE());
