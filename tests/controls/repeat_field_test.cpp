// The repeat number field: reading typed text, the text form of values, the
// length limit and the live check with its last accepted text.
#include "controls/repeat_field.h"

#include <gtest/gtest.h>

#include <string>

TEST(RepeatFieldParse, DecimalTextsAreWholeHundredths) {
  struct Case {
    const char* text;
    int32_t value;
  } cases[] = {{"2", 200}, {"2.", 200},    {"2.5", 250},  {"2.50", 250}, {"0.05", 5},
               {".5", 50}, {"1.234", 123}, {"5.00", 500}, {"0", 0},      {"007", 700}};
  for (const Case& c : cases) {
    const ParsedHundredths p = ParseHundredths(c.text, 0, 100000);
    EXPECT_EQ(p.value, c.value) << c.text;
    EXPECT_FALSE(p.invalid) << c.text;
  }
}

TEST(RepeatFieldParse, BadCharactersAndSecondPointsAreInvalid) {
  for (const char* text : {"", "1.2.3", "1..", "2a", "a", "+1", "1-", "1 ", " 1", "1,5"}) {
    EXPECT_TRUE(ParseHundredths(text, 0, 500).invalid) << '"' << text << '"';
  }
}

TEST(RepeatFieldParse, RangeIsCheckedOnTheHundredths) {
  EXPECT_TRUE(ParseHundredths("6", 1, 500).invalid);
  EXPECT_EQ(ParseHundredths("6", 1, 500).value, 600);
  EXPECT_FALSE(ParseHundredths("5", 1, 500).invalid);
  EXPECT_TRUE(ParseHundredths("5.01", 1, 500).invalid);
  EXPECT_TRUE(ParseHundredths("0", 1, 500).invalid);
  EXPECT_FALSE(ParseHundredths("0.01", 1, 500).invalid);
}

TEST(RepeatFieldParse, LeadingMinusNegates) {
  const ParsedHundredths p = ParseHundredths("-1.5", -200, 200);
  EXPECT_FALSE(p.invalid);
  EXPECT_EQ(p.value, -150);
  EXPECT_TRUE(ParseHundredths("-1.5", 0, 200).invalid);
  EXPECT_TRUE(ParseHundredths("--1", -200, 200).invalid);
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
  EXPECT_EQ(RepeatSetValue(1), 1);
  EXPECT_EQ(RepeatSetValue(250), 250);
  EXPECT_EQ(RepeatSetValue(500), 500);
  EXPECT_EQ(RepeatSetValue(0), 500);
  EXPECT_EQ(RepeatSetValue(501), 500);
  EXPECT_EQ(RepeatSetValue(-3), 500);
  EXPECT_EQ(RepeatSetValue(int64_t{1} << 40), 500);
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
