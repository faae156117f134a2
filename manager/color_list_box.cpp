// ColorListBox drawing: the row's colour for its text, its inverse when selected.
#include "manager/color_list_box.h"

#include <string>

namespace {
constexpr UINT kTextFormat = DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
constexpr int kColumnGap = 4;  // pixels kept free before the next column
}  // namespace

int ColorListBox::AddColored(const char* text, COLORREF color) {
  const int index = Add(text);
  if (index >= 0) SetData(index, color);
  return index;
}

void ColorListBox::Draw(const DRAWITEMSTRUCT& item) {
  if (static_cast<int>(item.itemID) < 0) return;
  HDC dc = item.hDC;
  const COLORREF color = static_cast<COLORREF>(item.itemData);
  const COLORREF highlight = RGB(255 - GetRValue(color), 255 - GetGValue(color), 255 - GetBValue(color));
  const bool selected = (item.itemState & ODS_SELECTED) != 0;

  if (selected && (item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &item.rcItem, brush);
    DeleteObject(brush);
  }
  if (!selected && (item.itemAction & ODA_SELECT)) FillRect(dc, &item.rcItem, GetSysColorBrush(COLOR_WINDOW));
  // Drawn on every focus change, gained or lost: the inverting frame removes itself.
  if (item.itemAction & ODA_FOCUS) DrawFocusRect(dc, &item.rcItem);

  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColor = SetTextColor(dc, selected ? highlight : color);
  const std::string text = Text(static_cast<int>(item.itemID));
  const bool tabs = (GetWindowLongA(item.hwndItem, GWL_STYLE) & LBS_USETABSTOPS) != 0;
  RECT area = item.rcItem;
  if (tabs && !columns_.empty()) {
    DrawColumns(dc, area, text);
  } else {
    DrawTextA(dc, text.c_str(), -1, &area, kTextFormat | (tabs ? DT_EXPANDTABS : 0));
  }
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
}

void ColorListBox::Measure(MEASUREITEMSTRUCT& item) { item.itemHeight = GetSystemMetrics(SM_CYMENUCHECK); }

void ColorListBox::DrawColumns(HDC dc, const RECT& area, const std::string& text) const {
  size_t start = 0;
  for (size_t field = 0; start <= text.size(); ++field) {
    size_t end = text.find('\t', start);
    if (end == std::string::npos) end = text.size();
    if (end > start && field < columns_.size()) {
      RECT cell = area;
      cell.left = area.left + columns_[field];
      // A field runs to the next column that starts further right, or to the row's end.
      for (size_t next = field + 1; next < columns_.size(); ++next)
        if (columns_[next] > columns_[field]) {
          cell.right = area.left + columns_[next] - kColumnGap;
          break;
        }
      // The blanks that pad a field to its width only push the next one; drawn, they would
      // be cut to an ellipsis wherever the font's blank is wider than the measuring one's.
      size_t last = end;
      while (last > start && text[last - 1] == ' ') --last;
      DrawTextA(dc, text.c_str() + start, static_cast<int>(last - start), &cell, kTextFormat | DT_END_ELLIPSIS);
    }
    start = end + 1;
  }
}
