// The command line's options, parsed in-process: argument vectors to what they set, or to the
// message a user sees.
#include "tools/quillan/options.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// "r ARGS" for render, "n" for record new, "a" for animate; gives the options set, or "! " and
// the message.
std::string Parsed(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> args;
  for (std::string a; in >> a;) args.push_back(a);
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  CommandOptions o;
  const auto error =
      args[0] == "a" ? ParseAnimateOptions(rest, o) : ParseCommandOptions(rest, args[0] == "r", o);
  if (error) return "! " + *error;
  const RecordOverrides& v = o.overrides;
  std::ostringstream s;
  s << "o=" << o.output << (o.recordFile.empty() ? "" : " rec=" + o.recordFile);
  if (o.width != 640 || o.height != 480) s << " " << o.width << "x" << o.height;
  if (o.frames != 0) s << " frames=" << o.frames;
  if (v.script) s << " script=" << *v.script;
  const char* names[] = {"template", "sample", "repeat", "hue", "ring", "preset"};
  const std::optional<int> values[] = {v.templateNumber, v.sample, v.repeatHundredths, v.hue,
                                       v.ring,           v.preset};
  for (int k = 0; k < 6; ++k)
    if (values[k]) s << " " << names[k] << "=" << *values[k];
  return s.str() + (v.mirror ? " mirror" : "");
}

}  // namespace

TEST(Options, ArgumentVectorsGiveTheirOptionsOrAMessage) {
  const std::string kDecimals =
      "! --repeat takes a number with at most two decimals, such as 1.25, not '";
  const std::string kOperation = "') must be a template 01..19, a sample 1..9 and '-' or '|'";
  const std::string kRange = " must be between ";
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
      {"r --record r.rec -o a.bmp --size 1024x768", "o=a.bmp rec=r.rec 1024x768"},
      {"r -o a --size 2X3 --template 19 --sample 12 --mirror",
       "o=a 2x3 template=19 sample=12 mirror"},
      {"n --hue 0 --ring 0 --preset 999 -o r", "o=r hue=0 ring=0 preset=999"},
      {"r -o a --repeat 0.01", "o=a repeat=1"}, {"r -o a --repeat 5", "o=a repeat=500"},
      {"r -o a --repeat 0.00", "! --repeat" + kRange + "0.01 and 5.00"},
      {"r -o a --repeat 1.234", kDecimals + "1.234'"},
      {"r -o a --script 051-123|", "o=a script=[000]051-123|()"},
      {"r -o a --script [042]191-()", "o=a script=[042]191-()"},
      {"r -o a --script ()", "! the script holds no operation"},
      {"r -o a --script 051-2",
       "! the script's operations are groups of four characters such as 051-, not '051-2'"},
      {"r -o a --script [00]051-", "! the script must start with '[' three digits ']'"},
      {"r -o a --script 201-", "! script operation 1 ('201-" + kOperation},
      {"r -o a --script 001-", "! script operation 1 ('001-" + kOperation},
      {"r -o a --script 051-052x", "! script operation 2 ('052x" + kOperation},
      {"r -o a --template 0", "! --template" + kRange + "1 and 19"},
      {"r -o a --template 20", "! --template" + kRange + "1 and 19"},
      {"r -o a --sample 0", "! --sample" + kRange + "1 and 12"},
      {"r -o a --sample 13", "! --sample" + kRange + "1 and 12"},
      {"r -o a --hue 360", "! --hue" + kRange + "0 and 359"},
      {"r -o a --ring 360", "! --ring" + kRange + "0 and 359"},
      {"r -o a --preset 0", "! --preset" + kRange + "1 and 999"},
      {"r -o a --hue 12x", "! --hue takes a whole number, not '12x'"},
      {"r -o a --size 640", "! --size takes WIDTHxHEIGHT, such as 640x480, not '640'"},
      {"r -o a --size 1x5", "! --size width" + kRange + "2 and 1048576"},
      {"r", "! -o OUT is required"}, {"r -o", "! -o needs a value"},
      {"r -o a --frobnicate", "! unknown option '--frobnicate'"},
      {"a -o f --frames 6 --script 071-142- --size 48x36",
       "o=f 48x36 frames=6 script=[000]071-142-()"},
      {"a -o f --frames 5", "! --script TEXT (or --record FILE holding a storyboard) is required"},
      {"a -o f --script 071-", "! --frames F (2..900) is required"}};
  // clang-format on
  for (const auto& [args, parsed] : cases) EXPECT_EQ(Parsed(args), parsed) << args;
}
