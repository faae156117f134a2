// The dialog layer on real windows: modal runs and their results, modeless lifetimes,
// command routing, keys for modeless dialogs, owner-drawn lists and the list box handle.
#include "platform/dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/list_box.h"

namespace {

constexpr int kTemplate = 200;
constexpr int kEdit = 300;
constexpr int kDrawnList = 301;
constexpr int kPlainList = 302;
constexpr int kThrow = 303;

class RecordingList : public OwnerDrawnListBox {
 public:
  void Draw(const DRAWITEMSTRUCT& item) override { drawn.push_back(static_cast<int>(item.itemID)); }
  void Measure(MEASUREITEMSTRUCT& item) override {
    item.itemHeight = 17;
    ++measured;
  }
  std::vector<int> drawn;
  int measured = 0;
};

// Records what reaches it; what OnInit does is up to each test.
class TestModal : public ModalDialog {
 public:
  explicit TestModal(int templateId = kTemplate) : ModalDialog(templateId) { BindList(kDrawnList, list); }
  std::vector<std::string> events;
  RecordingList list;
  int measuredBeforeInit = -1;
  void (*onInit)(TestModal&) = nullptr;

 protected:
  bool OnInit() override {
    measuredBeforeInit = list.measured;
    events.push_back("init");
    if (onInit) onInit(*this);
    return true;
  }
  bool OnCommand(int id, int code, HWND) override {
    if (id == kThrow && code == BN_CLICKED) throw std::runtime_error("must not reach the system");
    return false;
  }
  void OnOk() override {
    events.push_back("ok");
    End(IDOK);
  }
  bool OnMessage(UINT message, WPARAM, LPARAM, INT_PTR& result) override {
    if (message != WM_TIMER) return false;
    End(0);
    result = TRUE;
    return true;
  }
};

class TestModeless : public ModelessDialog {
 public:
  TestModeless() : ModelessDialog(kTemplate) {}
  int destroyed = 0;
  int cancelled = 0;

 protected:
  void OnCancel() override {
    ++cancelled;
    Destroy();
  }
  void OnDestroyed() override { ++destroyed; }
};

// Runs the message loop until the condition holds or a second passes.
template <typename Condition>
bool Pump(Condition condition) {
  const DWORD start = GetTickCount();
  while (!condition() && GetTickCount() - start < 1000) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (RouteDialogMessage(message)) continue;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(5);
  }
  return condition();
}

}  // namespace

