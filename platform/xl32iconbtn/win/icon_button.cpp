#include <memory>
#include <new>

#include "platform/xl32iconbtn/xl32iconbtn.h"

namespace {

// The instance of this library: the class belongs to it.
HINSTANCE libraryInstance() {
  HMODULE module = nullptr;
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(&libraryInstance), &module);
  return module;
}

// Reads a decimal number of at most `maxValue` from *p and moves past it.
bool readNumber(const char*& p, int maxValue, int* out) {
  if (*p < '0' || *p > '9') return false;
  long long v = 0;
  while (*p >= '0' && *p <= '9') {
    v = v * 10 + (*p - '0');
    if (v > maxValue) return false;
    ++p;
  }
  *out = static_cast<int>(v);
  return true;
}

struct BitmapDeleter {
  void operator()(HBITMAP b) const {
    if (b != nullptr) DeleteObject(b);
  }
};
using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter>;

struct IconButton {
  bool checked = false;
  bool pushed = false;     // drawn pressed while the mouse or the space bar holds it
  bool mouseDown = false;  // the mouse went down on the button and holds the capture
  bool spaceDown = false;
  UniqueBitmap bitmap;
  RECT part{};  // the part of the bitmap shown
};

IconButton* stateOf(HWND window) {
  return reinterpret_cast<IconButton*>(GetWindowLongPtrA(window, 0));
}

// Loads the bitmap the text names from the module that created the button.
void loadImage(HWND window, IconButton& b, const char* text) {
  b.bitmap.reset();
  b.part = RECT{};
  IconButtonImage image{};
  if (text == nullptr || !ParseIconButtonText(text, &image)) return;
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
  b.bitmap.reset(static_cast<HBITMAP>(
      LoadImageA(instance, MAKEINTRESOURCEA(image.bitmapId), IMAGE_BITMAP, 0, 0, 0)));
  if (!b.bitmap) return;
  BITMAP info{};
  GetObjectA(b.bitmap.get(), sizeof info, &info);
  int w = image.width, h = image.height;
  if (w == 0 && h == 0) {
    w = info.bmWidth;
    h = info.bmHeight;
  }
  // Only the part that lies inside the bitmap.
  const LONG right = image.x + w < info.bmWidth ? image.x + w : info.bmWidth;
  const LONG bottom = image.y + h < info.bmHeight ? image.y + h : info.bmHeight;
  b.part = RECT{image.x, image.y, right, bottom};
}

void notifyClicked(HWND window) {
  const HWND parent = GetParent(window);
  if (parent == nullptr) return;
  const int id = GetDlgCtrlID(window);
  SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(window));
}

void toggle(HWND window, IconButton& b) {
  b.checked = !b.checked;
  InvalidateRect(window, nullptr, FALSE);
  notifyClicked(window);
}

void setPushed(HWND window, IconButton& b, bool pushed) {
  if (b.pushed == pushed) return;
  b.pushed = pushed;
  InvalidateRect(window, nullptr, FALSE);
}

struct ImagePart {
  HBITMAP bitmap;
  RECT part;
};

