// A parameter record field by field: names, values, the ranges the module's
// dialogs keep to, and the fields of a record that lie outside them.
#pragma once

#include <string>
#include <vector>

#include "model/param_record.h"

// One sentence per field outside what the dialogs can produce ("repeat is 0,
// outside 1..500"); empty for a record the dialogs could have made.
std::vector<std::string> RecordProblems(const ParamRecord& record);

// Every field by name with its value, range and meaning, the ramp stop by
// stop, the script text escaped, and each problem marked where it lies.
std::string DescribeRecord(const ParamRecord& record);
// The same as one JSON object, for scripts.
std::string DescribeRecordJson(const ParamRecord& record);
