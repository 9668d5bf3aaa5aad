// The factory patterns that ship in data/prismno.dat.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "engine/template_file.h"

namespace {

const std::filesystem::path kPatterns =
    std::filesystem::path(QUILLAN_TEST_DATA_DIR) / "prismno.dat";

TEST(ShippedPatterns, EveryPatternLoadsAWellFormedStoryboard) {
  const int count = CountFactoryPatterns(kPatterns);
  ASSERT_GE(count, 24);
  ASSERT_LE(count, 999);
  const std::regex script(R"(\[(\d{3})\]((?:\d{3}[-|])+)\(\))");
  std::set<std::string> storyboards;
  for (int n = 1; n <= count; ++n) {
    PatternEntry e{};
    ASSERT_EQ(LoadFactoryPattern(n, e, kPatterns), 1);
    const std::string text = PatternScriptText(e);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(text, m, script)) << "pattern " << n << ": " << text;
    EXPECT_EQ(std::stoi(m[1].str()), n) << text;
    const std::string ops = m[2].str();
    const int operations = static_cast<int>(ops.size() / 4);
    EXPECT_EQ(e.operationCount, operations) << text;
    EXPECT_GE(operations, 1) << text;
    EXPECT_LE(operations, 5) << text;
    bool applied = false;
    for (int k = 0; k < operations; ++k) {
      const int t = std::stoi(ops.substr(static_cast<size_t>(4 * k), 2));
      const int s = ops[static_cast<size_t>(4 * k + 2)] - '0';
      EXPECT_GE(t, 1) << text;
      EXPECT_LE(t, 19) << text;
      EXPECT_GE(s, 1) << text;
      EXPECT_LE(s, 6) << text;
      applied |= ops[static_cast<size_t>(4 * k + 3)] == '-';
    }
    EXPECT_TRUE(applied) << "pattern " << n << " never warps the maps";
    EXPECT_TRUE(storyboards.insert(ops).second) << "pattern " << n << " repeats a storyboard";

    EXPECT_GE(e.hueShift, 0);
    EXPECT_LE(e.hueShift, 359);
    EXPECT_TRUE(e.mirror == 0 || e.mirror == 1);
    EXPECT_GE(e.repeat, 1);
    EXPECT_LE(e.repeat, 500);
    EXPECT_EQ(e.ring, 0);
    ASSERT_GE(e.ramp.count, 2) << "pattern " << n;
    ASSERT_LE(e.ramp.count, 256) << "pattern " << n;
    for (int k = 1; k < e.ramp.count; ++k)
      EXPECT_LE(e.ramp.stops[k - 1].position, e.ramp.stops[k].position) << "pattern " << n;
  }
}

}  // namespace
