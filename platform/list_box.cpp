// List box handle: thin wrappers over the LB_ messages.
#include "platform/list_box.h"

#include <vector>

int ListBox::Add(const char* text) {
  return static_cast<int>(SendMessageA(window_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

void ListBox::Clear() { SendMessageA(window_, LB_RESETCONTENT, 0, 0); }
int ListBox::Count() const { return static_cast<int>(SendMessageA(window_, LB_GETCOUNT, 0, 0)); }

int ListBox::Selected() const {
  const LRESULT selected = SendMessageA(window_, LB_GETCURSEL, 0, 0);
  return selected == LB_ERR ? -1 : static_cast<int>(selected);
}

std::string ListBox::Text(int index) const {
  const LRESULT length = SendMessageA(window_, LB_GETTEXTLEN, index, 0);
  if (length == LB_ERR) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const LRESULT got = SendMessageA(window_, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
  text.resize(got == LB_ERR ? 0 : static_cast<size_t>(got));
  return text;
}

void ListBox::SetTabStops(std::initializer_list<int> stops) {
  std::vector<INT> values(stops.begin(), stops.end());
  SendMessageA(window_, LB_SETTABSTOPS, values.size(), reinterpret_cast<LPARAM>(values.data()));
}

bool ListBox::SetData(int index, DWORD_PTR data) {
  return SendMessageA(window_, LB_SETITEMDATA, index, static_cast<LPARAM>(data)) != LB_ERR;
}

DWORD_PTR ListBox::Data(int index) const {
  return static_cast<DWORD_PTR>(SendMessageA(window_, LB_GETITEMDATA, index, 0));
}
