// File helpers (stands in for the platform's x32File library).
#pragma once

// Non-zero when `path` names an existing file (not a folder). A null or empty
// path gives 0.
extern "C" int xfIsFileExist(const char* path);
// Removes the blanks (spaces and tabs) at both ends of `text` in place and
// returns the length left. A null text gives 0.
extern "C" int xfdRemoveBlanks(char* text);
