// File helpers (stands in for the platform's x32File library).
#pragma once

// Non-zero when `path` names an existing file (not a folder). A null or empty
// path gives 0.
extern "C" int xfIsFileExist(const char* path);
