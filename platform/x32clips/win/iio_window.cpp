// The list window class: drawing, scrolling, mouse, keyboard and drag and
// drop; and the library's entry, which registers the class.
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "platform/x32base/buf32.h"
#include "platform/x32clips/iio_view.h"
#include "platform/x32clips/win/x32clips_win.h"

namespace {

struct WindowState {
  IIOHandle list = 0;
  HFONT font = nullptr;
  int wheelRest = 0;
  bool updatingView = false;
  // Left button held on an item, and the drag that may follow.
  bool pressed = false;
  bool dragging = false;
  POINT pressPoint{};
  int32_t pressId = -1;
  HWND dropWindow = nullptr;
  int32_t dropPosition = -2;
  bool dropAllowed = false;
};

HINSTANCE g_instance = nullptr;

WindowState* StateOf(HWND w) { return reinterpret_cast<WindowState*>(GetWindowLongPtrA(w, 0)); }

bool IsListWindow(HWND w) {
  char name[32] = {};
  return w != nullptr && IsWindow(w) && GetClassNameA(w, name, sizeof name) > 0 &&
         lstrcmpiA(name, kIIOClassName) == 0 && StateOf(w) != nullptr;
}

HWND AsWindow(intptr_t window) { return reinterpret_cast<HWND>(window); }

int ScrollBarWidth() { return GetSystemMetrics(SM_CXVSCROLL); }

// Client width with a shown vertical scroll bar's width added back.
int InnerWidth(HWND w, const RECT& client) {
  const bool bar = (GetWindowLongPtrA(w, GWL_STYLE) & WS_VSCROLL) != 0;
  return client.right + (bar ? ScrollBarWidth() : 0);
}

int LabelHeight(HWND w, const WindowState& s) {
  const HDC dc = GetDC(w);
  const HGDIOBJ old = SelectObject(dc, s.font ? s.font : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(w, dc);
  return tm.tmHeight + 2;
}

void UpdateScrollBar(HWND w, const WindowState& s) {
  IioGrid g{};
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  if (s.list != 0 && IioGetGrid(s.list, &g)) {
    si.nMax = std::max(0, g.totalRows - 1);
    si.nPage = static_cast<UINT>(g.visibleRows);
    si.nPos = g.topRow;
  }
  SetScrollInfo(w, SB_VERT, &si, TRUE);
}

// Tells the list the window's size and sets the scroll bar.
void UpdateView(HWND w) {
  WindowState* s = StateOf(w);
  if (s == nullptr || s->updatingView) return;
  s->updatingView = true;
  if (s->list != 0) {
    RECT client{};
    GetClientRect(w, &client);
    IioSetViewSize(s->list, InnerWidth(w, client), client.bottom, ScrollBarWidth(),
                   LabelHeight(w, *s));
  }
  UpdateScrollBar(w, *s);
  s->updatingView = false;
  InvalidateRect(w, nullptr, FALSE);
}

// ---------------------------------------------------------------------------
// How the list service reaches its windows

void OnAttached(IIOHandle list, intptr_t window) {
  const HWND w = AsWindow(window);
  if (!IsListWindow(w)) return;
  WindowState* s = StateOf(w);
  const IIOHandle old = s->list;
  s->list = list;
  if (old != 0 && old != list) IioForgetWindow(old, window);
  s->pressed = s->dragging = false;
  UpdateView(w);
}

void OnDetached(IIOHandle list, intptr_t window) {
  const HWND w = AsWindow(window);
  if (!IsListWindow(w)) return;
  WindowState* s = StateOf(w);
  if (s->list != list) return;
  s->list = 0;
  s->pressed = s->dragging = false;
  if (GetCapture() == w) ReleaseCapture();
  UpdateView(w);
}

void OnChanged(IIOHandle, intptr_t window) {
  const HWND w = AsWindow(window);
  if (!IsListWindow(w)) return;
  UpdateScrollBar(w, *StateOf(w));
  InvalidateRect(w, nullptr, FALSE);
}

void OnRedraw(IIOHandle list, intptr_t window) {
  OnChanged(list, window);
  RedrawWindow(AsWindow(window), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

const IioViewHooks kHooks = {OnAttached, OnDetached, OnChanged, OnRedraw};

// ---------------------------------------------------------------------------
// Drawing

RECT ToRect(const IioRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

void DrawThumbnail(HDC dc, const RECT& area, Buf32Handle image, bool fit) {
  uint32_t w = 0, h = 0, bytes = 0;
  const int aw = area.right - area.left, ah = area.bottom - area.top;
  if (aw <= 0 || ah <= 0) return;
  if (image == 0 || !buf32GetWHU(image, &w, &h, &bytes) || bytes != 3 || w == 0 || h == 0) {
    RECT r = area;
    DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    return;
  }
  const size_t stride = (size_t{w} * 3 + 3) & ~size_t{3};
  std::vector<uint8_t> bits;
  std::vector<uint8_t> row(size_t{w} * 3);
  try {
    bits.resize(stride * h);
  } catch (const std::bad_alloc&) {
    return;
  }
  if (!buf32Lock(image, kBuf32Read, nullptr)) return;
  for (uint32_t y = 0; y < h; ++y)
    if (buf32Line(image, static_cast<int>(y), kBuf32Read, row.data()))
      RGBToBGR(row.data(), bits.data() + stride * y, static_cast<int>(w));
  buf32Unlock(image);
  int dw = static_cast<int>(w), dh = static_cast<int>(h);
  if (fit) {
    const double scale = std::min(static_cast<double>(aw) / w, static_cast<double>(ah) / h);
    dw = std::max(1, static_cast<int>(std::lround(w * scale)));
    dh = std::max(1, static_cast<int>(std::lround(h * scale)));
  }
  const int dx = area.left + (aw - dw) / 2, dy = area.top + (ah - dh) / 2;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = static_cast<LONG>(w);
  bi.bmiHeader.biHeight = -static_cast<LONG>(h);  // rows from the top
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
  SetStretchBltMode(dc, dw < static_cast<int>(w) ? HALFTONE : COLORONCOLOR);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchDIBits(dc, dx, dy, dw, dh, 0, 0, static_cast<int>(w), static_cast<int>(h), bits.data(),
                &bi, DIB_RGB_COLORS, SRCCOPY);
  RestoreDC(dc, saved);
}

void Paint(HWND w) {
  PAINTSTRUCT ps;
  const HDC target = BeginPaint(w, &ps);
  RECT client{};
  GetClientRect(w, &client);
  const HDC dc = CreateCompatibleDC(target);
  const HBITMAP bitmap = CreateCompatibleBitmap(target, std::max<LONG>(client.right, 1),
                                                std::max<LONG>(client.bottom, 1));
  const HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
  const WindowState* s = StateOf(w);
  IIODefinition def{};
  IioGrid g{};
  if (s != nullptr && s->list != 0 && IioGetDefinition(s->list, &def) && IioGetGrid(s->list, &g)) {
    const IIOHandle list = s->list;
    std::vector<int32_t> selected(static_cast<size_t>(x32IIOAction(list, kIIOGetSelection, 0, 0)));
    IIOSelection sel{static_cast<int32_t>(selected.size()), selected.data()};
    x32IIOAction(list, kIIOGetSelection, 0, reinterpret_cast<intptr_t>(&sel));
    selected.resize(static_cast<size_t>(sel.count));
    const HGDIOBJ oldFont = SelectObject(dc, s->font ? s->font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    const bool enabled = IsWindowEnabled(w) != FALSE;
    const bool focused = GetFocus() == w;
    const int32_t focusId = IioFocusId(list);
    const int32_t n = x32IIOAction(list, kIIOCount, 0, 0);
    for (int32_t p = g.topRow * g.columns; p < n; ++p) {
      IioRect cell{}, image{}, label{};
      if (!IioCellParts(list, p, &cell, &image, &label) || cell.top >= client.bottom) break;
      IIItem item{};
      const int32_t id = x32IIOAction(list, kIIOIdAt, 0, p);
      if (!x32IIAction(list, kIIRead, static_cast<uintptr_t>(id),
                       reinterpret_cast<intptr_t>(&item)))
        continue;
      const bool isSelected = std::find(selected.begin(), selected.end(), id) != selected.end();
      RECT imageRect = ToRect(image);
      if (isSelected) {  // a ring of the highlight colour round the image place
        RECT frame = imageRect;
        InflateRect(&frame, 2, 2);
        FillRect(dc, &frame, GetSysColorBrush(COLOR_HIGHLIGHT));
        FillRect(dc, &imageRect, GetSysColorBrush(COLOR_WINDOW));
      }
      DrawThumbnail(dc, imageRect, item.image, def.fitImages != 0);
      if (def.labelPlace != 0 && label.bottom > label.top && item.label[0] != '\0') {
        RECT labelRect = ToRect(label);
        if (isSelected) FillRect(dc, &labelRect, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(!enabled     ? COLOR_GRAYTEXT
                                     : isSelected ? COLOR_HIGHLIGHTTEXT
                                                  : COLOR_WINDOWTEXT));
        DrawTextA(dc, item.label, -1, &labelRect,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
      }
      if (focused && id == focusId) {
        RECT f = ToRect(cell);
        InflateRect(&f, -1, -1);
        DrawFocusRect(dc, &f);
      }
    }
    SelectObject(dc, oldFont);
  }
  BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  EndPaint(w, &ps);
}

// ---------------------------------------------------------------------------
// Input

// After a callback the list may be gone, detached, or the window destroyed.
bool StillShows(HWND w, IIOHandle list) {
  return IsWindow(w) && StateOf(w) != nullptr && StateOf(w)->list == list && list != 0;
}

void Refresh(HWND w) {
  const WindowState* s = StateOf(w);
  if (s == nullptr) return;
  UpdateScrollBar(w, *s);
  InvalidateRect(w, nullptr, FALSE);
}

void EndDrag(HWND w, WindowState* s) {
  const bool had = s->pressed;
  s->pressed = s->dragging = false;
  s->dropWindow = nullptr;
  s->dropPosition = -2;
  s->dropAllowed = false;
  if (had && GetCapture() == w) ReleaseCapture();
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

// The drop record for the window under the screen point; asks the owner (7)
// when the window or the position there changed.
bool AskDrop(HWND w, WindowState* s, POINT screen, IIODrop* drop, std::vector<int32_t>* ids) {
  HWND target = WindowFromPoint(screen);
  *drop = IIODrop{};
  if (target == nullptr || target == w) return false;
  drop->window = reinterpret_cast<intptr_t>(target);
  drop->position = -1;
  drop->x = screen.x;
  drop->y = screen.y;
  if (IsListWindow(target) && StateOf(target)->list != 0) {
    drop->targetList = StateOf(target)->list;
    POINT c = screen;
    ScreenToClient(target, &c);
    drop->position = IioHitTest(drop->targetList, c.x, c.y);
    if (drop->position < 0) drop->position = x32IIOAction(drop->targetList, kIIOCount, 0, 0);
  }
  ids->assign(static_cast<size_t>(x32IIOAction(s->list, kIIOGetSelection, 0, 0)), 0);
  drop->items = IIOSelection{static_cast<int32_t>(ids->size()), ids->data()};
  x32IIOAction(s->list, kIIOGetSelection, 0, reinterpret_cast<intptr_t>(&drop->items));
  if (target == s->dropWindow && drop->position == s->dropPosition) return s->dropAllowed;
  const IIOHandle list = s->list;
  const int32_t answer = IioNotify(list, kIIOMsgDragQuery, s->pressId, drop);
  if (!StillShows(w, list)) return false;
  s = StateOf(w);
  s->dropWindow = target;
  s->dropPosition = drop->position;
  s->dropAllowed = answer != 0;
  return s->dropAllowed;
}

void OnButtonDown(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
  if (GetFocus() != w) SetFocus(w);
  WindowState* s = StateOf(w);
  if (s == nullptr || s->list == 0) return;
  const IIOHandle list = s->list;
  const int32_t pos = IioHitTest(list, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
  const IioInputResult r =
      IioClick(list, pos, (wParam & MK_CONTROL) != 0, (wParam & MK_SHIFT) != 0);
  Refresh(w);
  if (message == WM_LBUTTONDBLCLK) {
    if (pos >= 0) IioNotify(list, kIIOMsgDoubleClick, r.id, nullptr);
    return;
  }
  IioNotify(list, kIIOMsgClick, r.id, nullptr);
  if (pos < 0 || !StillShows(w, list)) return;
  s = StateOf(w);
  s->pressed = true;
  s->dragging = false;
  s->pressPoint = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  s->pressId = r.id;
  s->dropWindow = nullptr;
  s->dropPosition = -2;
  SetCapture(w);
}

void OnMouseMove(HWND w, LPARAM lParam) {
  WindowState* s = StateOf(w);
  if (s == nullptr || !s->pressed || s->list == 0) return;
  const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (!s->dragging) {
    IIODefinition def{};
    IioGetDefinition(s->list, &def);
    if (def.callback == nullptr ||
        (std::abs(p.x - s->pressPoint.x) <= GetSystemMetrics(SM_CXDRAG) &&
         std::abs(p.y - s->pressPoint.y) <= GetSystemMetrics(SM_CYDRAG)))
      return;
    s->dragging = true;
  }
  POINT screen = p;
  ClientToScreen(w, &screen);
  IIODrop drop{};
  std::vector<int32_t> ids;
  const bool allowed = AskDrop(w, s, screen, &drop, &ids);
  if (IsWindow(w) && StateOf(w) != nullptr && StateOf(w)->dragging)
    SetCursor(LoadCursorA(nullptr, allowed ? IDC_HAND : IDC_NO));
}

void OnButtonUp(HWND w, LPARAM lParam) {
  WindowState* s = StateOf(w);
  if (s == nullptr || !s->pressed) return;
  const bool dragging = s->dragging;
  const IIOHandle list = s->list;
  const int32_t id = s->pressId;
  POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ClientToScreen(w, &screen);
  IIODrop drop{};
  std::vector<int32_t> ids;
  const bool allowed = dragging && list != 0 && AskDrop(w, s, screen, &drop, &ids);
  if (!IsWindow(w) || StateOf(w) == nullptr) return;
  EndDrag(w, StateOf(w));
  if (allowed && StillShows(w, list)) IioNotify(list, kIIOMsgDrop, id, &drop);
}

void OnContextMenu(HWND w, LPARAM lParam) {
  const WindowState* s = StateOf(w);
  if (s == nullptr || s->list == 0) return;
  POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  int32_t id = -1;
  if (screen.x == -1 && screen.y == -1) {  // the keyboard: the focused item's centre
    id = IioFocusId(s->list);
    IioRect cell{0, 0, 0, 0};
    IioCellParts(s->list, x32IIOAction(s->list, kIIOPositionOf, 0, id), &cell, nullptr, nullptr);
    screen = POINT{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    ClientToScreen(w, &screen);
  } else {
    POINT c = screen;
    ScreenToClient(w, &c);
    const int32_t pos = IioHitTest(s->list, c.x, c.y);
    id = pos < 0 ? -1 : x32IIOAction(s->list, kIIOIdAt, 0, pos);
  }
  int32_t point[2] = {screen.x, screen.y};
  IioNotify(s->list, kIIOMsgRightClick, id, point);
}

void OnKey(HWND w, WPARAM key) {
  WindowState* s = StateOf(w);
  if (s == nullptr) return;
  if (key == VK_ESCAPE && s->dragging) {
    EndDrag(w, s);
    return;
  }
  IioKey k;
  switch (key) {
    case VK_LEFT: k = IioKey::kLeft; break;
    case VK_RIGHT: k = IioKey::kRight; break;
    case VK_UP: k = IioKey::kUp; break;
    case VK_DOWN: k = IioKey::kDown; break;
    case VK_HOME: k = IioKey::kHome; break;
    case VK_END: k = IioKey::kEnd; break;
    case VK_PRIOR: k = IioKey::kPageUp; break;
    case VK_NEXT: k = IioKey::kPageDown; break;
    case VK_SPACE: k = IioKey::kSpace; break;
    default: return;
  }
  if (s->list == 0) return;
  const IIOHandle list = s->list;
  const IioInputResult r =
      IioKeyPress(list, k, GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0);
  if (r.focusChanged || r.selectionChanged) Refresh(w);
  if (r.selectionChanged) IioNotify(list, kIIOMsgKeyChoose, r.id, nullptr);
}

void OnScroll(HWND w, int request) {
  WindowState* s = StateOf(w);
  IioGrid g{};
  if (s == nullptr || s->list == 0 || !IioGetGrid(s->list, &g)) return;
  int top = g.topRow;
  switch (request) {
    case SB_LINEUP: --top; break;
    case SB_LINEDOWN: ++top; break;
    case SB_PAGEUP: top -= g.visibleRows; break;
    case SB_PAGEDOWN: top += g.visibleRows; break;
    case SB_TOP: top = 0; break;
    case SB_BOTTOM: top = g.totalRows; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO si{};
      si.cbSize = sizeof si;
      si.fMask = SIF_TRACKPOS;
      GetScrollInfo(w, SB_VERT, &si);
      top = si.nTrackPos;
      break;
    }
    default: return;
  }
  if (IioSetTopRow(s->list, top) != g.topRow) Refresh(w);
}

void OnWheel(HWND w, WPARAM wParam) {
  WindowState* s = StateOf(w);
  IIODefinition def{};
  if (s == nullptr || s->list == 0 || !IioGetDefinition(s->list, &def)) return;
  s->wheelRest += GET_WHEEL_DELTA_WPARAM(wParam) * def.wheelPercent;
  const int unit = WHEEL_DELTA * 100;
  const int rows = s->wheelRest / unit;
  s->wheelRest -= rows * unit;
  IioGrid g{};
  IioGetGrid(s->list, &g);
  if (rows != 0 && IioSetTopRow(s->list, g.topRow - rows) != g.topRow) Refresh(w);
}

LRESULT CALLBACK ListWndProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      auto* s = new (std::nothrow) WindowState;
      if (s == nullptr) return FALSE;
      SetWindowLongPtrA(w, 0, reinterpret_cast<LONG_PTR>(s));
      break;
    }
    case WM_NCDESTROY: {
      WindowState* s = StateOf(w);
      if (s != nullptr && s->list != 0) IioForgetWindow(s->list, reinterpret_cast<intptr_t>(w));
      SetWindowLongPtrA(w, 0, 0);
      delete s;
      break;
    }
    case WM_DESTROY: {
      WindowState* s = StateOf(w);
      if (s != nullptr && s->list != 0) {
        IioForgetWindow(s->list, reinterpret_cast<intptr_t>(w));
        s->list = 0;
      }
      return 0;
    }
    case WM_GETDLGCODE: {
      const WindowState* s = StateOf(w);
      return s != nullptr && s->dragging ? DLGC_WANTALLKEYS : DLGC_WANTARROWS | DLGC_WANTCHARS;
    }
    case WM_SETFONT:
      if (WindowState* s = StateOf(w)) {
        s->font = reinterpret_cast<HFONT>(wParam);
        UpdateView(w);
        if (LOWORD(lParam) != 0) InvalidateRect(w, nullptr, TRUE);
      }
      return 0;
    case WM_GETFONT: {
      const WindowState* s = StateOf(w);
      return reinterpret_cast<LRESULT>(s != nullptr ? s->font : nullptr);
    }
    case WM_SIZE: UpdateView(w); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: Paint(w); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE: InvalidateRect(w, nullptr, FALSE); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: OnButtonDown(w, message, wParam, lParam); return 0;
    case WM_MOUSEMOVE: OnMouseMove(w, lParam); return 0;
    case WM_LBUTTONUP: OnButtonUp(w, lParam); return 0;
    case WM_RBUTTONDOWN:
      if (GetFocus() != w) SetFocus(w);
      return 0;
    case WM_CONTEXTMENU: OnContextMenu(w, lParam); return 0;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      if (WindowState* s = StateOf(w); s != nullptr && s->pressed && AsWindow(lParam) != w) {
        s->pressed = s->dragging = false;
        s->dropWindow = nullptr;
      }
      break;
    case WM_KEYDOWN: OnKey(w, wParam); return 0;
    case WM_VSCROLL: OnScroll(w, LOWORD(wParam)); return 0;
    case WM_MOUSEWHEEL: OnWheel(w, wParam); return 0;
    default: break;
  }
  return DefWindowProcA(w, message, wParam, lParam);
}

bool RegisterListClass(HINSTANCE instance) {
  WNDCLASSA wc{};
  wc.style = CS_GLOBALCLASS | CS_DBLCLKS;
  wc.lpfnWndProc = ListWndProc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = nullptr;
  wc.lpszClassName = kIIOClassName;
  return RegisterClassA(&wc) != 0;
}

}  // namespace

extern "C" int x32IIOGetWH(HWND window, int mode, int columns, int rows, int* cellWidth,
                           int* cellHeight, int style) {
  if (mode != 1 || window == nullptr || !IsWindow(window)) return 0;
  RECT client{};
  if (!GetClientRect(window, &client)) return 0;
  int32_t w = 0, h = 0;
  if (!IioFitCells(InnerWidth(window, client), client.bottom, columns, rows, style,
                   ScrollBarWidth(), &w, &h))
    return 0;
  if (cellWidth != nullptr) *cellWidth = w;
  if (cellHeight != nullptr) *cellHeight = h;
  return 1;
}

extern "C" IIOHandle x32IIOListOfWindow(HWND window) {
  return IsListWindow(window) ? StateOf(window)->list : 0;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_instance = instance;
    DisableThreadLibraryCalls(instance);
    IioSetViewHooks(&kHooks);
    RegisterListClass(instance);  // the library loads even when this fails
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    UnregisterClassA(kIIOClassName, g_instance);
    IioSetViewHooks(nullptr);
  }
  return TRUE;
}
