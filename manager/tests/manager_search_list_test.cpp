// LotwiseMgr.exe under Wine: the Search List page and the search editor, checked on the rows
// shown and on the bytes of the search list file.
#include <gtest/gtest.h>

#include <windows.h>

#include "manager/manager_ids.h"
#include "manager/tests/manager_session.h"
#include "tests/uidriver/ui_driver.h"

using namespace testing_support;

namespace {

using Rows = std::vector<std::string>;

struct Fields {
  std::string description, url, days, hours, minutes, price;
};

const int kFieldIds[] = {kEditorDescription, kEditorUrl, kEditorDays, kEditorHours, kEditorMinutes, kEditorPrice};

void Fill(HWND editor, const Fields& f) {
  const std::string* texts[] = {&f.description, &f.url, &f.days, &f.hours, &f.minutes, &f.price};
  for (int i = 0; i < 6; ++i) ui::SetText(editor, kFieldIds[i], *texts[i]);
}

Fields Read(HWND editor) {
  return {ui::Text(editor, kEditorDescription), ui::Text(editor, kEditorUrl),     ui::Text(editor, kEditorDays),
          ui::Text(editor, kEditorHours),       ui::Text(editor, kEditorMinutes), ui::Text(editor, kEditorPrice)};
}

bool operator==(const Fields& a, const Fields& b) {
  return a.description == b.description && a.url == b.url && a.days == b.days && a.hours == b.hours &&
         a.minutes == b.minutes && a.price == b.price;
}

std::ostream& operator<<(std::ostream& out, const Fields& f) {
  return out << '[' << f.description << '|' << f.url << '|' << f.days << '|' << f.hours << '|' << f.minutes << '|'
             << f.price << ']';
}

// A list in all three stored forms, one line each, and a fourth and fifth in the change form.
const char kFiveSearches[] =
    "\"Nikon F3 body\"\thttp://search.rure.com/nikon?sort=price&q=f3\t1\t2\t30\t12\r\n"
    "\"Brass compass\" http://search.rure.com/compass 0 5 0 99\r\n"
    "\"Old search\" http://search.rure.com/old 0 0 30 25.50\r\n"
    "\"Pocket watch\" http://search.rure.com/watch 2 0 0 150\r\n"
    "\"Slide rule\" http://search.rure.com/rule 0 1 15 7.5\r\n";

class SearchListPage : public ::testing::Test {
 protected:
  ManagerSession session_{"searches"};
  HWND window_ = nullptr;
  std::string started_;  // the list the window opened with

  void StartWith(const std::string& list) {
    started_ = list;
    session_.WriteList(list);
    ASSERT_TRUE(session_.Start()) << ui::DescribeScreen();
    window_ = session_.Window();
  }
  Rows ListRows() const { return ui::ListRows(window_, kSearchList); }
  bool WaitForRows(const Rows& rows) const {
    return WaitUntil([&] { return ListRows() == rows; });
  }
  HWND OpenEditorOn(int row) {
    ui::SelectRow(window_, kSearchList, row);
    ui::Click(window_, kModifySearch);
    return session_.WaitForEditor();
  }
  // Save with these fields shows the message (OK only); the editor stays open with what the user
  // typed, and the list file is untouched.
  void ExpectSaveRefused(HWND editor, const Fields& fields, const std::string& message) {
    Fill(editor, fields);
    ui::PostClick(editor, IDOK);
    const ui::MessageBoxSeen box = ui::AnswerMessageBox("Error", IDOK);
    EXPECT_EQ(box.text, message) << box.Describe();
    EXPECT_EQ(box.buttons.size(), 1u) << box.Describe();
    EXPECT_EQ(Read(editor), fields);
    EXPECT_FALSE(ui::IsEnabled(window_, IDOK));
    EXPECT_EQ(session_.ListBytes(), started_);
  }
  bool EditorClosed() const {
    return ui::WaitForWindowGone(kEditorCaption) && WaitUntil([&] { return ui::IsEnabled(window_, IDOK); });
  }
};

}  // namespace

