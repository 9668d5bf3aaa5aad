// The repeat number field: reading typed text, the text form of values, the length limit and the
// live check with its last accepted text.
#include "controls/repeat_field.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

TEST(RepeatField, DecimalTextsAreWholeHundredthsCheckedAgainstTheRange) {
  const struct {
    const char* text;
    int32_t lo, hi, value;
    bool invalid;
  } cases[] = {// clang-format off
      {"2.", 0, 1000, 200, false}, {"2.5", 0, 1000, 250, false}, {".5", 0, 1000, 50, false},
      {"1.234", 0, 1000, 123, false}, {"007", 0, 1000, 700, false}, {"5", 1, 500, 500, false},
      {"5.01", 1, 500, 501, true}, {"0", 1, 500, 0, true}, {"0.01", 1, 500, 1, false},
      {"-1.5", -200, 200, -150, false}, {"-1.5", 0, 200, -150, true},
      {"99999999999999999999", 0, 500, INT32_MAX, true},
      {"-99999999999999999999", -500, 500, INT32_MIN, true}};
  // clang-format on
  for (const auto& c : cases) {
    const ParsedHundredths p = ParseHundredths(c.text, c.lo, c.hi);
    EXPECT_TRUE(p.value == c.value && p.invalid == c.invalid) << c.text;
  }
  for (const char* text : {"", "1.2.3", "1..", "2a", "+1", "1-", " 1", "1,5", "--1"})
    EXPECT_TRUE(ParseHundredths(text, -500, 500).invalid) << '"' << text << '"';
  // Only the first 31 characters are read: a bad character after them is not seen.
  const std::string longText = "1." + std::string(29, '0');
  EXPECT_FALSE(ParseHundredths(longText + "x", 0, 500).invalid);
  EXPECT_TRUE(ParseHundredths(longText.substr(0, 30) + "x", 0, 500).invalid);
}

TEST(RepeatField, TextFormLimitAndDirectSet) {
  for (const auto& [v, text] : {std::pair{100, "1.00"},
                                {5, "0.05"},
                                {-5, "-0.05"},
                                {-1234, "-12.34"},
                                {INT32_MIN, "-21474836.48"}}) {
    EXPECT_EQ(FormatHundredths(v), text);
    EXPECT_EQ(ParseHundredths(text, INT32_MIN, 2000).value, v);  // round trip
  }
  // Characters: the point, the digits of the larger bound, a sign for a negative one.
  const std::array<int32_t, 3> limits[] = {{1, 500, 4},   {0, 0, 1},     {-5, 20, 4},
                                           {-1000, 5, 6}, {0, 99999, 6}, {INT32_MIN, 0, 12}};
  for (auto [lo, hi, limit] : limits) EXPECT_EQ(RepeatTextLimit(lo, hi), limit) << lo << ".." << hi;
  for (auto [in, out] :
       {std::pair<int64_t, int>{1, 1}, {500, 500}, {0, 500}, {501, 500}, {int64_t{1} << 40, 500}})
    EXPECT_EQ(RepeatSetValue(in), out) << in;
}

TEST(RepeatField, LiveCheckAcceptsFromZeroToTheMaximumAndRestoresTheLastText) {
  RepeatFieldState s{1, 500, 100, "1.00"};
  const struct {
    const char* text;
    bool accepted;
    int32_t value;      // reported and kept
    const char* saved;  // last accepted text afterwards
  } steps[] = {{"2", true, 200, "2"},         {"2.5", true, 250, "2.5"},
               {"6", false, 250, "2.5"},      {"x", false, 250, "2.5"},
               {"0", true, 0, "0"},           {"0.5", true, 50, "0.5"},
               {"4.995", true, 499, "4.995"}, {"4.9951", true, 499, "4.995"}};
  for (const auto& step : steps) {
    const std::string before = s.savedText;
    const LiveCheckOutcome o = LiveCheck(s, step.text);
    EXPECT_TRUE(o.accepted == step.accepted && o.reported == step.value && s.value == step.value &&
                s.savedText == step.saved && o.restoreText == (step.accepted ? "" : before))
        << step.text;
  }
  // The minimum holds at the final check only.
  for (auto [text, invalid] : {std::pair{"0", true}, {"0.01", false}, {"5.01", true}})
    EXPECT_EQ(FinalCheckInvalid(s, text), invalid) << text;
}
