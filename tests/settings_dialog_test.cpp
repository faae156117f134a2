// lotwise.exe "-s" under Wine: the settings dialog's layout, what Save stores byte for byte,
// the browser button registration, and each failure message.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "common/settings_store.h"
#include "poller/dialogs/settings_ids.h"
#include "tests/support/screen_capture.h"
#include "tests/support/test_support.h"
#include "tests/uidriver/ui_driver.h"

using namespace testing_support;

namespace {

constexpr char kCaption[] = "Lotwise V2.6";
constexpr char kButtonKey[] =
    "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\{7F0B49E9-7631-4bb9-9B62-B0D717369B29}";
constexpr char kExtensionsKey[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
constexpr char kFolder[] = "C:\\Program Files\\Rure Lotwise";

// A 256-byte path value as the dialog stores it: the text, its NUL, then zeros.
std::string Padded(const std::string& text) { return text + std::string(256 - text.size(), '\0'); }

class SettingsDialog : public ::testing::Test {
 protected:
  ScopedRegistryKey settingsKey_{kSettingsKeyPath};
  ScopedRegistryKey buttonKey_{kButtonKey};
  ChildProcess poller_;
  HWND dialog_ = nullptr;

  void Open() {
    ASSERT_TRUE(poller_.Start(ProgramPath("lotwise.exe"), "-s"));
    dialog_ = ui::WaitForWindow(kCaption);
    ASSERT_NE(dialog_, nullptr) << ui::DescribeScreen();
  }
  // The dialog went away and its process ended with 0.
  void ExpectClosed() {
    DWORD code = 1;
    ASSERT_TRUE(poller_.Wait(10000, &code)) << "the dialog should have closed\n" << ui::DescribeScreen();
    EXPECT_EQ(code, 0u);
  }
  void ExpectStillOpen() {
    EXPECT_TRUE(poller_.IsRunning());
    EXPECT_EQ(ui::FindTopWindow(kCaption), dialog_) << ui::DescribeScreen();
  }
  // Answers the one error message expected now, and makes sure no second one follows.
  void ExpectOneError(const char* text) {
    const ui::MessageBoxSeen box = ui::AnswerMessageBox("Error", IDOK);
    ASSERT_NE(box.window, nullptr) << ui::DescribeScreen();
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.buttons.size(), 1u) << box.Describe();
    ASSERT_TRUE(ui::WaitForWindowGone("Error", 5000));
    EXPECT_EQ(ui::WaitForWindow("Error", 1000), nullptr) << "a second message appeared";
  }
  void SetFolder(const std::string& folder) {
    ASSERT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "Folder", folder));
  }
};

// A click that does not wait for the dialog to handle it: Save may open a message box, and a
// sent click would wait for that box to be answered.
void PostClick(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Type REG_SZ and exactly these bytes.
void ExpectString(const RegistryValue& value, const std::string& data, const char* name) {
  SCOPED_TRACE(name);
  ASSERT_TRUE(value.exists);
  EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(value.data.size(), data.size());
  EXPECT_EQ(value.data, data);
}

RegistryValue Setting(const char* name) { return QueryValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, name); }
RegistryValue ButtonValue(const char* name) { return QueryValue(HKEY_LOCAL_MACHINE, kButtonKey, name); }

bool KeyExists(const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

}  // namespace

