#include "plugin/module_errors.h"

#include "platform/x32comm/x32comm.h"

void ReportFailure(RenderStatus status, int32_t file, int32_t detail, std::source_location where) {
  if (status == kRenderOk) return;
  c32SetDLLErrInfo(0, StatusCode(status), detail, 72000, file, static_cast<int32_t>(where.line()));
}
