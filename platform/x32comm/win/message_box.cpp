#include "platform/x32comm/win/x32comm_win.h"

namespace {

C32MessageBoxHook g_messageBoxHook = nullptr;

UINT boxStyle(int32_t style) {
  return style == kMbYesNo ? MB_YESNO | MB_ICONQUESTION : MB_OK | MB_ICONEXCLAMATION;
}

}  // namespace

extern "C" int c32ShowMb(const MessageBoxRequest* request) {
  if (request == nullptr) return 0;
  if (g_messageBoxHook != nullptr) return g_messageBoxHook(request);
  return MessageBoxA(request->owner, request->text != nullptr ? request->text : "",
                     request->caption != nullptr ? request->caption : "",
                     boxStyle(request->style) | MB_SETFOREGROUND);
}

extern "C" C32MessageBoxHook c32SetMessageBoxHook(C32MessageBoxHook hook) {
  const C32MessageBoxHook previous = g_messageBoxHook;
  g_messageBoxHook = hook;
  return previous;
}
