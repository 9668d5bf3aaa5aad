#include "plugin/module_errors.h"

#include "platform/x32comm/x32comm.h"

void ReportFailure(RenderStatus status, int32_t file, int32_t detail, int32_t line) {
  if (status == kRenderOk) return;
  c32SetDLLErrInfo(0, StatusCode(status), detail, 72000, file, line);
}
