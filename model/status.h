// What a render reports to its caller: done, out of memory or stopped by the
// user. The numbers are the codes the host reads from the common library's
// error record, which only the module's boundary writes.
#pragma once

#include <cstdint>

enum class RenderStatus : int32_t {
  kOk = 0,
  kOutOfMemory = 1001,
  kStopped = 5200,
};

inline constexpr RenderStatus kRenderOk = RenderStatus::kOk;
inline constexpr RenderStatus kRenderOutOfMemory = RenderStatus::kOutOfMemory;
inline constexpr RenderStatus kRenderStopped = RenderStatus::kStopped;

// The host's number for a status.
constexpr int32_t StatusCode(RenderStatus status) { return static_cast<int32_t>(status); }
