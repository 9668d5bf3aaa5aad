// The module's seven dialog layouts as they must be: dialog styles, titles,
// and every control's id, class, text, style and position in dialog units.
#pragma once

#include <windows.h>
// The common controls header needs windows.h before it.
#include <commctrl.h>

#include <cstdint>
#include <vector>

struct ControlSpec {
  int id;  // 0xFFFF for a label without an id
  const char* className;
  const char* text;
  DWORD style;  // without WS_CHILD | WS_VISIBLE, which every control has
  short x, y, cx, cy;
};

struct DialogHead {
  int id;
  const char* title;
  DWORD style;
  short x, y, cx, cy;
};
struct DialogSpec : DialogHead {
  std::vector<ControlSpec> controls;
};

inline constexpr int kNoId = 0xFFFF;
inline constexpr DWORD kBuddy = UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS;
inline constexpr DWORD kDialogFrame = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;

inline const std::vector<DialogSpec>& DialogSpecs() {
  static const std::vector<DialogSpec> specs = {
      {{200, "Vantrel Quillan.Plugin", kDialogFrame | WS_VISIBLE, 20, 20, 367, 215},
       {
           {281, "STATIC", "", SS_LEFT | WS_GROUP, 351, 156, 8, 8},
           {1, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 310, 6, 50, 14},
           {2, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 310, 22, 50, 14},
           {239, "BUTTON", "&Help", BS_PUSHBUTTON | WS_TABSTOP, 310, 39, 50, 14},
           {276, "BUTTON", "A&bout", BS_PUSHBUTTON | WS_TABSTOP, 310, 55, 50, 14},
           {1022, "BUTTON", "&Load Lib...", BS_PUSHBUTTON | WS_TABSTOP, 310, 72, 50, 14},
           {1023, "BUTTON", "&Add To Lib...", BS_PUSHBUTTON | WS_TABSTOP, 310, 88, 50, 14},
           {1020, "BUTTON", "&Delete", BS_PUSHBUTTON | WS_TABSTOP, 310, 105, 50, 14},
           {248, "BUTTON", "Dele&te All", BS_PUSHBUTTON | WS_TABSTOP, 310, 121, 50, 14},
           {280, "BUTTON", "&Normal", BS_PUSHBUTTON | WS_TABSTOP, 310, 138, 50, 14},
           {1019, "BUTTON", "&Replace", BS_PUSHBUTTON | WS_DISABLED | WS_TABSTOP, 309, 155, 50, 14},
           {1031, "BUTTON", "&Unselect", BS_PUSHBUTTON | WS_TABSTOP, 309, 172, 50, 14},
           {279, "BUTTON", "Ani&mation...", BS_PUSHBUTTON | WS_TABSTOP, 309, 189, 50, 14},
           {235, "BUTTON", "&Edit...", BS_PUSHBUTTON | WS_TABSTOP, 12, 76, 29, 14},
           {242, "BUTTON", "Palette ramp", BS_GROUPBOX | WS_GROUP, 6, 6, 161, 90},
           {231, "STATIC", "Hue &shift (0..359):", SS_LEFT | WS_GROUP, 68, 17, 78, 8},
           {212, "PalHueBarClass", "", 0, 68, 31, 50, 12},
           {213, "EDIT", "", ES_NUMBER | WS_BORDER | WS_TABSTOP, 122, 30, 34, 13},
           {214, "msctls_updown32", "", kBuddy, 11, 13, 8, 8},
           {kNoId, "STATIC", "Rin&g (0..359):", SS_LEFT | WS_GROUP, 67, 49, 44, 8},
           {229, "x32PalViewClass", "", 0, 11, 17, 54, 54},
           {233, "EDIT", "", ES_NUMBER | WS_BORDER | WS_TABSTOP, 121, 47, 34, 12},
           {234, "msctls_updown32", "", UDS_WRAP | kBuddy, 11, 13, 8, 8},
           {232, "STATIC", "Re&peat number (0.01..5.00):", SS_LEFT | WS_GROUP, 68, 64, 93, 8},
           {205, "PalBarClass", "", 0, 67, 78, 50, 12},
           {206, "RepeatFloatSpinClass", "", WS_TABSTOP, 122, 77, 36, 13},
           {215, "XL32IconBtn", "307;0,0,18,14", 0x3, 45, 76, 18, 14},
           {1028, "X32IIO_CLASS", "", WS_VSCROLL | WS_TABSTOP, 174, 15, 127, 78},
           {1018, "X32IIO_CLASS", "", WS_VSCROLL | WS_TABSTOP, 12, 112, 290, 32},
           {1029, "X32IIO_CLASS", "", WS_VSCROLL | WS_TABSTOP, 11, 161, 290, 44},
           {kNoId, "BUTTON", "Pattern samples", BS_GROUPBOX, 170, 6, 135, 90},
           {1030, "BUTTON", "Pattern template:", BS_GROUPBOX, 6, 103, 299, 47},
           {kNoId, "BUTTON", "Storyboard", BS_GROUPBOX, 5, 153, 299, 56},
       }},
      {{201, "Palette Ramp Editor", kDialogFrame | WS_VISIBLE, 0, 0, 310, 262},
       {
           {1, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 12, 170, 50, 14},
           {2, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 12, 187, 50, 14},
           {240, "BUTTON", "&Add...", BS_PUSHBUTTON | WS_TABSTOP, 74, 170, 50, 14},
           {228, "BUTTON", "&Help", BS_PUSHBUTTON | WS_TABSTOP, 74, 187, 50, 14},
           {kNoId, "BUTTON", "Palette ramp", BS_GROUPBOX | WS_GROUP, 6, 8, 120, 158},
           {241, "x32PalModifyClass", "", 0x7, 12, 19, 108, 97},
           {212, "PalHueBarClass", "", WS_TABSTOP, 14, 131, 50, 14},
           {230, "STATIC", "Hue &shift (0..359):", SS_LEFT | WS_GROUP, 14, 121, 100, 8},
           {213, "EDIT", "", ES_NUMBER | WS_BORDER | WS_TABSTOP, 80, 131, 40, 13},
           {214, "msctls_updown32", "", kBuddy, 6, 6, 12, 8},
           {kNoId, "STATIC", "Rin&g (0..359):", SS_LEFT | WS_GROUP, 14, 151, 57, 8},
           {233, "EDIT", "", ES_NUMBER | WS_BORDER | WS_TABSTOP, 80, 150, 40, 13},
           {234, "msctls_updown32", "", UDS_WRAP | kBuddy, 6, 6, 12, 8},
           {401, "X32IIO_CLASS", "", WS_BORDER | WS_TABSTOP, 132, 11, 172, 191},
           {402, "X32IIO_CLASS", "", WS_BORDER | WS_TABSTOP, 11, 213, 289, 41},
           {403, "BUTTON", "Pattern samples", BS_GROUPBOX, 6, 204, 298, 52},
       }},
      {{102, "Animation", kDialogFrame, 0, 0, 156, 71},
       {
           {1, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 100, 6, 50, 14},
           {2, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 100, 23, 50, 14},
           {9, "BUTTON", "&Help", BS_PUSHBUTTON | WS_TABSTOP, 100, 44, 50, 14},
           {kNoId, "STATIC", "Method:", SS_LEFT | WS_GROUP, 6, 6, 27, 8},
           {800, "BUTTON", "&GIF animation", BS_AUTORADIOBUTTON | WS_TABSTOP, 19, 18, 59, 10},
           {801, "BUTTON", "&Sequence images", BS_AUTORADIOBUTTON, 19, 29, 73, 10},
           {kNoId, "STATIC", "&Frames (2..900):", SS_LEFT | WS_GROUP, 6, 46, 60, 8},
           {802, "EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 66, 44, 28, 14},
           {803, "msctls_updown32", "", kBuddy, 90, 44, 12, 14},
       }},
      {{104, "Load Pattern From Library", kDialogFrame, 0, 0, 250, 230},
       {
           {1, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 86, 210, 50, 14},
           {2, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 139, 210, 50, 14},
           {1020, "BUTTON", "&Delete", BS_PUSHBUTTON | WS_TABSTOP, 194, 210, 50, 14},
           {1058, "X32IIO_CLASS", "Custom1", WS_TABSTOP, 10, 14, 230, 150},
           {1060, "EDIT", "", ES_MULTILINE | ES_AUTOHSCROLL | ES_READONLY | WS_BORDER, 6, 172, 238,
            27},
           {403, "BUTTON", "", BS_GROUPBOX | WS_GROUP, 6, 6, 238, 162},
       }},
      {{106, "Add Pattern To Library", kDialogFrame, 0, 0, 136, 97},
       {
           {1, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 80, 8, 50, 14},
           {2, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 80, 26, 50, 14},
           {kNoId, "STATIC", "&Script name:", SS_LEFT | WS_GROUP, 6, 69, 93, 8},
           {1061, "EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 6, 79, 124, 12},
           {258, "X32IIO_CLASS", "", 0, 6, 6, 60, 54},
       }},
      {{105, "Add Palette Ramp Sample", kDialogFrame, 0, 0, 136, 97},
       {
           {1, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 80, 8, 50, 14},
           {2, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 80, 26, 50, 14},
           {kNoId, "STATIC", "&Sample name:", SS_LEFT | WS_GROUP, 6, 69, 93, 8},
           {1061, "EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 6, 79, 124, 12},
           {258, "X32IIO_CLASS", "", 0, 6, 6, 60, 54},
       }},
      {{202, "Rename", kDialogFrame | WS_VISIBLE, 0, 0, 186, 42},
       {
           {1, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 130, 6, 50, 14},
           {2, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 130, 23, 50, 14},
           {kNoId, "STATIC", "&Thumbnail label:", SS_LEFT | WS_GROUP, 6, 7, 116, 9},
           {235, "EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 6, 22, 116, 12},
       }},
  };
  return specs;
}
