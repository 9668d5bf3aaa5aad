// libFuzzer target: the script-text parser. Any text gives at most 62
// operations, read without looking past its end; when every group was
// digits, the text built from them parses back to the same operations.
#include <string>
#include <vector>

#include "engine/script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> text(data, data + size);  // exactly `size` bytes, no terminator
  const std::vector<StoryboardOp> ops =
      ScriptOperations(reinterpret_cast<const char*>(text.data()), text.size());
  if (ops.size() > static_cast<size_t>(kMaxScriptOperations)) __builtin_trap();
  for (const StoryboardOp& op : ops)
    if (op.templateNumber < 0 || op.templateNumber > 99 || op.sampleNumber < 0 ||
        op.sampleNumber > 9)
      return 0;
  const std::string built = BuildScriptText(size % 1000, ops.data(), static_cast<int>(ops.size()));
  const std::vector<StoryboardOp> again = ScriptOperations(built.data(), built.size());
  if (again.size() != ops.size()) __builtin_trap();
  for (size_t i = 0; i < ops.size(); ++i)
    if (again[i].templateNumber != ops[i].templateNumber ||
        again[i].sampleNumber != ops[i].sampleNumber || again[i].applied != ops[i].applied)
      __builtin_trap();
  return 0;
}
