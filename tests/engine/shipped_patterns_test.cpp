// The factory patterns that ship in data/prismno.dat.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "engine/template_file.h"

// One to five operations of templates 01..19 and samples 1..6, one at least applied; settings
// in range; stops in order; no storyboard twice.
TEST(ShippedPatterns, EveryPatternLoadsAWellFormedStoryboard) {
  const auto file = std::filesystem::path(QUILLAN_TEST_DATA_DIR) / "prismno.dat";
  const int count = CountFactoryPatterns(file);
  ASSERT_TRUE(count >= 24 && count <= 999) << count;
  const std::regex script(R"(\[(\d{3})\]((?:(?:0[1-9]|1\d)[1-6][-|]){1,5})\(\))");
  std::set<std::string> storyboards;
  for (int n = 1; n <= count; ++n) {
    PatternEntry e{};
    ASSERT_EQ(LoadFactoryPattern(n, e, file), 1);
    const std::string text = PatternScriptText(e);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(text, m, script) && std::stoi(m[1].str()) == n) << text;
    EXPECT_TRUE(e.operationCount * 4 == m[2].length() &&
                m[2].str().find('-') != std::string::npos && storyboards.insert(m[2].str()).second)
        << text;
    EXPECT_TRUE(e.hueShift >= 0 && e.hueShift <= 359 && e.repeat >= 1 && e.repeat <= 500 &&
                (e.mirror == 0 || e.mirror == 1) && e.ring == 0 && e.ramp.count >= 2 &&
                e.ramp.count <= 256)
        << text;
    for (int k = 1; k < e.ramp.count; ++k)
      EXPECT_LE(e.ramp.stops[k - 1].position, e.ramp.stops[k].position) << text;
  }
}
