#include "plugin/plugin_action.h"

#include <cstring>

#include "plugin/module_errors.h"
#include "plugin/plugin_info.h"

namespace {

void writeOutputs(PlugInContext& context) {
  context.recordSize = static_cast<int32_t>(kRecordBytes);
  context.cleared = 0;
  static_assert(sizeof kFilterName <= kPlugInNameBytes);
  std::memcpy(context.name, kFilterName, sizeof kFilterName);
}

}  // namespace

int32_t RunPlugInAction(PlugInContext* context, RenderSession& session,
                        const PlugInDialogRunner& runDialog) {
  if (context == nullptr) return 0;

  // Puts the host's record back unless the run succeeds, and takes the
  // context's pointer off the private copy, on every way out (exceptions too).
  struct RecordGuard {
    PlugInContext& context;
    ParamRecord* hostRecord;
    ParamRecord privateCopy;
    bool succeeded = false;
    ~RecordGuard() {
      if (hostRecord == nullptr)
        context.record = nullptr;
      else if (!succeeded)
        *hostRecord = privateCopy;
    }
  };
  RecordGuard guard{*context, context->record,
                    context->record != nullptr ? *context->record : DefaultRecordForHost()};
  if (guard.hostRecord == nullptr) context->record = &guard.privateCopy;
  writeOutputs(*context);

  int32_t result = 0;
  if (context->command == kPlugInCommandRun) {
    if ((context->flags & kPlugInFlagsDialog) != 0) {
      // -1 is the result of a dialog that could not be created.
      const intptr_t ended = runDialog ? runDialog(*context) : 0;
      result = ended != 0 && ended != -1 ? 1 : 0;
    } else if ((context->flags & kPlugInFlagSilent) != 0) {
      const RenderStatus status = RunSilentRender(session, guard.privateCopy, context->source,
                                                  context->destination, nullptr);
      ReportFailure(status, kExportsFile);
      result = status == kRenderOk ? 1 : 0;
    }
  }
  guard.succeeded = result == 1;
  return result;
}