// Draws the part into `dc` at (0, 0); DrawStateA calls it for the disabled look.
BOOL CALLBACK drawPart(HDC dc, LPARAM data, WPARAM, int, int) {
  const auto* p = reinterpret_cast<const ImagePart*>(data);
  const HDC source = CreateCompatibleDC(dc);
  if (source == nullptr) return FALSE;
  const HGDIOBJ old = SelectObject(source, p->bitmap);
  BitBlt(dc, 0, 0, p->part.right - p->part.left, p->part.bottom - p->part.top, source, p->part.left,
         p->part.top, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
  return TRUE;
}

void paint(HWND window, IconButton& b) {
  PAINTSTRUCT ps;
  const HDC dc = BeginPaint(window, &ps);
  if (dc == nullptr) return;
  RECT client{};
  GetClientRect(window, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  const bool down = b.checked || b.pushed;
  RECT edge = client;
  DrawEdge(dc, &edge, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  if (b.bitmap) {
    const int w = b.part.right - b.part.left, h = b.part.bottom - b.part.top;
    const int shift = down ? 1 : 0;
    const int x = (client.right - w) / 2 + shift;
    const int y = (client.bottom - h) / 2 + shift;
    ImagePart part{b.bitmap.get(), b.part};
    const UINT flags = DST_COMPLEX | (IsWindowEnabled(window) ? DSS_NORMAL : DSS_DISABLED);
    DrawStateA(dc, nullptr, drawPart, reinterpret_cast<LPARAM>(&part), 0, x, y, w, h, flags);
  }
  if (GetFocus() == window) {
    RECT focus = client;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(dc, &focus);
  }
  EndPaint(window, &ps);
}

LRESULT CALLBACK iconButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  IconButton* b = stateOf(window);
  switch (message) {
    case WM_NCCREATE: {
      auto* state = new (std::nothrow) IconButton;
      if (state == nullptr) return FALSE;
      SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(state));
      break;
    }
    case WM_CREATE:
      if (b != nullptr)
        loadImage(window, *b, reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpszName);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrA(window, 0, 0);
      delete b;
      break;
    case WM_SETTEXT: {
      const LRESULT r = DefWindowProcA(window, message, wParam, lParam);
      if (b != nullptr) {
        loadImage(window, *b, reinterpret_cast<const char*>(lParam));
        InvalidateRect(window, nullptr, FALSE);
      }
      return r;
    }
    default: break;
  }
  if (b == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT: paint(window, *b); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_GETDLGCODE: return DLGC_BUTTON;
    case BM_GETCHECK: return b->checked ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK: {
      const bool checked = wParam == BST_CHECKED;
      if (checked != b->checked) {
        b->checked = checked;
        InvalidateRect(window, nullptr, FALSE);
      }
      return 0;
    }
    case BM_GETSTATE:
      return (b->checked ? BST_CHECKED : 0) | (b->pushed ? BST_PUSHED : 0) |
             (GetFocus() == window ? BST_FOCUS : 0);
    case BM_SETSTATE: setPushed(window, *b, wParam != 0); return 0;
    case BM_CLICK:
      if (IsWindowEnabled(window)) toggle(window, *b);
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(window);
      SetCapture(window);
      b->mouseDown = true;
      setPushed(window, *b, true);
      return 0;
    case WM_MOUSEMOVE:
      if (b->mouseDown) {
        RECT client{};
        GetClientRect(window, &client);
        const POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        setPushed(window, *b, PtInRect(&client, p) != FALSE);
      }
      return 0;
    case WM_LBUTTONUP:
      if (b->mouseDown) {
        const bool inside = b->pushed;
        b->mouseDown = false;
        setPushed(window, *b, false);
        if (GetCapture() == window) ReleaseCapture();
        if (inside) toggle(window, *b);
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (b->mouseDown) {
        b->mouseDown = false;
        setPushed(window, *b, false);
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && !b->spaceDown) {
        b->spaceDown = true;
        setPushed(window, *b, true);
      }
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE && b->spaceDown) {
        b->spaceDown = false;
        setPushed(window, *b, false);
        toggle(window, *b);
      }
      return 0;
    case WM_KILLFOCUS:
      b->spaceDown = false;
      if (!b->mouseDown) setPushed(window, *b, false);
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_SETFOCUS:
    case WM_ENABLE: InvalidateRect(window, nullptr, FALSE); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

bool ParseIconButtonText(const char* text, IconButtonImage* image) {
  if (text == nullptr || image == nullptr) return false;
  IconButtonImage r{};
  const char* p = text;
  if (!readNumber(p, 65535, &r.bitmapId) || r.bitmapId == 0) return false;
  if (*p == ';') {
    ++p;
    int* fields[4] = {&r.x, &r.y, &r.width, &r.height};
    for (int i = 0; i < 4; ++i) {
      if (i > 0 && *p++ != ',') return false;
      if (!readNumber(p, 32767, fields[i])) return false;
    }
  }
  if (*p != '\0') return false;
  *image = r;
  return true;
}

extern "C" int InitIconButtonDll(void) {
  const HINSTANCE instance = libraryInstance();
  WNDCLASSA existing{};
  if (GetClassInfoA(instance, kIconButtonClass, &existing)) return 1;
  WNDCLASSA wc{};
  wc.style = CS_GLOBALCLASS;
  wc.lpfnWndProc = iconButtonProc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = kIconButtonClass;
  return RegisterClassA(&wc) != 0 ? 1 : 0;
}
