// List box controls: a non-owning handle, and the base of owner-drawn lists.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>

class ListBox {
 public:
  ListBox() = default;
  explicit ListBox(HWND window) : window_(window) {}
  virtual ~ListBox() = default;

  void Attach(HWND window) { window_ = window; }
  HWND Handle() const { return window_; }

  // Adds a row at the end; its index, or a negative value when the list refused it.
  int Add(const char* text);
  void Clear();
  int Count() const;
  int Selected() const;  // -1 when no row is selected
  std::string Text(int index) const;
  // Tab stops in dialog units; a single value sets a stop every that many units.
  void SetTabStops(std::initializer_list<int> stops);
  bool SetData(int index, DWORD_PTR data);
  DWORD_PTR Data(int index) const;

 private:
  HWND window_ = nullptr;
};

// A list that draws its own rows; the owning dialog forwards WM_DRAWITEM and WM_MEASUREITEM.
class OwnerDrawnListBox : public ListBox {
 public:
  virtual void Draw(const DRAWITEMSTRUCT& item) = 0;
  virtual void Measure(MEASUREITEMSTRUCT& item) = 0;
};
