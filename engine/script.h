// The storyboard as text: "[" three digits "]", four characters per
// operation (two-digit template number, sample digit, "-" applied or "|"
// sample change only), then "()".
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/storyboard.h"

// Operations a script text can hold in a record's 256-byte field.
inline constexpr int kMaxScriptOperations = 62;

// The operations of a script as the renderer replays them: the number of "-"
// and "|" characters before the first "(" (or the end of the text) gives the
// count, at most 62; each group is read from offset 5 + 4k without checking
// its digits. Never reads beyond `size` bytes.
std::vector<StoryboardOp> ScriptOperations(const char* text, size_t size);

// The script text of operations 0..count-1 with the given number (0..999) in
// the brackets.
std::string BuildScriptText(int number, const StoryboardOp* ops, int count);
