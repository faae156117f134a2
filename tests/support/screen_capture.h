// What is drawn on the screen, read back for the tests: pixels of a window, and screenshots.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> data;  // row by row from the top, as RGB()
  COLORREF At(int x, int y) const { return data[static_cast<size_t>(y) * width + x]; }
  // How many pixels of the band between rows top and bottom have this colour.
  int Count(COLORREF color, int top, int bottom) const;
};

// The pixels of a screen rectangle, as the screen shows it now (whichever process drew it).
Pixels CaptureScreen(const RECT& area);
// The client area of a window.
Pixels CaptureClient(HWND window);
// The whole screen as a 24-bit .bmp file.
bool SaveScreenshot(const std::string& path);

}  // namespace testing_support