TEST_F(SearchListPage, EveryLineGetsItsRowWhateverItsForm) {
  StartWith(std::string(kFiveSearches) + "\r\nno quotes here\r\n\"Fragment\" http://x 0 0 1 5");
  EXPECT_EQ(ListRows(), (Rows{"Nikon F3 body\t12.00\t1\t2\t30", "Brass compass\t99.00\t0\t5\t0",
                              "Old search\t25.50\t0\t0\t30", "Pocket watch\t150.00\t2\t0\t0",
                              "Slide rule\t7.50\t0\t1\t15", "(empty line)", "(unreadable line) no quotes here",
                              "Fragment\t5.00\t0\t0\t1"}));

  // Row 6 is line 7: deleting it removes exactly that line, and the final fragment survives.
  ui::SelectRow(window_, kSearchList, 6);
  ui::PostClick(window_, kDeleteSearch);
  EXPECT_NE(ui::AnswerMessageBox("Delete", IDYES).window, nullptr) << ui::DescribeScreen();
  ASSERT_TRUE(WaitUntil([&] { return ListRows().size() == 7; }));
  EXPECT_EQ(session_.ListBytes(), std::string(kFiveSearches) + "\r\n\"Fragment\" http://x 0 0 1 5\r\n");
  EXPECT_TRUE(session_.Close());
}

