// What the main dialog's refresh must redo, decided from its records alone,
// and the arithmetic of its thumbnail lists.
#pragma once

#include <optional>
#include <string>

#include "model/param_record.h"

// The parts of a refresh, in the order it carries them out.
struct RefreshPlan {
  bool render = false;        // something changed: the samples are rendered again
  bool replayScript = false;  // a new script: the next render replays it step by step
  bool colours = false;       // a colour input changed: palettes and storyboard thumbnails
};

// The first steps of every refresh on the working record: the mirror switch,
// the pick count and the OK marker; and, when the record asks for a script
// replay that the rendered record has not shown, the sample number the script
// carries after its "(".
void PrepareWorkingRecord(ParamRecord& working, bool mirrorChecked, const ParamRecord& rendered,
                          const std::string& script, const std::string& lastShownScript);

// Compares the prepared working record and the script with what was shown.
RefreshPlan PlanRefresh(const ParamRecord& working, const ParamRecord& rendered,
                        const std::string& script, const std::string& lastShownScript);

// True when the ramp, hue shift, repeat, ring or mirror switch differ.
bool ColourInputsDiffer(const ParamRecord& a, const ParamRecord& b);

// The two digits after the first "(" of a script as a sample number; none when
// there is no "(" or the two characters are not digits.
std::optional<int> ScriptSampleNumber(const std::string& script);

// The width of a list control narrowed to whole cells: with the control's
// width, the scroll bar's and the cell's, S + 4 + C x floor((W - S) / C). A
// cell of no width leaves the width as it was.
int NarrowedListWidth(int width, int scrollBarWidth, int cellWidth);
