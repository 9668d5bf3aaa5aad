// The module's resources as stored in qlnprism.dll: dialog templates read
// from their binary form, menus, strings, bitmaps and the cursor.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "win/common/dialog_tables.h"
#include "win/common/module_fixture.h"

namespace {

// The bytes of one resource of the module, or empty.
std::vector<uint8_t> resourceBytes(int id, LPCSTR type) {
  const HRSRC r = FindResourceA(Module().handle, MAKEINTRESOURCEA(id), type);
  if (r == nullptr) return {};
  const HGLOBAL g = LoadResource(Module().handle, r);
  const auto* p = static_cast<const uint8_t*>(LockResource(g));
  return p != nullptr ? std::vector<uint8_t>(p, p + SizeofResource(Module().handle, r))
                      : std::vector<uint8_t>{};
}

// Reads a dialog template (the classic, non-extended form) word by word;
// past the end it gives zeros and is no longer ok.
struct TemplateReader {
  const std::vector<uint8_t>& b;
  size_t at = 0;
  bool ok = true;
  uint16_t word() {
    ok = ok && at + 2 <= b.size();
    const uint16_t v = ok ? static_cast<uint16_t>(b[at] | (b[at + 1] << 8)) : 0;
    at += 2;
    return v;
  }
  uint32_t dword() { return word() | (static_cast<uint32_t>(word()) << 16); }
  short number() { return static_cast<short>(word()); }
  // A text of 16-bit characters (all ASCII here), or an ordinal: the
  // predefined control classes by name, others as "#n".
  std::string text() {
    const uint16_t first = word();
    if (first == 0xFFFF) {
      const uint16_t n = word();
      return n == 0x80   ? "BUTTON"
             : n == 0x81 ? "EDIT"
             : n == 0x82 ? "STATIC"
                         : "#" + std::to_string(n);
    }
    std::string s;
    for (uint16_t c = first; ok && c != 0; c = word()) s.push_back(static_cast<char>(c));
    return s;
  }
};

}  // namespace

TEST(DialogTemplates, EveryDialogMatchesItsLayout) {
  REQUIRE_MODULE();
  for (const DialogSpec& d : DialogSpecs()) {
    SCOPED_TRACE("dialog " + std::to_string(d.id));
    const std::vector<uint8_t> bytes = resourceBytes(d.id, MAKEINTRESOURCEA(5) /* dialog */);
    ASSERT_FALSE(bytes.empty());
    TemplateReader r{bytes};
    const uint32_t style = r.dword();
    ASSERT_NE(style & 0xFFFF0000u, 0xFFFF0000u) << "extended template";
    EXPECT_EQ(style, d.style | DS_SETFONT);
    EXPECT_EQ(r.dword(), 0u);  // extended style
    const uint16_t count = r.word();
    for (short v : {d.x, d.y, d.cx, d.cy}) EXPECT_EQ(r.number(), v);
    EXPECT_EQ(r.text(), "");  // no menu
    EXPECT_EQ(r.text(), "");  // the standard dialog class
    EXPECT_EQ(r.text(), d.title);
    EXPECT_EQ(r.word(), 8);  // points
    EXPECT_EQ(r.text(), "MS Sans Serif");
    ASSERT_EQ(count, d.controls.size());
    for (const ControlSpec& c : d.controls) {
      SCOPED_TRACE("control " + std::to_string(c.id) + " " + c.text);
      r.at = (r.at + 3) & ~size_t{3};
      EXPECT_EQ(r.dword(), c.style | WS_CHILD | WS_VISIBLE);
      EXPECT_EQ(r.dword(), 0u);
      for (short v : {c.x, c.y, c.cx, c.cy}) EXPECT_EQ(r.number(), v);
      EXPECT_EQ(r.word(), c.id);
      // Class names are matched without regard to case (the resource
      // compiler stores them in capitals).
      const std::string stored = r.text();
      EXPECT_EQ(_stricmp(stored.c_str(), c.className), 0) << stored;
      EXPECT_EQ(r.text(), c.text);
      EXPECT_EQ(r.word(), 0);  // no creation data
      ASSERT_TRUE(r.ok);
    }
  }
}

TEST(Menus, PopupsWithTheirItems) {
  REQUIRE_MODULE();
  struct Item {
    UINT id;
    const char* text;
  };
  struct MenuSpec {
    int id;
    const char* popup;
    std::vector<Item> items;
  };
  const MenuSpec menus[] = {
      {100, "IIOMenu", {{111, "&Apply"}, {112, "&Delete"}, {115, "&Rename..."}}},
      {101, "Circle Menu", {{113, "&Change Color..."}, {114, "&Delete"}}},
  };
  for (const MenuSpec& m : menus) {
    SCOPED_TRACE(m.popup);
    const HMENU menu = LoadMenuA(Module().handle, MAKEINTRESOURCEA(m.id));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    char text[64] = {};
    GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, m.popup);
    const HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(m.items.size()));
    for (size_t i = 0; i < m.items.size(); ++i) {
      EXPECT_EQ(GetMenuItemID(popup, static_cast<int>(i)), m.items[i].id);
      GetMenuStringA(popup, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
      EXPECT_STREQ(text, m.items[i].text);
    }
    DestroyMenu(menu);
  }
}