TEST_F(SettingsDialog, IsLaidOutAsItsTemplate) {
  Open();
  CreateDirectoryA("screens", nullptr);
  Sleep(500);  // let the dialog paint
  SaveScreenshot("screens\\settings_dialog.bmp");  // for the user's guide (tools/screenshots.sh)
  EXPECT_EQ(ui::WindowText(dialog_), kCaption);
  EXPECT_EQ(GetWindow(dialog_, GW_OWNER), nullptr) << "the dialog has no owner";
  const LONG style = GetWindowLongA(dialog_, GWL_STYLE);
  EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
            WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
  RECT window{};
  GetWindowRect(dialog_, &window);
  EXPECT_EQ(window.left, 0);
  EXPECT_EQ(window.top, 0);

  // Dialog units to pixels: the client area is 283 x 162 units.
  RECT client{};
  GetClientRect(dialog_, &client);
  const double unitX = client.right / 283.0, unitY = client.bottom / 162.0;

  struct Control {
    int id;
    const char* windowClass;
    const char* text;
    int x, y, w, h;
    bool visible;
    LONG styleBits;
  } controls[] = {
      {0xFFFF, "Static", "How often should Lotwise check for lotwises?", 7, 13, 269, 12, true, 0},
      {0xFFFF, "Static", "Every", 45, 31, 19, 9, true, 0},
      {kSettingsRunInterval, "Edit", "30", 67, 28, 25, 13, true, ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER},
      {0xFFFF, "Static", "Minutes", 96, 31, 39, 12, true, 0},
      {0xFFFF, "Static", "How do you want to be notified when a lotwise is detected?", 7, 44, 211, 16, true, 0},
      {0xFFFF, "Static", "Display a message on my screen", 27, 60, 107, 14, true, 0},
      {kSettingsPopupMessages, "Button", "Check1", 145, 63, 9, 8, true, BS_AUTOCHECKBOX},
      {0xFFFF, "Static", "Send me an email message", 28, 77, 105, 14, false, 0},
      {kSettingsEmailMessages, "Button", "Check1", 145, 78, 9, 8, false, BS_AUTOCHECKBOX},
      {0xFFFF, "Static", "Email Address", 61, 97, 72, 12, false, 0},
      {kSettingsEmailAddress, "Edit", "", 145, 92, 66, 15, false, WS_BORDER},
      {0xFFFF, "Static", "Add the Search Editor to your Internet Explorer Taskbar?", 7, 77, 180, 11, true, 0},
      {kSettingsBrowserButton, "Button", "Check1", 191, 77, 9, 8, true, BS_AUTOCHECKBOX},
      {kSettingsSave, "Button", "Save", 227, 118, 49, 15, true, BS_PUSHBUTTON},
      {IDCANCEL, "Button", "Cancel", 226, 141, 50, 14, true, BS_DEFPUSHBUTTON},
  };
  std::vector<HWND> children;
  for (HWND child = GetWindow(dialog_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  ASSERT_EQ(children.size(), std::size(controls)) << ui::DescribeScreen();

  for (size_t i = 0; i < children.size(); ++i) {
    const Control& c = controls[i];  // the template's order is the creation order
    HWND child = children[i];
    SCOPED_TRACE(c.text[0] ? c.text : "(email address)");
    char windowClass[64] = {};
    GetClassNameA(child, windowClass, sizeof windowClass);
    EXPECT_STRCASEEQ(windowClass, c.windowClass);
    EXPECT_EQ(GetDlgCtrlID(child), c.id);
    EXPECT_EQ(ui::WindowText(child), c.text);
    EXPECT_EQ(IsWindowVisible(child) != FALSE, c.visible);
    LONG childStyle = GetWindowLongA(child, GWL_STYLE);
    // An edit control turns its WS_BORDER into the sunken client edge.
    if (GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) childStyle |= WS_BORDER;
    if (std::string(c.windowClass) == "Button")
      EXPECT_EQ(childStyle & BS_TYPEMASK, c.styleBits);
    else
      EXPECT_EQ(childStyle & c.styleBits, c.styleBits);

    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_NEAR(r.left, c.x * unitX, 1.5);
    EXPECT_NEAR(r.top, c.y * unitY, 1.5);
    EXPECT_NEAR(r.right - r.left, c.w * unitX, 1.5);
    EXPECT_NEAR(r.bottom - r.top, c.h * unitY, 1.5);
  }
  ui::Click(dialog_, IDCANCEL);
  ExpectClosed();
}

TEST_F(SettingsDialog, OpensWithTheStoredIntervalAndBothVisibleBoxesChecked) {
  struct Case {
    const char* stored;  // null: no settings key at all
    const char* shown;
  } cases[] = {{nullptr, "30"}, {"12", "12"}, {"often", "30"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored ? c.stored : "(no key)");
    if (c.stored) {
      SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "RunInterval", c.stored);
      SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "PopupMessages", "0");  // not shown
    }
    Open();
    EXPECT_EQ(ui::Text(dialog_, kSettingsRunInterval), c.shown);
    EXPECT_TRUE(ui::IsChecked(dialog_, kSettingsPopupMessages));
    EXPECT_TRUE(ui::IsChecked(dialog_, kSettingsBrowserButton));
    EXPECT_FALSE(ui::IsChecked(dialog_, kSettingsEmailMessages));
    EXPECT_EQ(ui::Text(dialog_, kSettingsEmailAddress), "");
    ui::Click(dialog_, IDCANCEL);
    ExpectClosed();
  }
}

