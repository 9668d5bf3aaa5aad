#include "dialog/messages.h"

#include <cstdio>

#include "platform/x32comm/win/x32comm_win.h"
#include "platform/x32comm/x32comm.h"
#include "plugin/win/module_instance.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kCaptionChars = 128;
constexpr int kTextChars = 260;
constexpr int kMaxOperations = 20;  // named by message 520
constexpr int32_t kMessageWhere = 72000;

// A string of the module's string table (empty when it is missing).
void moduleString(int id, char* buffer, int size) {
  buffer[0] = '\0';
  LoadStringA(ModuleInstance(), static_cast<UINT>(id), buffer, size);
}

void windowTitle(HWND window, char* buffer, int size) {
  buffer[0] = '\0';
  if (window != nullptr) GetWindowTextA(window, buffer, size);
}

int show(HWND owner, const char* caption, int32_t style, const char* text, int32_t stringId,
         int module, int location) {
  c32ResetDLLErrInfo();
  MessageBoxRequest request{owner,    caption,       style,  text,     1,
                            stringId, kMessageWhere, module, location, {0, 0}};
  return c32ShowMb(&request);
}

}  // namespace

int ShowRangeMessage(int labelId, int minimum, int maximum, HWND field, int format, int module,
                     int location) {
  char caption[kCaptionChars];
  windowTitle(field != nullptr ? GetParent(field) : nullptr, caption, sizeof caption);
  char label[kCaptionChars];
  moduleString(labelId, label, sizeof label);
  char pattern[kTextChars];
  char text[kTextChars];
  if (format == kRangeHundredths) {
    moduleString(IDS_RANGE_HUNDREDTHS, pattern, sizeof pattern);
    std::snprintf(text, sizeof text, pattern, label, minimum / 100, minimum % 100, maximum / 100,
                  maximum % 100);
  } else {
    moduleString(IDS_RANGE_INT, pattern, sizeof pattern);
    std::snprintf(text, sizeof text, pattern, label, minimum, maximum);
  }
  show(nullptr, caption, kMbOk, text, IDS_RANGE_INT, module, location);
  if (field != nullptr) {
    SendMessageA(field, EM_SETSEL, 0, -1);
    SetFocus(field);
  }
  return 0;
}

int ShowIntRangeMessage(HWND window, const IntRange* range) {
  const IntRange r = range != nullptr ? *range : IntRange{0, 0};
  char caption[kCaptionChars];
  windowTitle(window, caption, sizeof caption);
  char pattern[kTextChars];
  moduleString(IDS_INVALID_NUMBER, pattern, sizeof pattern);
  char text[kTextChars];
  std::snprintf(text, sizeof text, pattern, r.minimum, r.maximum);
  return show(window, caption, kMbOk, text, 0, kMessageModule, 0);
}

int ShowDialogMessage(HWND owner, const DialogMessageRequest* request, int module, int location) {
  if (request == nullptr) return 0;
  char caption[kCaptionChars];
  windowTitle(owner, caption, sizeof caption);
  char pattern[kTextChars];
  char text[kTextChars];
  int32_t style = kMbOk;
  switch (request->stringId) {
    case IDS_TOO_MANY_OPERATIONS:
      moduleString(IDS_TOO_MANY_OPERATIONS, pattern, sizeof pattern);
      std::snprintf(text, sizeof text, pattern, kMaxOperations);
      break;
    case IDS_REMOVE_SCRIPT:
      moduleString(IDS_REMOVE_SCRIPT, text, sizeof text);
      moduleString(IDS_DELETE_CAPTION, caption, sizeof caption);
      style = kMbYesNo;
      break;
    case IDS_FILE_EXISTS:
    case IDS_LIBRARY_UNREADABLE:
      moduleString(request->stringId, pattern, sizeof pattern);
      std::snprintf(text, sizeof text, pattern, request->text != nullptr ? request->text : "");
      style = request->stringId == IDS_FILE_EXISTS ? kMbYesNo : kMbOk;
      break;
    case IDS_GIF_SAVE_FAILED:
    case IDS_IMAGE_TOO_SMALL: moduleString(request->stringId, text, sizeof text); break;
    default: c32GetString(request->stringId, text, sizeof text); break;
  }
  return show(owner, caption, style, text, request->stringId, module, location);
}
