// The template bitmaps as loaded from qlnprism.dll: 60 by 60, the very
// bitmaps the build rendered into files.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "engine/bmp_image.h"
#include "resources/resource_ids.h"
#include "win/common/module_fixture.h"

TEST(Resources, TemplateBitmapsAreTheRenderedSixtyBySixtyFiles) {
  REQUIRE_MODULE();
  for (int t = 1; t <= 19; ++t) {
    const LPCSTR id = MAKEINTRESOURCEA(IDB_TEMPLATE_BASE + t);
    const HRSRC r = FindResourceA(Module().handle, id, RT_BITMAP);
    const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(Module().handle, r)));
    const std::string name = std::string(QUILLAN_RESOURCE_DIR "/template") + char('0' + t / 10) +
                             char('0' + t % 10) + ".bmp";
    std::vector<uint8_t> file;
    ASSERT_TRUE(ReadWholeFile(name, 1 << 20, &file, nullptr) && file.size() > 14) << name;
    // The stored bitmap is the file less its 14-byte header.
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + SizeofResource(Module().handle, r)),
              std::vector<uint8_t>(file.begin() + 14, file.end()))
        << t;
    const HBITMAP b = LoadBitmapA(Module().handle, id);
    BITMAP info{};
    EXPECT_TRUE(GetObjectA(b, sizeof info, &info) && info.bmWidth == 60 && info.bmHeight == 60)
        << t;
    DeleteObject(b);
  }
}