TEST(Strings, EveryTextByItsId) {
  REQUIRE_MODULE();
  const std::pair<int, const char*> strings[] = {
      {500, "Quillan"},
      {501, "&Quillan..."},
      {502, "C&reative"},
      {503, "Quillan-Mode:%d"},
      {504, "&Undo"},
      {505, "&Redo"},
      {509, "This %s option value must be between %d and %d."},
      {510, "Palette-%d"},
      {511, "&Mode: %d"},
      {512, "This %s option value must be between %d.%02d and %d.%02d."},
      {515, "Unable to add thumbnails to the library."},
      {516, "Insufficient memory or unable to edit the Color Palette."},
      {517, "%d"},
      {518, "Invalid number or the number must be between %d and %d."},
      {520, "The number of operations must be fewer than %d."},
      {522, "Are you sure you want to remove the script from the library?"},
      {523, "File %s already exists, do you want to overwrite it?"},
      {524, "Unable to save gif file."},
      {526, "Hue shift"},
      {527, "Repeat"},
      {528, "Ring"},
      {529, "The width and height of the image must be larger than 2 pixels."},
      {530, "&Reset"},
      {531, "Dele&te All"},
      {532, "&Normal"},
      {533, "Ad&vanced..."},
      {534, "&Undo"},
      {535, "&Delete"},
      {536, "Delete"},
      {537, "Pattern template: %d"},
      {538, "Pattern template: None"},
      {539, "Pattern-%d"},
      {1017, "Please enter a name for the thumbnail."},
  };
  for (const auto& [id, text] : strings) {
    char buffer[260] = {};
    EXPECT_GT(LoadStringA(Module().handle, static_cast<UINT>(id), buffer, sizeof buffer), 0) << id;
    EXPECT_STREQ(buffer, text) << id;
  }
  char buffer[16] = {};
  EXPECT_EQ(LoadStringA(Module().handle, 506, buffer, sizeof buffer), 0);
}

TEST(Bitmaps, TemplateThumbnailsAreCoreHeaderSixtyBySixtyRenders) {
  REQUIRE_MODULE();
  std::set<std::vector<uint8_t>> distinct;
  for (int t = 1; t <= 19; ++t) {
    SCOPED_TRACE(t);
    const std::vector<uint8_t> b = resourceBytes(IDB_TEMPLATE_BASE + t, MAKEINTRESOURCEA(2));
    ASSERT_EQ(b.size(), 12u + 60 * 180);
    BITMAPCOREHEADER h;
    std::memcpy(&h, b.data(), sizeof h);
    EXPECT_EQ(h.bcSize, 12u);
    EXPECT_TRUE(h.bcWidth == 60 && h.bcHeight == 60 && h.bcPlanes == 1 && h.bcBitCount == 24);
    // The file the build rendered for template t, after its 14-byte file header.
    char name[64];
    std::snprintf(name, sizeof name, "%s/template%02d.bmp", QUILLAN_RESOURCE_DIR, t);
    std::ifstream in(name, std::ios::binary);
    ASSERT_TRUE(in) << name;
    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    ASSERT_EQ(file.size(), b.size() + 14);
    EXPECT_TRUE(std::equal(b.begin(), b.end(), file.begin() + 14));
    EXPECT_GT(std::set<uint8_t>(b.begin() + 12, b.end()).size(), 8u) << "a picture, not flat";
    distinct.insert(b);
  }
  EXPECT_EQ(distinct.size(), 19u);
  EXPECT_TRUE(resourceBytes(120, MAKEINTRESOURCEA(2)).empty());
  EXPECT_TRUE(resourceBytes(140, MAKEINTRESOURCEA(2)).empty());
}

TEST(Bitmaps, MirrorButtonImageIsEighteenByFourteenFourBit) {
  REQUIRE_MODULE();
  const std::vector<uint8_t> b = resourceBytes(IDB_MIRROR, MAKEINTRESOURCEA(2));
  ASSERT_GE(b.size(), sizeof(BITMAPINFOHEADER));
  BITMAPINFOHEADER h;
  std::memcpy(&h, b.data(), sizeof h);
  EXPECT_EQ(h.biWidth, 18);
  EXPECT_EQ(h.biHeight, 14);
  EXPECT_EQ(h.biBitCount, 4);
  EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
  EXPECT_EQ(b.size(), sizeof h + 16 * 4 + 12 * 14);
  // The image uses more than one colour: a symbol on its ground.
  std::set<int> used;
  for (size_t i = sizeof h + 64; i < b.size(); ++i) {
    used.insert(b[i] >> 4);
    used.insert(b[i] & 15);
  }
  EXPECT_GE(used.size(), 3u);
}

TEST(Cursor, HueDragCursorLoadsWithItsHotSpotInTheMiddle) {
  REQUIRE_MODULE();
  const HCURSOR cursor = LoadCursorA(Module().handle, MAKEINTRESOURCEA(IDC_HUE_DRAG));
  ASSERT_NE(cursor, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 16u);
  EXPECT_EQ(info.yHotspot, 16u);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
}