TEST_F(SettingsDialog, CancelEnterEscapeAndTheCloseBoxSaveNothing) {
  struct Case {
    const char* name;
    void (*act)(HWND dialog);
  } cases[] = {
      {"Cancel", [](HWND d) { ui::Click(d, IDCANCEL); }},
      {"Enter", [](HWND d) { PostMessageA(GetDlgItem(d, kSettingsRunInterval), WM_KEYDOWN, VK_RETURN, 0); }},
      {"Escape", [](HWND d) { PostMessageA(GetDlgItem(d, kSettingsRunInterval), WM_KEYDOWN, VK_ESCAPE, 0); }},
      {"close box", [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Open();
    ui::SetText(dialog_, kSettingsRunInterval, "9");
    c.act(dialog_);
    ExpectClosed();
    EXPECT_FALSE(KeyExists(kSettingsKeyPath));
    EXPECT_FALSE(KeyExists(kButtonKey));
  }
}

TEST_F(SettingsDialog, SaveStoresTheExactBytesThatTheReadersSeeAtOnce) {
  struct Case {
    const char* typed;
    bool popups;
    int readInterval;  // what the poller's next pass reads
  } cases[] = {{"5", false, 5}, {"", true, 30}, {"1440", true, 1440}};
  SetFolder(kFolder);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("typed \"") + c.typed + "\"");
    Open();
    ui::SetText(dialog_, kSettingsRunInterval, c.typed);
    ui::SetChecked(dialog_, kSettingsPopupMessages, c.popups);
    ui::SetChecked(dialog_, kSettingsBrowserButton, false);
    PostClick(dialog_, kSettingsSave);
    ExpectClosed();
    ExpectString(Setting("RunInterval"), c.typed, "RunInterval");
    ExpectString(Setting("EmailAddress"), std::string(1024, '\0'), "EmailAddress");
    ExpectString(Setting("PopupMessages"), c.popups ? "1" : "0", "PopupMessages");
    ExpectString(Setting("EmailMessages"), "0", "EmailMessages");
    // The readers of a running poller see the new values at their next read.
    EXPECT_EQ(ReadRunInterval(), c.readInterval);
    EXPECT_EQ(ArePopupsEnabled(), c.popups ? 1 : 0);
    EXPECT_FALSE(KeyExists(kButtonKey)) << "an unchecked browser box registers nothing";
  }
}

TEST_F(SettingsDialog, AnUncheckedBrowserBoxLeavesAnEarlierRegistrationAlone) {
  SetFolder(kFolder);
  ASSERT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, kButtonKey, "Exec", "C:\\old\\lotwisemgr.exe"));
  Open();
  ui::SetChecked(dialog_, kSettingsBrowserButton, false);
  PostClick(dialog_, kSettingsSave);
  ExpectClosed();
  ExpectString(ButtonValue("Exec"), "C:\\old\\lotwisemgr.exe", "Exec");
  EXPECT_FALSE(ButtonValue("ButtonText").exists);
}

