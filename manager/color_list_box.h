// ColorListBox: an owner-drawn list whose every row has a colour of its own.
#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/list_box.h"

class ColorListBox : public OwnerDrawnListBox {
 public:
  // Adds text at the end and keeps color (0x00BBGGRR) as the row's data; the row's index.
  int AddColored(const char* text, COLORREF color);
  // Where the tab-separated fields of a row start, in pixels from the row's left, so that they
  // stand under their column labels. Without columns, tabs expand at the system's stops.
  void SetColumns(std::vector<int> offsets) { columns_ = std::move(offsets); }
  void Draw(const DRAWITEMSTRUCT& item) override;
  void Measure(MEASUREITEMSTRUCT& item) override;

 private:
  void DrawColumns(HDC dc, const RECT& area, const std::string& text) const;

  std::vector<int> columns_;
};
