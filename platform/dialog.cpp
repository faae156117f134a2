// Dialog base: one procedure for every dialog, forwarding to the object it belongs to.
#include "platform/dialog.h"

#include <algorithm>

#include "platform/list_box.h"

namespace {

// The dialog being created on this thread: messages sent during creation (WM_SETFONT, the
// owner-drawn list's WM_MEASUREITEM) arrive before WM_INITDIALOG and must find their object.
thread_local Dialog* g_creatingDialog = nullptr;

std::vector<HWND>& ModelessWindows() {
  static std::vector<HWND> windows;
  return windows;
}

}  // namespace

Dialog::~Dialog() {
  if (window_) {
    // The window outlives its object only by mistake; cut it loose so no message reaches us.
    SetWindowLongPtrA(window_, DWLP_USER, 0);
    auto& modeless = ModelessWindows();
    modeless.erase(std::remove(modeless.begin(), modeless.end(), window_), modeless.end());
    DestroyWindow(window_);
  }
}

std::string Dialog::ItemText(int id) const {
  HWND item = Item(id);
  if (!item) return {};
  std::string text(static_cast<size_t>(GetWindowTextLengthA(item)) + 1, '\0');
  const int length = GetWindowTextA(item, &text[0], static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(std::max(length, 0)));
  return text;
}

void Dialog::SetItemText(int id, const char* text) { SetDlgItemTextA(window_, id, text); }
void Dialog::EnableItem(int id, bool enable) { EnableWindow(Item(id), enable ? TRUE : FALSE); }
void Dialog::ShowItem(int id, bool show) { ShowWindow(Item(id), show ? SW_SHOW : SW_HIDE); }

void Dialog::BindList(int id, OwnerDrawnListBox& list) { lists_.emplace_back(id, &list); }

OwnerDrawnListBox* Dialog::BoundList(UINT id) const {
  for (const auto& bound : lists_)
    if (static_cast<UINT>(bound.first) == id) return bound.second;
  return nullptr;
}

bool Dialog::OnCommand(int, int, HWND) { return false; }
bool Dialog::OnNotify(const NMHDR&, LRESULT&) { return false; }
bool Dialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

Dialog::CreationScope::CreationScope(Dialog* dialog) : outer_(g_creatingDialog) { g_creatingDialog = dialog; }
Dialog::CreationScope::~CreationScope() { g_creatingDialog = outer_; }

HWND Dialog::CreateFromTemplate(HWND owner) {
  CreationScope scope(this);
  return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), owner, Procedure,
                            reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK Dialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
  if (!self) {
    self = message == WM_INITDIALOG ? reinterpret_cast<Dialog*>(lParam) : g_creatingDialog;
    if (!self || self->window_) return FALSE;
    self->window_ = window;
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, DWLP_USER, 0);
    self->window_ = nullptr;
    auto& modeless = ModelessWindows();
    modeless.erase(std::remove(modeless.begin(), modeless.end(), window), modeless.end());
    try {
      self->OnDestroyed();
    } catch (...) {
    }
    return FALSE;
  }
  // No exception may unwind through the system's code.
  try {
    return self->Dispatch(message, wParam, lParam);
  } catch (...) {
    return FALSE;
  }
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      for (const auto& bound : lists_) bound.second->Attach(GetDlgItem(window_, bound.first));
      return OnInit() ? TRUE : FALSE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (OnCommand(id, code, reinterpret_cast<HWND>(lParam))) return TRUE;
      if (code == BN_CLICKED && id == IDOK) {
        OnOk();
        return TRUE;
      }
      if (code == BN_CLICKED && id == IDCANCEL) {
        OnCancel();
        return TRUE;
      }
      return FALSE;
    }
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (!OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) return FALSE;
      SetWindowLongPtrA(window_, DWLP_MSGRESULT, result);
      return TRUE;
    }
    case WM_DRAWITEM:
      if (OwnerDrawnListBox* list = BoundList(static_cast<UINT>(wParam))) {
        list->Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
      }
      break;
    case WM_MEASUREITEM:
      if (OwnerDrawnListBox* list = BoundList(static_cast<UINT>(wParam))) {
        list->Measure(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
      }
      break;
    default:
      break;
  }
  INT_PTR result = FALSE;
  return OnMessage(message, wParam, lParam, result) ? result : FALSE;
}

INT_PTR ModalDialog::Run(HWND owner) {
  // A loop of our own rather than DialogBox's, so that open modeless dialogs keep their keys.
  // Set before the window exists: OnInit may already End the run.
  running_ = true;
  result_ = IDCANCEL;
  // As DialogBox does, the owner is disabled before the dialog initialises.
  const bool disableOwner = owner && IsWindowEnabled(owner);
  if (disableOwner) EnableWindow(owner, FALSE);
  if (!CreateFromTemplate(owner)) {
    if (disableOwner) EnableWindow(owner, TRUE);
    return -1;
  }
  if (running_) ShowWindow(Handle(), SW_SHOW);
  bool quit = false;
  int quitCode = 0;
  MSG message;
  while (running_ && Handle()) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got <= 0) {
      quit = got == 0;
      quitCode = static_cast<int>(message.wParam);
      break;
    }
    if (RouteDialogMessage(message) || IsDialogMessageA(Handle(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  running_ = false;
  // The owner is enabled before the dialog goes, so that it gets the activation back.
  if (disableOwner) EnableWindow(owner, TRUE);
  if (Handle()) DestroyWindow(Handle());
  if (quit) PostQuitMessage(quitCode);
  return result_;
}

void ModalDialog::End(INT_PTR result) {
  result_ = result;
  running_ = false;
  // End may be called from a message sent by another thread: wake the loop in GetMessage.
  if (Handle()) PostMessageA(Handle(), WM_NULL, 0, 0);
}

INT_PTR BoxDialog::Run(HWND owner, DLGPROC procedure) {
  // The scope lasts the whole run: DialogBoxParam creates the window and runs its loop in one.
  CreationScope scope(this);
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(TemplateId()), owner, procedure,
                         reinterpret_cast<LPARAM>(this));
}

bool ModelessDialog::Create(HWND owner) {
  if (Handle()) return true;
  HWND window = CreateFromTemplate(owner);
  if (!window) return false;
  ModelessWindows().push_back(window);
  ShowWindow(window, SW_SHOW);
  return true;
}

void ModelessDialog::Destroy() {
  if (Handle()) DestroyWindow(Handle());
}

void ModelessDialog::BringToFront() {
  if (!Handle()) return;
  if (IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
  SetForegroundWindow(Handle());
  BringWindowToTop(Handle());
}

bool RouteDialogMessage(MSG& message) {
  // A copy: the message may close a dialog and so change the list.
  const std::vector<HWND> windows = ModelessWindows();
  for (HWND window : windows)
    if (IsDialogMessageA(window, &message)) return true;
  return false;
}
