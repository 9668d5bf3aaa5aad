#include "engine/script.h"

#include <algorithm>
#include <cstdio>

std::vector<StoryboardOp> ScriptOperations(const char* text, size_t size) {
  auto at = [text, size](size_t i) -> int {
    return i < size ? static_cast<unsigned char>(text[i]) : 0;
  };
  int m = 0;
  for (size_t i = 0; i < size && at(i) != 0 && at(i) != '('; ++i)
    if (at(i) == '-' || at(i) == '|') ++m;
  m = std::min(m, kMaxScriptOperations);
  std::vector<StoryboardOp> ops;
  ops.reserve(static_cast<size_t>(m));
  for (int k = 0; k < m; ++k) {
    const size_t off = 5 + 4 * static_cast<size_t>(k);
    ops.push_back(StoryboardOp{(at(off) - '0') * 10 + (at(off + 1) - '0'), at(off + 2) - '0',
                               at(off + 3) == '|' ? 0 : 1});
  }
  return ops;
}

std::string BuildScriptText(int number, const StoryboardOp* ops, int count) {
  char head[8];
  std::snprintf(head, sizeof head, "[%03d]", std::clamp(number, 0, 999));
  std::string text = head;
  for (int k = 0; k < std::min(count, kMaxScriptOperations); ++k) {
    const int t = std::clamp(ops[k].templateNumber, 0, 99);
    text += static_cast<char>('0' + t / 10);
    text += static_cast<char>('0' + t % 10);
    text += static_cast<char>('0' + ops[k].sampleNumber);
    text += ops[k].applied != 0 ? '-' : '|';
  }
  return text + "()";
}