TEST_F(SettingsDialog, AMissingOrTooLongFolderIsReportedOnceAfterTheSettingsAreSaved) {
  struct Case {
    const char* name;
    std::string folder;  // empty: no Folder value
    bool browserBox;
    bool closes;
  } cases[] = {
      {"missing, browser box checked", "", true, false},
      {"missing, browser box unchecked", "", false, true},
      {"200 characters, browser box checked", "C:\\" + std::string(197, 'f'), true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kSettingsKeyPath);
    if (!c.folder.empty()) SetFolder(c.folder);
    Open();
    ui::SetText(dialog_, kSettingsRunInterval, "7");
    ui::SetChecked(dialog_, kSettingsBrowserButton, c.browserBox);
    PostClick(dialog_, kSettingsSave);
    ExpectOneError("Error getting registry value");
    ExpectString(Setting("RunInterval"), "7", "RunInterval");
    ExpectString(Setting("EmailMessages"), "0", "EmailMessages");
    EXPECT_FALSE(KeyExists(kButtonKey));
    if (c.closes) {
      ExpectClosed();
    } else {
      ExpectStillOpen();
      ui::Click(dialog_, IDCANCEL);
      ExpectClosed();
    }
  }
}

TEST_F(SettingsDialog, TheBrowserButtonStartsTheManagerFromTheFolder) {
  const std::string longest(127, 'd');  // 128 bytes with its NUL: the most the dialog accepts
  struct Case {
    std::string folder;
    std::string exec, icon;
  } cases[] = {
      {kFolder, std::string(kFolder) + "\\lotwisemgr.exe", std::string(kFolder) + "\\icon1.ico"},
      {"C:\\Lotwise\\", "C:\\Lotwise\\\\lotwisemgr.exe", "C:\\Lotwise\\\\icon1.ico"},
      {longest, longest + "\\lotwisemgr.exe", longest + "\\icon1.ico"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kButtonKey);
    SetFolder(c.folder);
    Open();
    PostClick(dialog_, kSettingsSave);
    ExpectClosed();
    ExpectString(ButtonValue("ButtonText"), "Lotwise", "ButtonText");
    ExpectString(ButtonValue("CLSID"), "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}", "CLSID");
    ExpectString(ButtonValue("DefaultVisable"), "Yes", "DefaultVisable");
    ExpectString(ButtonValue("Default Visable"), "Yes", "Default Visable");
    ExpectString(ButtonValue("Exec"), Padded(c.exec), "Exec");
    ExpectString(ButtonValue("Icon"), Padded(c.icon), "Icon");
    ExpectString(Setting("PopupMessages"), "1", "PopupMessages");
  }
}

TEST_F(SettingsDialog, AButtonKeyThatCannotBeCreatedIsReportedAndTheDialogStays) {
  // Under a volatile key only volatile keys may be created, so the non-volatile button key
  // cannot be. The snapshot keeps values only: other browser extensions would be lost.
  HKEY existing = nullptr;
  DWORD subkeys = 0;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kExtensionsKey, 0, KEY_READ, &existing) == ERROR_SUCCESS) {
    RegQueryInfoKeyA(existing, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(existing);
  }
  if (subkeys > 0) GTEST_SKIP() << "other browser extensions are registered";
  ScopedRegistryKey extensions{kExtensionsKey};
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kExtensionsKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  SetFolder(kFolder);
  Open();
  ui::SetText(dialog_, kSettingsRunInterval, "15");
  PostClick(dialog_, kSettingsSave);
  ExpectOneError("Error setting registry value");
  ExpectStillOpen();
  ExpectString(Setting("RunInterval"), "15", "RunInterval");
  EXPECT_FALSE(KeyExists(kButtonKey));
  ui::Click(dialog_, IDCANCEL);
  ExpectClosed();
}
