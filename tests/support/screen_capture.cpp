// Screen capture through GDI: BitBlt from the screen into a 32-bit DIB section.
#include "tests/support/screen_capture.h"

#include <cstdio>

namespace testing_support {

int Pixels::Count(COLORREF color, int top, int bottom) const {
  int count = 0;
  for (int y = top < 0 ? 0 : top; y < bottom && y < height; ++y)
    for (int x = 0; x < width; ++x) count += At(x, y) == color;
  return count;
}

Pixels CaptureScreen(const RECT& area) {
  Pixels pixels;
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return pixels;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap && bits) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    pixels.width = width;
    pixels.height = height;
    pixels.data.resize(static_cast<size_t>(width) * height);
    const auto* source = static_cast<const DWORD*>(bits);
    for (size_t i = 0; i < pixels.data.size(); ++i) {
      const DWORD bgra = source[i];
      pixels.data[i] = RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
    }
    SelectObject(memory, old);
  }
  if (bitmap) DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

Pixels CaptureClient(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  OffsetRect(&client, origin.x, origin.y);
  return CaptureScreen(client);
}

namespace {

BOOL CALLBACK RepaintTop(HWND window, LPARAM) {
  if (IsWindowVisible(window))
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  return TRUE;
}

}  // namespace

bool SaveScreenshot(const std::string& path) {
  // A window found a moment ago may not have painted yet (a dialog shows before its first
  // WM_PAINT, and how soon that comes differs between Wine builds): repaint every visible
  // window now, through its own thread, and give the X server a moment to show it.
  EnumWindows(RepaintTop, 0);
  Sleep(300);
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const Pixels pixels = CaptureScreen(screen);
  if (pixels.data.empty()) return false;
  const int rowBytes = (pixels.width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = pixels.width;
  header.biHeight = pixels.height;  // bottom-up, as .bmp files usually are
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(rowBytes) * pixels.height;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + header.biSizeImage;
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&header, sizeof header, 1, out) == 1;
  std::vector<unsigned char> row(static_cast<size_t>(rowBytes), 0);
  for (int y = pixels.height - 1; ok && y >= 0; --y) {
    for (int x = 0; x < pixels.width; ++x) {
      const COLORREF c = pixels.At(x, y);
      row[x * 3] = GetBValue(c);
      row[x * 3 + 1] = GetGValue(c);
      row[x * 3 + 2] = GetRValue(c);
    }
    ok = std::fwrite(row.data(), 1, row.size(), out) == row.size();
  }
  return std::fclose(out) == 0 && ok;
}

}  // namespace testing_support