TEST_F(SearchListPage, AddSearchStoresTheAddFormAndShowsTheTextsAsTyped) {
  StartWith("\"Nikon F3 body\" http://search.rure.com/nikon 1 2 30 12\r\n");
  ui::Click(window_, kAddSearch);
  HWND editor = session_.WaitForEditor();
  ASSERT_NE(editor, nullptr) << ui::DescribeScreen();
  EXPECT_FALSE(ui::IsEnabled(window_, IDOK)) << "Done stays disabled while the editor is open";
  EXPECT_EQ(Read(editor), (Fields{}));

  Fill(editor, {"Camera bag", "http://search.rure.com/bag?x=1", "1", "2", "3", "12"});
  ui::PostClick(editor, IDOK);
  ASSERT_TRUE(EditorClosed()) << ui::DescribeScreen();
  EXPECT_EQ(ListRows(), (Rows{"Nikon F3 body\t12.00\t1\t2\t30", "Camera bag\t12\t1\t2\t3"}));
  EXPECT_EQ(session_.ListBytes(),
            "\"Nikon F3 body\" http://search.rure.com/nikon 1 2 30 12\r\n"
            "\"Camera bag\"\thttp://search.rure.com/bag?x=1\t1\t2\t3\t12\r\n");

  // Delete Search without a selection asks nothing, changes no file and reloads the list:
  // the new row now shows its price with two decimals.
  SendMessageA(GetDlgItem(window_, kSearchList), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  const std::string before = session_.ListBytes();
  ui::PostClick(window_, kDeleteSearch);
  EXPECT_TRUE(WaitForRows({"Nikon F3 body\t12.00\t1\t2\t30", "Camera bag\t12.00\t1\t2\t3"})) << ui::DescribeScreen();
  EXPECT_EQ(ui::FindTopWindow("Delete"), nullptr);
  EXPECT_EQ(session_.ListBytes(), before);
  EXPECT_TRUE(session_.Close());
}

TEST_F(SearchListPage, NewSearchWithAnEmptyFieldIsDroppedWithoutAWord) {
  StartWith(kFiveSearches);
  const Rows rows = ListRows();
  for (int empty = 0; empty < 6; ++empty) {
    SCOPED_TRACE("empty field " + std::to_string(empty));
    ui::Click(window_, kAddSearch);
    HWND editor = session_.WaitForEditor();
    ASSERT_NE(editor, nullptr);
    Fill(editor, {"Lens", "http://x", "1", "1", "1", "5"});
    ui::SetText(editor, kFieldIds[empty], "");
    ui::PostClick(editor, IDOK);
    ASSERT_TRUE(EditorClosed());
    EXPECT_EQ(ui::FindTopWindow("Error"), nullptr);
    EXPECT_EQ(ListRows(), rows);
    EXPECT_EQ(session_.ListBytes(), started_);
  }
  EXPECT_TRUE(session_.Close());
}

TEST_F(SearchListPage, ModifyAsksThenRewritesOnlyItsLine) {
  StartWith(kFiveSearches);
  HWND editor = OpenEditorOn(0);
  ASSERT_NE(editor, nullptr) << ui::DescribeScreen();
  EXPECT_FALSE(ui::IsEnabled(window_, IDOK));
  EXPECT_EQ(Read(editor),
            (Fields{"Nikon F3 body", "http://search.rure.com/nikon?sort=price&q=f3", "1", "2", "30", "12"}));
  // The start of the address shows, with the caret on its first character.
  HWND url = GetDlgItem(editor, kEditorUrl);
  EXPECT_EQ(SendMessageA(url, EM_GETSEL, 0, 0), 0);
  EXPECT_EQ(SendMessageA(url, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  ui::Click(editor, IDCANCEL);
  ASSERT_TRUE(EditorClosed());

  // No: nothing changes.
  editor = OpenEditorOn(2);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(Read(editor), (Fields{"Old search", "http://search.rure.com/old", "0", "0", "30", "25.50"}));
  ui::SetText(editor, kEditorPrice, "20");
  ui::PostClick(editor, IDOK);
  EXPECT_NE(ui::AnswerMessageBox("Modify", IDNO).window, nullptr) << ui::DescribeScreen();
  ASSERT_TRUE(EditorClosed());
  EXPECT_EQ(session_.ListBytes(), kFiveSearches);

  // Yes: line 3 in the change form, the other lines byte for byte, no temporary copy left.
  editor = OpenEditorOn(2);
  ASSERT_NE(editor, nullptr);
  ui::SetText(editor, kEditorPrice, "20");
  ui::SetText(editor, kEditorHours, "4");
  ui::PostClick(editor, IDOK);
  const ui::MessageBoxSeen question = ui::AnswerMessageBox("Modify", IDYES);
  EXPECT_EQ(question.text, "Do you want to save your changes?");
  ASSERT_EQ(question.buttons.size(), 2u) << question.Describe();
  EXPECT_EQ(question.buttons[0].first, IDYES);
  EXPECT_EQ(question.buttons[1].first, IDNO);
  ASSERT_TRUE(EditorClosed());
  std::vector<std::string> expected = SplitLines(kFiveSearches);
  expected[2] = "\"Old search\" http://search.rure.com/old 0 4 30 20";
  EXPECT_EQ(SplitLines(session_.ListBytes()), expected);
  EXPECT_EQ(session_.ListBytes().size(), std::string(kFiveSearches).size() - 7 + 4);
  EXPECT_FALSE(FileExists(session_.FolderFile("lotwise2.initmp")));
  // Refilled in the change reading: price as a number, the rest as stored.
  EXPECT_EQ(ListRows(), (Rows{"Nikon F3 body\t12.00\t1\t2\t30", "Brass compass\t99.00\t0\t5\t0",
                              "Old search\t20.00\t0\t4\t30", "Pocket watch\t150.00\t2\t0\t0",
                              "Slide rule\t7.50\t0\t1\t15"}));
  EXPECT_TRUE(session_.Close());
}

TEST_F(SearchListPage, ASecondDoubleClickOnlyRaisesTheEditorThatKeepsItsSearch) {
  StartWith(kFiveSearches);
  ui::DoubleClickRow(window_, kSearchList, 3);
  HWND editor = session_.WaitForEditor();
  ASSERT_NE(editor, nullptr) << ui::DescribeScreen();
  ui::DoubleClickRow(window_, kSearchList, 1);
  ui::Click(window_, kModifySearch);
  ui::Click(window_, kAddSearch);
  Sleep(300);
  EXPECT_EQ(session_.WaitForEditor(), editor);
  EXPECT_EQ(ui::Text(editor, kEditorDescription), "Pocket watch");

  ui::SetText(editor, kEditorDays, "3");
  ui::PostClick(editor, IDOK);
  EXPECT_NE(ui::AnswerMessageBox("Modify", IDYES).window, nullptr);
  ASSERT_TRUE(EditorClosed());
  std::vector<std::string> expected = SplitLines(kFiveSearches);
  expected[3] = "\"Pocket watch\" http://search.rure.com/watch 3 0 0 150";
  EXPECT_EQ(SplitLines(session_.ListBytes()), expected);
  EXPECT_TRUE(session_.Close());
}

TEST_F(SearchListPage, DeleteAsksAndLeavesTheTemporaryCopy) {
  StartWith(kFiveSearches);
  ui::SelectRow(window_, kSearchList, 2);
  ui::PostClick(window_, kDeleteSearch);
  const ui::MessageBoxSeen question = ui::AnswerMessageBox("Delete", IDNO);
  EXPECT_EQ(question.text, "Are you sure you want to delete this search?") << question.Describe();
  ASSERT_TRUE(WaitUntil([&] { return ListRows().size() == 5 && ui::FindTopWindow("Delete") == nullptr; }));
  EXPECT_EQ(session_.ListBytes(), kFiveSearches);

  ui::SelectRow(window_, kSearchList, 2);
  ui::PostClick(window_, kDeleteSearch);
  EXPECT_NE(ui::AnswerMessageBox("Delete", IDYES).window, nullptr);
  ASSERT_TRUE(WaitForRows({"Nikon F3 body\t12.00\t1\t2\t30", "Brass compass\t99.00\t0\t5\t0",
                           "Pocket watch\t150.00\t2\t0\t0", "Slide rule\t7.50\t0\t1\t15"}));
  std::vector<std::string> expected = SplitLines(kFiveSearches);
  expected.erase(expected.begin() + 2);
  EXPECT_EQ(SplitLines(session_.ListBytes()), expected);
  EXPECT_EQ(ReadFileBytes(session_.FolderFile("lotwise2.initmp")), session_.ListBytes());
  EXPECT_TRUE(session_.Close());
}

TEST_F(SearchListPage, DeleteWaitsWhileASearchIsBeingChanged) {
  StartWith(kFiveSearches);
  HWND editor = OpenEditorOn(3);
  ASSERT_NE(editor, nullptr);

  // Deleting line 1 would move the edited search to line 3: refused, with a message.
  ui::SelectRow(window_, kSearchList, 0);
  ui::PostClick(window_, kDeleteSearch);
  const ui::MessageBoxSeen refusal = ui::AnswerMessageBox("Error", IDOK);
  EXPECT_EQ(refusal.text, "Save or cancel the search you are changing before deleting a search.")
      << refusal.Describe() << ui::DescribeScreen();
  EXPECT_EQ(ui::FindTopWindow("Delete"), nullptr);
  EXPECT_EQ(session_.ListBytes(), kFiveSearches);

  // The change still reaches the search it was opened for.
  ui::SetText(editor, kEditorMinutes, "45");
  ui::PostClick(editor, IDOK);
  EXPECT_NE(ui::AnswerMessageBox("Modify", IDYES).window, nullptr);
  ASSERT_TRUE(EditorClosed());
  std::vector<std::string> expected = SplitLines(kFiveSearches);
  expected[3] = "\"Pocket watch\" http://search.rure.com/watch 2 0 45 150";
  EXPECT_EQ(SplitLines(session_.ListBytes()), expected);

  // An editor for a new search does not hold up a delete.
  ui::Click(window_, kAddSearch);
  editor = session_.WaitForEditor();
  ASSERT_NE(editor, nullptr);
  ui::SelectRow(window_, kSearchList, 0);
  ui::PostClick(window_, kDeleteSearch);
  EXPECT_NE(ui::AnswerMessageBox("Delete", IDYES).window, nullptr) << ui::DescribeScreen();
  ASSERT_TRUE(WaitUntil([&] { return ListRows().size() == 4; }));
  Fill(editor, {"Globe", "http://search.rure.com/globe", "0", "0", "9", "40"});
  ui::PostClick(editor, IDOK);
  ASSERT_TRUE(EditorClosed());
  expected.erase(expected.begin());
  expected.push_back("\"Globe\"\thttp://search.rure.com/globe\t0\t0\t9\t40");
  EXPECT_EQ(SplitLines(session_.ListBytes()), expected);
  EXPECT_EQ(ListRows().back(), "Globe\t40\t0\t0\t9");
  EXPECT_TRUE(session_.Close());
}

TEST_F(SearchListPage, InputTheFileCannotHoldIsRefusedAndTheEditorStaysOpen) {
  StartWith(kFiveSearches);
  struct Case {
    const char* name;
    Fields fields;
    const char* message;
  } cases[] = {
      {"double quote", {"The \"best\" lens", "http://x", "0", "0", "1", "5"},
       "The description cannot contain a double quote (\"). The search was not saved."},
      {"description over 127 bytes", {std::string(128, 'd'), "http://x", "0", "0", "1", "5"},
       "The description is longer than 127 characters. The search was not saved."},
      {"blank in the address", {"Lens", "http://x/a b", "0", "0", "1", "5"},
       "The rUre URL cannot contain blanks. The search was not saved."},
      {"number over 31 bytes", {"Lens", "http://x", std::string(32, '1'), "0", "1", "5"},
       "A number is longer than 31 characters. The search was not saved."},
      {"pasted letters", {"Lens", "http://x", "0", "two", "1", "5"},
       "Days, hours and minutes must be whole numbers. The search was not saved."},
      {"price with two points", {"Lens", "http://x", "0", "0", "1", "5.0.0"},
       "The price must be a number such as 12 or 12.50. The search was not saved."},
      {"line over 1022 bytes", {"Lens", "http://x/" + std::string(1010, 'u'), "0", "0", "1", "5"},
       "The search is longer than 1022 characters; shorten the rUre URL. The search was not saved."},
      // A tab would split the list's columns; a Ctrl-Z would end a text-mode read of the pass log.
      {"tab in the description", {"Lens\tcap", "http://x", "0", "0", "1", "5"},
       "The description cannot contain control characters or tabs."},
      {"Ctrl-Z in the description", {"Lens\x1a", "http://x", "0", "0", "1", "5"},
       "The description cannot contain control characters or tabs."},
      {"DEL in the description", {"\x7fLens", "http://x", "0", "0", "1", "5"},
       "The description cannot contain control characters or tabs."},
  };
  ui::Click(window_, kAddSearch);
  HWND editor = session_.WaitForEditor();
  ASSERT_NE(editor, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectSaveRefused(editor, c.fields, c.message);
  }
  ui::Click(editor, IDCANCEL);
  ASSERT_TRUE(EditorClosed());

  // A change with an emptied field is refused the same way: the stored line stays readable.
  editor = OpenEditorOn(1);
  ASSERT_NE(editor, nullptr);
  ui::SetText(editor, kEditorUrl, "");
  ui::PostClick(editor, IDOK);
  EXPECT_EQ(ui::AnswerMessageBox("Error", IDOK).text, "Every field must be filled in. The search was not saved.");
  EXPECT_EQ(ui::FindTopWindow("Modify"), nullptr);
  EXPECT_EQ(session_.ListBytes(), kFiveSearches);
  ui::Click(editor, IDCANCEL);
  ASSERT_TRUE(EditorClosed());
  EXPECT_EQ(ListRows().size(), 5u);
  EXPECT_TRUE(session_.Close());
}

TEST_F(SearchListPage, AddressesThePollerCannotWatchAreRefusedAndTheEditorStaysOpen) {
  StartWith(kFiveSearches);
  const char kRefusal[] = "Lotwise can only watch addresses that begin with http://";
  ui::Click(window_, kAddSearch);
  HWND editor = session_.WaitForEditor();
  ASSERT_NE(editor, nullptr);
  for (const char* address : {"https://search.rure.com/lens?q=nikon", "HTTPS://SEARCH.RURE.COM/lens",
                              "ftp://search.rure.com/lens", "search.rure.com/lens"}) {
    SCOPED_TRACE(address);
    ExpectSaveRefused(editor, {"Lens", address, "0", "0", "1", "5"}, kRefusal);
  }
  ui::Click(editor, IDCANCEL);
  ASSERT_TRUE(EditorClosed());

  // A change is refused before the question; the scheme's case does not matter.
  editor = OpenEditorOn(1);
  ASSERT_NE(editor, nullptr);
  ui::SetText(editor, kEditorUrl, "https://search.rure.com/compass");
  ui::PostClick(editor, IDOK);
  EXPECT_EQ(ui::AnswerMessageBox("Error", IDOK).text, kRefusal);
  EXPECT_EQ(ui::FindTopWindow("Modify"), nullptr);
  EXPECT_EQ(ui::Text(editor, kEditorUrl), "https://search.rure.com/compass");
  EXPECT_EQ(session_.ListBytes(), kFiveSearches);
  ui::SetText(editor, kEditorUrl, "HTTP://search.rure.com/compass");
  ui::PostClick(editor, IDOK);
  EXPECT_NE(ui::AnswerMessageBox("Modify", IDYES).window, nullptr) << ui::DescribeScreen();
  ASSERT_TRUE(EditorClosed());
  EXPECT_EQ(SplitLines(session_.ListBytes())[1], "\"Brass compass\" HTTP://search.rure.com/compass 0 5 0 99");
  EXPECT_TRUE(session_.Close());
}

// The number fields are too narrow to type such numbers, but one can be pasted or come from a
// line edited by hand; the list's readers take no more than a signed 32-bit integer.
TEST_F(SearchListPage, NumbersBeyondTheFormatAreRefusedNamingTheirFieldAndBeforeTheModifyQuestion) {
  const std::string list = std::string(kFiveSearches) + "\"Globe\" http://search.rure.com/globe 0 2147483648 0 40\r\n";
  StartWith(list);
  ui::Click(window_, kAddSearch);
  HWND editor = session_.WaitForEditor();
  ASSERT_NE(editor, nullptr);
  ExpectSaveRefused(editor, {"Lens", "http://x", "2147483648", "0", "1", "5"},
                    "Days cannot be larger than 2147483647. The search was not saved.");
  ExpectSaveRefused(editor, {"Lens", "http://x", "0", "0002147483648", "1", "5"},
                    "Hours cannot be larger than 2147483647. The search was not saved.");
  ExpectSaveRefused(editor, {"Lens", "http://x", "0", "0", "99999999999", "5"},
                    "Minutes cannot be larger than 2147483647. The search was not saved.");
  ui::Click(editor, IDCANCEL);
  ASSERT_TRUE(EditorClosed());

  // A line edited by hand.
  editor = OpenEditorOn(5);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(ui::Text(editor, kEditorHours), "2147483648");
  ui::PostClick(editor, IDOK);
  const ui::MessageBoxSeen box = ui::AnswerMessageBox("Error", IDOK);
  EXPECT_EQ(box.text, "Hours cannot be larger than 2147483647. The search was not saved.") << box.Describe();
  EXPECT_EQ(ui::FindTopWindow("Modify"), nullptr);
  EXPECT_EQ(ui::Text(editor, kEditorHours), "2147483648");
  EXPECT_EQ(session_.ListBytes(), list);

  // The largest number is stored as typed.
  ui::SetText(editor, kEditorHours, "2147483647");
  ui::PostClick(editor, IDOK);
  EXPECT_NE(ui::AnswerMessageBox("Modify", IDYES).window, nullptr) << ui::DescribeScreen();
  ASSERT_TRUE(EditorClosed());
  EXPECT_EQ(SplitLines(session_.ListBytes())[5], "\"Globe\" http://search.rure.com/globe 0 2147483647 0 40");
  EXPECT_EQ(ListRows()[5], "Globe\t40.00\t0\t2147483647\t0");
  EXPECT_TRUE(session_.Close());
}

TEST_F(SearchListPage, AnOldListIsConvertedOnFirstLoad) {
  WriteFileBytes(session_.FolderFile("lotwise.ini"),
                 "\"Old search\" http://search.rure.com/old 30 25.5\r\n"
                 "\"Second one\" http://search.rure.com/two 5 3\r\n"
                 "ab\r\n"
                 "\"Not converted\" http://search.rure.com/three 1 1\r\n");
  ASSERT_TRUE(session_.Start()) << ui::DescribeScreen();
  window_ = session_.Window();
  EXPECT_EQ(ListRows(), (Rows{"Old search\t25.50\t0\t0\t30", "Second one\t3.00\t0\t0\t5"}));
  EXPECT_EQ(session_.ListBytes(),
            "\"Old search\" http://search.rure.com/old 0 0 30 25.50\r\n"
            "\"Second one\" http://search.rure.com/two 0 0 5 3.00\r\n");

  HWND editor = OpenEditorOn(0);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(Read(editor), (Fields{"Old search", "http://search.rure.com/old", "0", "0", "30", "25.50"}));
  ui::Click(editor, IDCANCEL);
  ASSERT_TRUE(EditorClosed());
  EXPECT_TRUE(session_.Close());
}

TEST_F(SearchListPage, EditorClosesByCancelCloseBoxAndKeysAndDoneComesBack) {
  StartWith(kFiveSearches);
  const auto open = [&] {
    ui::Click(window_, kAddSearch);
    HWND editor = session_.WaitForEditor();
    EXPECT_FALSE(ui::IsEnabled(window_, IDOK));
    return editor;
  };
  HWND editor = open();
  ASSERT_NE(editor, nullptr);
  ui::Click(editor, IDCANCEL);
  EXPECT_TRUE(EditorClosed());

  editor = open();
  ASSERT_NE(editor, nullptr);
  PostMessageA(editor, WM_CLOSE, 0, 0);
  EXPECT_TRUE(EditorClosed());

  // Escape and Enter reach the modeless editor through the main window's message loop.
  editor = open();
  ASSERT_NE(editor, nullptr);
  PostMessageA(GetDlgItem(editor, kEditorDescription), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(EditorClosed());
  EXPECT_EQ(session_.ListBytes(), kFiveSearches);

  editor = open();
  ASSERT_NE(editor, nullptr);
  Fill(editor, {"Sextant", "http://search.rure.com/sextant", "0", "1", "0", "80"});
  PostMessageA(GetDlgItem(editor, kEditorMinutes), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_TRUE(EditorClosed());
  EXPECT_EQ(SplitLines(session_.ListBytes()).back(), "\"Sextant\"\thttp://search.rure.com/sextant\t0\t1\t0\t80");
  EXPECT_TRUE(session_.Close());
}

TEST_F(SearchListPage, AnUnreadableLineCanBeRepaired) {
  StartWith("\"Nikon F3 body\" http://search.rure.com/nikon 1 2 30 12\r\n"
            "\"Half a line\" http://search.rure.com/half 1\r\n"
            "\"Slide rule\" http://search.rure.com/rule 0 1 15 7.5\r\n");
  EXPECT_EQ(ListRows()[1], "(unreadable line) \"Half a line\" http://search.rure.com/half 1");
  HWND editor = OpenEditorOn(1);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(Read(editor), (Fields{"Half a line", "http://search.rure.com/half", "1", "", "", ""}));
  Fill(editor, {"Half a line", "http://search.rure.com/half", "1", "0", "0", "3"});
  ui::PostClick(editor, IDOK);
  EXPECT_NE(ui::AnswerMessageBox("Modify", IDYES).window, nullptr);
  ASSERT_TRUE(EditorClosed());
  EXPECT_EQ(SplitLines(session_.ListBytes())[1], "\"Half a line\" http://search.rure.com/half 1 0 0 3");
  EXPECT_EQ(ListRows()[1], "Half a line\t3.00\t1\t0\t0");
  EXPECT_TRUE(session_.Close());
}

TEST_F(SearchListPage, AListChangedElsewhereIsNeverChangedAtTheWrongLine) {
  StartWith(kFiveSearches);
  std::vector<std::string> lines = SplitLines(kFiveSearches);

  // Another program removes line 1: row 2 ("Old search") would now address "Pocket watch".
  std::string changed;
  for (size_t i = 1; i < lines.size(); ++i) changed += lines[i] + "\r\n";
  session_.WriteList(changed);
  ui::SelectRow(window_, kSearchList, 2);
  ui::PostClick(window_, kDeleteSearch);
  EXPECT_NE(ui::AnswerMessageBox("Delete", IDYES).window, nullptr) << ui::DescribeScreen();
  const ui::MessageBoxSeen box = ui::AnswerMessageBox("Error", IDOK);
  EXPECT_EQ(box.text, "The search list has changed. It has been loaded again.") << box.Describe();
  EXPECT_EQ(session_.ListBytes(), changed);
  EXPECT_TRUE(WaitForRows({"Brass compass\t99.00\t0\t5\t0", "Old search\t25.50\t0\t0\t30",
                           "Pocket watch\t150.00\t2\t0\t0", "Slide rule\t7.50\t0\t1\t15"}));

  // The reloaded rows address their lines again; then the line under an open editor is edited
  // by hand: the change writes nothing, and the editor closes over the reloaded list.
  HWND editor = OpenEditorOn(0);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(Read(editor), (Fields{"Brass compass", "http://search.rure.com/compass", "0", "5", "0", "99"}));
  changed.replace(changed.find(" 99\r\n"), 5, " 98\r\n");
  session_.WriteList(changed);
  ui::SetText(editor, kEditorPrice, "10");
  ui::PostClick(editor, IDOK);
  EXPECT_NE(ui::AnswerMessageBox("Modify", IDYES).window, nullptr);
  EXPECT_EQ(ui::AnswerMessageBox("Error", IDOK).text, "The search list has changed. It has been loaded again.");
  ASSERT_TRUE(EditorClosed());
  EXPECT_EQ(session_.ListBytes(), changed);
  EXPECT_EQ(ListRows().front(), "Brass compass\t98.00\t0\t5\t0");

  // With the list as loaded, a delete goes through.
  ui::SelectRow(window_, kSearchList, 0);
  ui::PostClick(window_, kDeleteSearch);
  EXPECT_NE(ui::AnswerMessageBox("Delete", IDYES).window, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return ListRows().size() == 3; }));
  EXPECT_EQ(session_.ListBytes(), changed.substr(changed.find("\r\n") + 2));
  EXPECT_EQ(ui::FindTopWindow("Error"), nullptr);
  EXPECT_TRUE(session_.Close());
}
