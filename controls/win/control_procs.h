// Window procedures of the module's six window classes, and the private
// messages the controls take and send.
#pragma once

#include <windows.h>

LRESULT CALLBACK PalBarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK RepeatFloatSpinWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK PalHueBarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK PalViewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK RingCircleWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK PalModifyWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Repeat bar (PalBarClass): wParam mirror flag, lParam repeat in hundredths.
inline constexpr UINT kPalBarSet = WM_USER + 7;

// Repeat number field (RepeatFloatSpinClass).
inline constexpr UINT kRepeatSpinSetRange = WM_USER + 101;  // wParam minimum, lParam maximum
inline constexpr UINT kRepeatSpinSetValue = WM_USER + 103;  // wParam value (1..500, else 500)
// wParam: int* set to 1 when the text is invalid for the range, else 0.
// Returns the stored value.
inline constexpr UINT kRepeatSpinGetValue = WM_USER + 104;
// Child ids of the field.
inline constexpr int kRepeatSpinEditId = 1;
inline constexpr int kRepeatSpinArrowsId = 2;

// Hue bar (PalHueBarClass): set the hue (wParam, no report); reports go to
// the parent as kHueBarNotify with wParam the hue and lParam 0 when a drag
// starts, 1 otherwise.
inline constexpr UINT kHueBarSet = WM_USER + 7;
inline constexpr UINT kHueBarNotify = WM_USER + 8;

// Ring view (x32PalViewClass).
inline constexpr UINT kPalViewSet =
    WM_USER + 7;  // wParam image (0 keeps), lParam palette (0 keeps)
inline constexpr UINT kPalViewGetSize = WM_USER + 9;  // wParam int* width, lParam int* height

// Ramp ring editor (x32PalModifyClass) and its stop circles (RingCircleClass).
inline constexpr UINT kRingEditorDeleteStop = WM_USER + 4;  // wParam position
inline constexpr UINT kRingEditorMoveStop = WM_USER + 5;    // wParam old, lParam new position
inline constexpr UINT kRingEditorSetRing = WM_USER + 6;     // wParam ring
// wParam PaletteRamp* or 0, lParam hue shift in the low word and ring in the high word.
inline constexpr UINT kRingEditorSet = WM_USER + 7;
inline constexpr UINT kRingEditorRecolourStop = WM_USER + 8;  // wParam position, lParam colour
inline constexpr UINT kRingEditorGetRamp = WM_USER + 9;       // wParam PaletteRamp* (1028 bytes)
// To the parent: wParam kind, lParam the ramp, ring or record image.
inline constexpr UINT kRingEditorNotify = WM_USER + 14;
inline constexpr WPARAM kRingEditorDeleted = 0;     // lParam PaletteRamp*
inline constexpr WPARAM kRingEditorRingSet = 2;     // lParam ring
inline constexpr WPARAM kRingEditorRampEdited = 3;  // lParam ParamRecord* (words 3, 9, 16..272)
// A circle: wParam hue shift, lParam new colour or -1 to keep it.
inline constexpr UINT kRingCircleSet = WM_USER + 7;
