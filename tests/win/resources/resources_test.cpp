// The module's resources as loaded from qlnprism.dll: the template bitmaps as
// the build rendered them, the mirror button image, the hue cursor and the
// texts the messages are made from.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "resources/resource_ids.h"
#include "win/common/module_fixture.h"

TEST(Resources, TemplateBitmapsAreTheRenderedSixtyBySixtyFiles) {
  REQUIRE_MODULE();
  for (int t = 1; t <= 19; ++t) {
    const HRSRC r =
        FindResourceA(Module().handle, MAKEINTRESOURCEA(IDB_TEMPLATE_BASE + t), RT_BITMAP);
    ASSERT_NE(r, nullptr) << t;
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(Module().handle, r)));
    const std::vector<char> stored(bytes, bytes + SizeofResource(Module().handle, r));
    char name[300];
    std::snprintf(name, sizeof name, "%s/template%02d.bmp", QUILLAN_RESOURCE_DIR, t);
    std::ifstream in(name, std::ios::binary);
    const std::vector<char> file((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GT(file.size(), 14u) << name;
    EXPECT_EQ(stored, std::vector<char>(file.begin() + 14, file.end()))
        << t;  // less the file header
    const HBITMAP b = LoadBitmapA(Module().handle, MAKEINTRESOURCEA(IDB_TEMPLATE_BASE + t));
    BITMAP info{};
    ASSERT_TRUE(b && GetObjectA(b, sizeof info, &info));
    EXPECT_TRUE(info.bmWidth == 60 && info.bmHeight == 60) << t;
    DeleteObject(b);
  }
  const HBITMAP mirror = LoadBitmapA(Module().handle, MAKEINTRESOURCEA(IDB_MIRROR));
  BITMAP info{};
  ASSERT_TRUE(mirror && GetObjectA(mirror, sizeof info, &info));
  EXPECT_TRUE(info.bmWidth == 18 && info.bmHeight == 14);
  DeleteObject(mirror);
  ICONINFO cursor{};
  ASSERT_TRUE(GetIconInfo(LoadCursorA(Module().handle, MAKEINTRESOURCEA(IDC_HUE_DRAG)), &cursor));
  EXPECT_TRUE(cursor.xHotspot == 16 && cursor.yHotspot == 16);
  DeleteObject(cursor.hbmMask);
  if (cursor.hbmColor) DeleteObject(cursor.hbmColor);
}

TEST(Resources, TextsTheMessagesAreMadeOf) {
  REQUIRE_MODULE();
  const std::pair<int, const char*> texts[] = {
      {500, "Quillan"},
      {509, "This %s option value must be between %d and %d."},
      {512, "This %s option value must be between %d.%02d and %d.%02d."},
      {518, "Invalid number or the number must be between %d and %d."},
      {527, "Repeat"}};
  for (const auto& [id, text] : texts) {
    char buffer[260] = {};
    LoadStringA(Module().handle, static_cast<UINT>(id), buffer, sizeof buffer);
    EXPECT_STREQ(buffer, text) << id;
  }
}
