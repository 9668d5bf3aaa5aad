// The repeat number field: reading typed text, the text form of values, the
// length limit and the live check with its last accepted text.
#include "controls/repeat_field.h"

#include <gtest/gtest.h>

#include <string>

TEST(RepeatFieldParse, DecimalTextsAreWholeHundredthsCheckedAgainstTheRange) {
  struct Case {
    const char* text;
    int32_t lo, hi, value;
    bool invalid;
  } cases[] = {
      {"2", 0, 1000, 200, false},
      {"2.", 0, 1000, 200, false},
      {"2.5", 0, 1000, 250, false},
      {"2.50", 0, 1000, 250, false},
      {"0.05", 0, 1000, 5, false},
      {".5", 0, 1000, 50, false},
      {"1.234", 0, 1000, 123, false},
      {"007", 0, 1000, 700, false},
      {"0", 0, 1000, 0, false},
      // The range applies to the hundredths.
      {"6", 1, 500, 600, true},
      {"5", 1, 500, 500, false},
      {"5.01", 1, 500, 501, true},
      {"0", 1, 500, 0, true},
      {"0.01", 1, 500, 1, false},
      // A leading minus negates.
      {"-1.5", -200, 200, -150, false},
      {"-1.5", 0, 200, -150, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.text << "\" " << c.lo << ".." << c.hi);
    const ParsedHundredths p = ParseHundredths(c.text, c.lo, c.hi);
    EXPECT_EQ(p.value, c.value);
    EXPECT_EQ(p.invalid, c.invalid);
  }
  for (const char* text : {"", "1.2.3", "1..", "2a", "a", "+1", "1-", "1 ", " 1", "1,5", "--1"})
    EXPECT_TRUE(ParseHundredths(text, -500, 500).invalid) << '"' << text << '"';
}

TEST(RepeatFieldParse, HugeAndLongTextsStayBounded) {
  const ParsedHundredths huge = ParseHundredths("99999999999999999999999999", 0, 500);
  EXPECT_TRUE(huge.invalid);
  EXPECT_GT(huge.value, 500);
  const ParsedHundredths low = ParseHundredths("-99999999999999999999999999", -500, 500);
  EXPECT_TRUE(low.invalid);
  EXPECT_LT(low.value, -500);
  // Only the first 31 characters are read: a bad character after them is not seen.
  const std::string longText = "1." + std::string(29, '0') + "x";
  ASSERT_EQ(longText.size(), 32u);
  EXPECT_FALSE(ParseHundredths(longText, 0, 500).invalid);
  EXPECT_TRUE(ParseHundredths(longText.substr(0, 30) + "x", 0, 500).invalid);
}

TEST(RepeatFieldFormat, TwoDecimalPlacesWithSign) {
  EXPECT_EQ(FormatHundredths(100), "1.00");
  EXPECT_EQ(FormatHundredths(5), "0.05");
  EXPECT_EQ(FormatHundredths(500), "5.00");
  EXPECT_EQ(FormatHundredths(0), "0.00");
  EXPECT_EQ(FormatHundredths(-5), "-0.05");
  EXPECT_EQ(FormatHundredths(-1234), "-12.34");
  EXPECT_EQ(FormatHundredths(INT32_MIN), "-21474836.48");
  for (int32_t v : {1, 99, 250, 499, -77})
    EXPECT_EQ(ParseHundredths(FormatHundredths(v), -1000, 1000).value, v);
}

TEST(RepeatFieldLimit, PointPlusDigitsOfTheLargerBoundPlusSign) {
  EXPECT_EQ(RepeatTextLimit(1, 500), 4);
  EXPECT_EQ(RepeatTextLimit(0, 0), 1);
  EXPECT_EQ(RepeatTextLimit(-5, 20), 4);
  EXPECT_EQ(RepeatTextLimit(-1000, 5), 6);
  EXPECT_EQ(RepeatTextLimit(0, 99999), 6);
  EXPECT_EQ(RepeatTextLimit(INT32_MIN, 0), 12);
}

TEST(RepeatFieldSet, OutsideOneToFiveHundredGivesFiveHundred) {
  const std::pair<int64_t, int32_t> cases[] = {
      {1, 1}, {250, 250}, {500, 500}, {0, 500}, {501, 500}, {-3, 500}, {int64_t{1} << 40, 500}};
  for (const auto& [in, out] : cases) EXPECT_EQ(RepeatSetValue(in), out) << in;
}

TEST(RepeatFieldLiveCheck, TypingTwoPointFiveIsAcceptedStepByStep) {
  RepeatFieldState s{1, 500, 100, "1.00"};
  int32_t reported[3];
  const char* steps[] = {"2", "2.", "2.5"};
  for (int i = 0; i < 3; ++i) {
    const LiveCheckOutcome o = LiveCheck(s, steps[i]);
    EXPECT_TRUE(o.accepted) << steps[i];
    reported[i] = o.reported;
    EXPECT_EQ(s.savedText, steps[i]);
  }
  EXPECT_EQ(reported[0], 200);
  EXPECT_EQ(reported[1], 200);
  EXPECT_EQ(reported[2], 250);
  EXPECT_EQ(s.value, 250);
}

TEST(RepeatFieldLiveCheck, RejectedTextKeepsTheValueAndRestoresTheLastText) {
  RepeatFieldState s{1, 500, 250, "2.5"};
  for (const char* text : {"6", "", "2.5.", "x"}) {
    const LiveCheckOutcome o = LiveCheck(s, text);
    EXPECT_FALSE(o.accepted) << text;
    EXPECT_EQ(o.reported, 250);
    EXPECT_EQ(o.restoreText, "2.5");
    EXPECT_EQ(s.value, 250);
    EXPECT_EQ(s.savedText, "2.5");
  }
}

TEST(RepeatFieldLiveCheck, ZeroPassesTheLiveCheckButNotTheFinalOne) {
  RepeatFieldState s{1, 500, 100, "1.00"};
  EXPECT_TRUE(LiveCheck(s, "0").accepted);
  EXPECT_EQ(s.value, 0);
  EXPECT_TRUE(FinalCheckInvalid(s, "0"));
  EXPECT_TRUE(LiveCheck(s, "0.").accepted);
  EXPECT_TRUE(LiveCheck(s, "0.5").accepted);
  EXPECT_FALSE(FinalCheckInvalid(s, "0.5"));
  EXPECT_EQ(s.value, 50);
}

TEST(RepeatFieldLiveCheck, SavedTextIsAtMostFiveCharacters) {
  RepeatFieldState s{0, 100000, 0, ""};
  EXPECT_TRUE(LiveCheck(s, "123.456").accepted);
  EXPECT_EQ(s.value, 12345);
  EXPECT_EQ(s.savedText, "123.4");
}