TEST(ModalDialog, RunReturnsWhatEndGaveOrMinusOneWithoutATemplate) {
  TestModal missing(999);
  EXPECT_EQ(missing.Run(nullptr), -1);

  struct Case {
    const char* name;
    void (*onInit)(TestModal&);
    INT_PTR result;
    std::vector<std::string> events;
  } cases[] = {
      {"End from the code", [](TestModal& d) { d.End(42); }, 42, {"init"}},
      {"OK button", [](TestModal& d) { PostMessageA(d.Handle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); },
       IDOK, {"init", "ok"}},
      {"Cancel by default", [](TestModal& d) { PostMessageA(d.Handle(), WM_COMMAND, IDCANCEL, 0); }, IDCANCEL,
       {"init"}},
      {"close box", [](TestModal& d) { PostMessageA(d.Handle(), WM_CLOSE, 0, 0); }, IDCANCEL, {"init"}},
      {"Escape key", [](TestModal& d) { PostMessageA(d.Item(kEdit), WM_KEYDOWN, VK_ESCAPE, 0); }, IDCANCEL,
       {"init"}},
      {"an exception in a handler is contained",
       [](TestModal& d) {
         PostMessageA(d.Handle(), WM_COMMAND, MAKEWPARAM(kThrow, BN_CLICKED), 0);
         d.End(7);
       },
       7, {"init"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestModal dialog;
    dialog.onInit = c.onInit;
    EXPECT_EQ(dialog.Run(nullptr), c.result);
    EXPECT_EQ(dialog.events, c.events);
    EXPECT_EQ(dialog.Handle(), nullptr) << "the window is gone after the run";
  }
}

TEST(ModalDialog, OwnerIsDisabledDuringTheRunOnly) {
  TestModeless owner;
  ASSERT_TRUE(owner.Create(nullptr));
  static HWND ownerWindow;
  static BOOL enabledDuringRun;
  ownerWindow = owner.Handle();
  TestModal dialog;
  dialog.onInit = [](TestModal& d) {
    enabledDuringRun = IsWindowEnabled(ownerWindow);
    d.End(1);
  };
  EXPECT_EQ(dialog.Run(owner.Handle()), 1);
  EXPECT_FALSE(enabledDuringRun);
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
  owner.Destroy();
}

TEST(ModelessDialog, LivesUntilDestroyedOrItsOwnerGoes) {
  TestModeless dialog;
  ASSERT_TRUE(dialog.Create(nullptr));
  EXPECT_TRUE(IsWindowVisible(dialog.Handle()));
  EXPECT_TRUE(dialog.Create(nullptr)) << "a second Create keeps the one window";

  // Escape reaches it through RouteDialogMessage, as in any of the program's loops.
  PostMessageA(dialog.Item(kEdit), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(Pump([&] { return dialog.destroyed == 1; }));
  EXPECT_EQ(dialog.cancelled, 1);
  EXPECT_EQ(dialog.Handle(), nullptr);

  TestModeless owner;
  TestModeless owned;
  ASSERT_TRUE(owner.Create(nullptr));
  ASSERT_TRUE(owned.Create(owner.Handle()));
  EXPECT_EQ(GetWindow(owned.Handle(), GW_OWNER), owner.Handle());
  owner.Destroy();
  EXPECT_EQ(owned.destroyed, 1);
  EXPECT_EQ(owner.destroyed, 1);
  owned.Destroy();  // harmless once gone
  EXPECT_EQ(owned.destroyed, 1);
}

TEST(OwnerDrawnListBox, MeasuredBeforeInitAndDrawnThroughItsDialog) {
  TestModal dialog;
  dialog.onInit = [](TestModal& d) {
    d.list.Add("first");
    d.list.Add("second");
    SetTimer(d.Handle(), 1, 300, nullptr);  // the rows are painted before the timer comes
  };
  dialog.Run(nullptr);
  EXPECT_EQ(dialog.measuredBeforeInit, 0) << "no item yet when the dialog initialises";
  EXPECT_EQ(dialog.list.measured, 2);
  // Both rows were painted by the list through the dialog's forwarding.
  EXPECT_NE(std::find(dialog.list.drawn.begin(), dialog.list.drawn.end(), 0), dialog.list.drawn.end());
  EXPECT_NE(std::find(dialog.list.drawn.begin(), dialog.list.drawn.end(), 1), dialog.list.drawn.end());
}

TEST(ListBox, RowsSelectionTextAndData) {
  TestModeless dialog;
  ASSERT_TRUE(dialog.Create(nullptr));
  ListBox list(dialog.Item(kPlainList));
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Selected(), -1);
  EXPECT_EQ(list.Text(0), "");
  EXPECT_EQ(list.Add("alpha\tone"), 0);
  EXPECT_EQ(list.Add(""), 1);
  EXPECT_EQ(list.Add(std::string(2000, 'x').c_str()), 2);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Text(0), "alpha\tone");
  EXPECT_EQ(list.Text(1), "");
  EXPECT_EQ(list.Text(2), std::string(2000, 'x'));
  EXPECT_TRUE(list.SetData(0, 0x00010101));
  EXPECT_EQ(list.Data(0), 0x00010101u);
  EXPECT_FALSE(list.SetData(7, 1));
  list.SetTabStops({200, 260});
  list.SetTabStops({4});
  SendMessageA(list.Handle(), LB_SETCURSEL, 2, 0);
  EXPECT_EQ(list.Selected(), 2);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Selected(), -1);
  dialog.Destroy();
}
