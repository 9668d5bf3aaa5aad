// The "Rename" dialog (202) of the pattern library's and the ramp samples'
// context menus.
#pragma once

#include <windows.h>

#include <string>

// Shows `label` in the dialog's edit, all selected, limited to `limit`
// characters (0: no limit beyond the 259 the label may hold). Returns 1 after
// OK with a non-empty edit, whose text then replaces `label`; 2 after Cancel
// (the label unchanged); 0 when the dialog could not be shown.
int RunRenameDialog(HWND owner, std::string& label, int limit);
