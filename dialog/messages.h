// The module's message routines: range messages for numeric fields and the
// dialogs' other messages, all shown through the common library's message box.
#pragma once

#include <windows.h>

#include <cstdint>

// The module number every message request of this module carries.
inline constexpr int kMessageModule = 7;
// Forms of the range in ShowRangeMessage.
inline constexpr int kRangeIntegers = 0;    // "between %d and %d"
inline constexpr int kRangeHundredths = 1;  // "between %d.%02d and %d.%02d"

// Tells the user that the field labelled by string `labelId` must lie in
// minimum..maximum (hundredths in the second form), with the field's dialog
// title as caption, then selects the field's text and gives it the focus.
// Returns 0.
int ShowRangeMessage(int labelId, int minimum, int maximum, HWND field, int format, int module,
                     int location);

// The range of a whole-number field.
struct IntRange {
  int32_t minimum;
  int32_t maximum;
};
// "Invalid number or the number must be between %d and %d." in a box owned by
// `window`, with its title as caption. Returns the button pressed.
int ShowIntRangeMessage(HWND window, const IntRange* range);

// A dialog message: the string id and, for messages that name something, the
// text to name.
struct DialogMessageRequest {
  int32_t stringId;
  const char* text;
};
// Shows the message for the request with the owner's title as caption: the
// module's texts for 520, 522, 523, 524, 529 and 540 (a library that cannot
// be read, named), the common library's text for any other id. 522 and 523
// ask Yes or No. Returns the button pressed.
int ShowDialogMessage(HWND owner, const DialogMessageRequest* request, int module, int location);
