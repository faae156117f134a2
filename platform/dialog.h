// Dialog windows from templates: a base that routes messages to member functions, with
// modal runs (ModalDialog, BoxDialog) and modeless windows (ModelessDialog).
#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

class OwnerDrawnListBox;

class Dialog {
 public:
  explicit Dialog(int templateId) : templateId_(templateId) {}
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // The procedure every dialog of this layer runs on. A named procedure of a caller's own
  // (BoxDialog) forwards each message here.
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND Handle() const { return window_; }
  int TemplateId() const { return templateId_; }
  HWND Item(int id) const { return window_ ? GetDlgItem(window_, id) : nullptr; }
  std::string ItemText(int id) const;
  void SetItemText(int id, const char* text);
  void EnableItem(int id, bool enable);
  void ShowItem(int id, bool show);

 protected:
  // Makes control id an owner-drawn list of this dialog: it is attached when the window is
  // initialised, and its draw and measure calls are forwarded to it.
  void BindList(int id, OwnerDrawnListBox& list);

  // Hooks. OnInit returns true to let the system set the focus. OnCommand and OnNotify return
  // true when they handled the event; unhandled IDOK and IDCANCEL go to OnOk and OnCancel.
  virtual bool OnInit() { return true; }
  virtual bool OnCommand(int id, int code, HWND control);
  virtual bool OnNotify(const NMHDR& header, LRESULT& result);
  virtual void OnOk() = 0;
  virtual void OnCancel() = 0;
  // Any other message. True when handled; result is then what the dialog procedure returns.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
  // Called once the window is gone for good (after WM_NCDESTROY); may delete the object.
  virtual void OnDestroyed() {}

  // Creates the window from the template (invisible templates stay hidden); null on failure.
  HWND CreateFromTemplate(HWND owner);

  // The dialog whose window is being made on this thread, so that messages sent before
  // WM_INITDIALOG find it. Restores the one before it when it goes.
  class CreationScope {
   public:
    explicit CreationScope(Dialog* dialog);
    ~CreationScope();
    CreationScope(const CreationScope&) = delete;
    CreationScope& operator=(const CreationScope&) = delete;

   private:
    Dialog* outer_;
  };

 private:
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  OwnerDrawnListBox* BoundList(UINT id) const;

  int templateId_;
  HWND window_ = nullptr;
  std::vector<std::pair<int, OwnerDrawnListBox*>> lists_;
};

class ModalDialog : public Dialog {
 public:
  using Dialog::Dialog;
  // Shows the dialog and runs its message loop, with owner disabled, until End is called.
  // Returns End's result, or -1 when the window cannot be created.
  INT_PTR Run(HWND owner);
  void End(INT_PTR result);

 protected:
  void OnOk() override { End(IDOK); }
  void OnCancel() override { End(IDCANCEL); }

 private:
  bool running_ = false;
  INT_PTR result_ = 0;
};

// A modal dialog run by the system's own loop (DialogBoxParam), for dialogs whose procedure
// must be a named function: that procedure forwards every message to Dialog::Procedure. Keys
// of open modeless dialogs are not routed during the run, which suits a program without them.
class BoxDialog : public Dialog {
 public:
  using Dialog::Dialog;
  // Returns End's result, or -1 when the window cannot be created.
  INT_PTR Run(HWND owner, DLGPROC procedure);
  void End(INT_PTR result) { EndDialog(Handle(), result); }

 protected:
  void OnOk() override { End(IDOK); }
  void OnCancel() override { End(IDCANCEL); }
};

class ModelessDialog : public Dialog {
 public:
  using Dialog::Dialog;
  // Creates and shows the window, owned by owner; it lives until Destroy (or its owner's end).
  bool Create(HWND owner);
  void Destroy();
  void BringToFront();

 protected:
  void OnOk() override { Destroy(); }
  void OnCancel() override { Destroy(); }
};

// Gives keyboard navigation (Tab, Enter, Escape) to the open modeless dialogs: every message
// loop offers its messages here first. True when a dialog took the message.
bool RouteDialogMessage(MSG& message);
