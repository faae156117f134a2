// LotwiseMgr.exe under Wine: the Search Results page after a pass — rows, alert colours read
// from the screen, the last-pass label, reloading, and opening an item's page.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <ctime>
#include <functional>

#include "common/pass_log.h"
#include "manager/manager_ids.h"
#include "manager/tests/manager_session.h"
#include "tests/support/screen_capture.h"
#include "tests/support/stand_in_browser.h"
#include "tests/support/test_text.h"
#include "tests/uidriver/ui_driver.h"

using namespace testing_support;

namespace {

using Rows = std::vector<std::string>;

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kPlain = RGB(1, 1, 1);
const COLORREF kCyan = RGB(0, 255, 255);
const COLORREF kNearWhite = RGB(254, 254, 254);

std::tm When(int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = 104;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

// Writes a pass log with the poller's own line writers.
void WriteLog(const std::string& path, const std::function<void(std::FILE*)>& write) {
  ASSERT_TRUE(WriteFileWith(path, write));
}

// One pass: the first item of the first search and the second search's item are bargains.
void WriteOnePass(std::FILE* log) {
  WriteVersionLine(log);
  WriteLastSearchLine(log, When(12, 6, 14, 5, 9));
  WriteSearchLine(log, "brass compass", 90, 25.0f);
  WriteNoBlockfileLine(log);
  WriteAlertLine(log, 90, 42, 25.0f, 19.5f);
  WriteItemLine(log, "371", "Antique brass ship compass", 3, "19.5", 0, 0, 42);
  WriteItemLine(log, "372", "Brass pocket compass with lid", 0, "31.00", 2, 5, 17);
  WritePageClosedLine(log);
  WriteSearchLine(log, "slide rule", 60, 10.0f);
  WriteAlertLine(log, 60, 30, 10.0f, 7.0f);
  WriteItemLine(log, "4455667788", "Slide rule, boxwood, with a title well over fifty characters long", 12, "7", 0,
                0, 30);
  WritePageClosedLine(log);
  WriteSearchLine(log, "page that failed", 10, 1.0f);
  WriteAlertLine(log, 1, 1, 1.0f, 1.0f);  // an alert as the very last line colours nothing
  std::fputs("ID:999          Descript:cut while being writ", log);  // a line still being written
}

// Where the results page writes an item's shortcut: the user's temporary folder.
std::string TempFolder() {
  char folder[MAX_PATH] = {};
  const DWORD length = GetTempPathA(sizeof folder, folder);
  return std::string(folder, length > 0 ? length - 1 : 0);  // without its closing backslash
}
std::string TempFile(const std::string& name) { return TempFolder() + "\\" + name; }

// Registers slow_shortcut_reader as the shell's handler of .url files for its lifetime.
class SlowShortcutReader {
 public:
  explicit SlowShortcutReader(int delayMs) {
    DeleteFileA(kRecord);
    const std::string command =
        "\"" + ProgramPath("slow_shortcut_reader.exe") + "\" " + std::to_string(delayMs) + " " + kRecord + " \"%1\"";
    SetStringValue(HKEY_LOCAL_MACHINE, kCommandKey, "", command + std::string(1, '\0'));
  }
  ~SlowShortcutReader() { DeleteFileA(kRecord); }
  std::string Record() const { return ReadFileBytes(kRecord); }

 private:
  static constexpr char kCommandKey[] = "Software\\Classes\\InternetShortcut\\shell\\open\\command";
  static constexpr char kRecord[] = "C:\\shortcut-record.txt";
  ScopedRegistryKey handler_{kCommandKey};
};

class ResultsPage : public ::testing::Test {
 protected:
  ManagerSession session_{"results"};
  HWND window_ = nullptr;

  void Start() {
    ASSERT_TRUE(session_.Start()) << ui::DescribeScreen();
    window_ = session_.Window();
    session_.ShowTab(1);
  }
  Rows ResultRows() const { return ui::ListRows(window_, kResultsList); }
  HWND List() const { return GetDlgItem(window_, kResultsList); }
  // The band of list row `row`, as the screen shows it.
  Pixels Row(const Pixels& list, int row, int* top, int* bottom) const {
    const int height = static_cast<int>(SendMessageA(List(), LB_GETITEMHEIGHT, row, 0));
    *top = row * height;
    *bottom = *top + height;
    return list;
  }
};

}  // namespace

TEST_F(ResultsPage, ShowsTheLastPassWithTheAlertedItemsInRed) {
  WriteLog(session_.FolderFile("lotwise.txt"), WriteOnePass);
  Start();
  EXPECT_EQ(ui::Text(window_, kLastSearchedDate), "12/06/04 14:05:09");

  const Rows rows = ResultRows();
  ASSERT_EQ(rows.size(), 3u) << "the line cut short is left out";
  struct Expected {
    const char* id;
    std::string description;
    const char* numbers;  // bids, price, the empty column, days, hours, minutes
    DWORD color;
  } expected[] = {
      {"371", "Antique brass ship compass" + std::string(19, ' '), "3|19.50||0|0|42", 255},
      {"372", "Brass pocket compass with lid" + std::string(16, ' '), "0|31.00||2|5|17", 65793},
      {"4455667788", "Slide rule, boxwood, with a title well over fi", "12|7.00||0|0|30", 255},
  };
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(rows[i]);
    const std::vector<std::string> fields = SplitColumns(rows[i]);
    ASSERT_EQ(fields.size(), 8u);
    EXPECT_EQ(fields[0], expected[i].id);
    // The first 45 bytes of the logged title, then blanks that pad the column.
    const std::string& description = expected[i].description;
    const std::string title = description.substr(0, description.size() < 45 ? description.size() : 45);
    EXPECT_EQ(fields[1].substr(0, 45), title.substr(0, 45));
    EXPECT_EQ(fields[1].find_first_not_of(' ', 45), std::string::npos);
    EXPECT_EQ(fields[2] + "|" + fields[3] + "|" + fields[4] + "|" + fields[5] + "|" + fields[6] + "|" + fields[7],
              expected[i].numbers);
    EXPECT_EQ(SendMessageA(List(), LB_GETITEMDATA, i, 0), static_cast<LRESULT>(expected[i].color));
  }

  // What the screen shows: red text for alerted rows, RGB(1,1,1) for the other.
  Sleep(300);
  Pixels list = CaptureClient(List());
  int top = 0, bottom = 0;
  Row(list, 0, &top, &bottom);
  EXPECT_GT(list.Count(kRed, top, bottom), 30);
  EXPECT_EQ(list.Count(kPlain, top, bottom), 0);
  Row(list, 1, &top, &bottom);
  EXPECT_GT(list.Count(kPlain, top, bottom), 30);
  EXPECT_EQ(list.Count(kRed, top, bottom), 0);
  Row(list, 2, &top, &bottom);
  EXPECT_GT(list.Count(kRed, top, bottom), 30);

  // Selected, an alerted row is cyan on red, a plain one near-white on near-black.
  ui::SelectRow(window_, kResultsList, 0);
  Sleep(300);
  list = CaptureClient(List());
  Row(list, 0, &top, &bottom);
  const int band = list.width * (bottom - top);
  EXPECT_GT(list.Count(kRed, top, bottom), band / 2);
  EXPECT_GT(list.Count(kCyan, top, bottom), 30);
  CreateDirectoryA("screens", nullptr);
  SaveScreenshot("screens\\results_alert_selected.bmp");

  ui::SelectRow(window_, kResultsList, 1);
  Sleep(300);
  list = CaptureClient(List());
  Row(list, 1, &top, &bottom);
  EXPECT_GT(list.Count(kPlain, top, bottom), band / 2);
  EXPECT_GT(list.Count(kNearWhite, top, bottom), 30);
  Row(list, 0, &top, &bottom);
  EXPECT_LT(list.Count(kRed, top, bottom), band / 4) << "the old selection is cleared";
  EXPECT_GT(list.Count(kRed, top, bottom), 30);
  SaveScreenshot("screens\\results_plain_selected.bmp");
  EXPECT_TRUE(session_.Close());
}

TEST_F(ResultsPage, RereadsTheLogOnRefreshAndOnEveryVisitOfThePage) {
  const std::string log = session_.FolderFile("lotwise.txt");
  WriteLog(log, [](std::FILE* f) {
    WriteVersionLine(f);
    WriteLastSearchLine(f, When(1, 2, 3, 4, 5));
    WriteItemLine(f, "1", "first pass", 1, "1.00", 1, 1, 1);
  });
  session_.WriteList("\"Lens\" http://x 0 0 1 5\r\n");
  Start();
  ASSERT_EQ(ResultRows().size(), 1u);

  // A new pass shows only once the page is reloaded.
  WriteLog(log, [](std::FILE* f) {
    WriteVersionLine(f);
    WriteLastSearchLine(f, When(2, 3, 4, 5, 6));
    WriteItemLine(f, "2", "second pass", 2, "2.00", 2, 2, 2);
    WriteItemLine(f, "3", "second pass", 3, "3.00", 3, 3, 3);
  });
  EXPECT_EQ(ResultRows().size(), 1u);
  ui::Click(window_, kRefreshResults);
  EXPECT_EQ(ResultRows().size(), 2u);
  EXPECT_EQ(ui::Text(window_, kLastSearchedDate), "02/03/04 04:05:06");

  // A pass in progress, without its last-search line yet: the date keeps the last one shown.
  WriteLog(log, [](std::FILE* f) { WriteItemLine(f, "4", "third pass", 4, "4.00", 4, 4, 4); });
  session_.WriteList("\"Lens\" http://x 0 0 1 5\r\n\"Globe\" http://y 0 0 1 5\r\n");
  session_.ShowTab(0);
  EXPECT_EQ(ui::ListRows(window_, kSearchList).size(), 1u) << "the search list is not reread";
  EXPECT_EQ(ResultRows().size(), 2u);
  session_.ShowTab(1);
  ASSERT_EQ(ResultRows().size(), 1u);
  EXPECT_EQ(SplitColumns(ResultRows()[0])[0], "4");
  EXPECT_EQ(ui::Text(window_, kLastSearchedDate), "02/03/04 04:05:06");

  // No log at all: an empty list, the date as it was.
  DeleteFileA(log.c_str());
  ui::Click(window_, kRefreshResults);
  EXPECT_TRUE(ResultRows().empty());
  EXPECT_EQ(ui::Text(window_, kLastSearchedDate), "02/03/04 04:05:06");
  EXPECT_TRUE(session_.Close());
}

TEST_F(ResultsPage, ACtrlZByteInTheLogHidesNoLaterItem) {
  // A description is logged as typed; a text-mode read of the log would end at its Ctrl-Z.
  WriteLog(session_.FolderFile("lotwise.txt"), [](std::FILE* f) {
    WriteVersionLine(f);
    WriteLastSearchLine(f, When(1, 2, 3, 4, 5));
    WriteSearchLine(f, "lens\x1a cap", 60, 10.0f);
    WriteItemLine(f, "1", "first", 1, "1.00", 1, 1, 1);
    WritePageClosedLine(f);
    WriteSearchLine(f, "globe", 60, 10.0f);
    WriteItemLine(f, "2", "second", 2, "2.00", 2, 2, 2);
    WriteItemLine(f, "3", "third", 3, "3.00", 3, 3, 3);
    WritePageClosedLine(f);
  });
  Start();
  const Rows rows = ResultRows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(SplitColumns(rows[2])[0], "3");
  EXPECT_EQ(ui::Text(window_, kLastSearchedDate), "01/02/04 03:04:05");
  EXPECT_TRUE(session_.Close());
}

TEST_F(ResultsPage, DoubleClickOpensTheItemPageThroughAShortcutThatDoesNotStay) {
  StandInBrowser browser;
  WriteLog(session_.FolderFile("lotwise.txt"), WriteOnePass);
  Start();
  ui::DoubleClickRow(window_, kResultsList, 2);
  const std::vector<std::string> opened = browser.Opened(1);
  ASSERT_EQ(opened.size(), 1u) << ui::DescribeScreen();
  EXPECT_EQ(opened[0], "http://cgi.rure.com/ws/rUreISAPI.dll?MfcISAPICommand=ViewItem&item=4455667788");
  // The shortcut lives only while the shell reads it.
  EXPECT_TRUE(WaitUntil([&] { return !FileExists(TempFile("4455667788.url")); }));
  EXPECT_TRUE(session_.Close());
}

TEST_F(ResultsPage, AnIdThatCouldNameAFileElsewhereOpensNothing) {
  StandInBrowser browser;
  const std::string ids[] = {"..\\..\\outside", "../outside", "C:outside", std::string(32, '7'), "CON", "a.b"};
  WriteLog(session_.FolderFile("lotwise.txt"), [&](std::FILE* f) {
    for (const std::string& id : ids) WriteItemLine(f, id.c_str(), "hostile", 0, "1.00", 0, 0, 1);
    WriteItemLine(f, "12345", "harmless", 0, "1.00", 0, 0, 1);
  });
  Start();
  ASSERT_EQ(ResultRows().size(), 7u);
  for (int row = 0; row < 6; ++row) {
    SCOPED_TRACE(ids[row]);
    EXPECT_EQ(SplitColumns(ResultRows()[row])[0], ids[row]) << "the row still shows the id";
    ui::DoubleClickRow(window_, kResultsList, row);
  }
  // The harmless row opens; none of the others did, and no file was left anywhere near.
  ui::DoubleClickRow(window_, kResultsList, 6);
  const std::vector<std::string> opened = browser.Opened(2, 2000);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], "http://cgi.rure.com/ws/rUreISAPI.dll?MfcISAPICommand=ViewItem&item=12345");
  for (const std::string& folder :
       {session_.CurrentDir(), session_.Folder(), TempFolder(), std::string(".."), std::string("C:")}) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.url").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << folder << " holds " << found.cFileName;
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
  }
  EXPECT_FALSE(FileExists("outside.url"));
  EXPECT_TRUE(session_.Close());
}

TEST_F(ResultsPage, AFileOfTheShortcutsNameIsLeftAloneAndTheAddressOpensAnyway) {
  StandInBrowser browser;
  WriteLog(session_.FolderFile("lotwise.txt"), WriteOnePass);
  const std::string own = TempFile("4455667788.url");
  ASSERT_TRUE(WriteFileBytes(own, "the user's own file\r\n"));
  Start();
  ui::DoubleClickRow(window_, kResultsList, 2);
  const std::vector<std::string> opened = browser.Opened(1);
  ASSERT_EQ(opened.size(), 1u) << ui::DescribeScreen();
  EXPECT_EQ(opened[0], "http://cgi.rure.com/ws/rUreISAPI.dll?MfcISAPICommand=ViewItem&item=4455667788");
  Sleep(500);
  EXPECT_EQ(ReadFileBytes(own), "the user's own file\r\n");
  EXPECT_TRUE(session_.Close());
  EXPECT_EQ(ReadFileBytes(own), "the user's own file\r\n");
  DeleteFileA(own.c_str());  // the temporary folder outlives the test
}

TEST_F(ResultsPage, TheWindowNeverWaitsForTheShellsHelperThatReadsTheShortcut) {
  SlowShortcutReader reader(2500);
  WriteLog(session_.FolderFile("lotwise.txt"), WriteOnePass);
  Start();
  // Written in the temporary folder, never in the current one (the installation folder when
  // started from the Start menu).
  const std::string shortcut = TempFile("4455667788.url");
  const std::string content =
      "[InternetShortcut]\r\nURL=http://cgi.rure.com/ws/rUreISAPI.dll?MfcISAPICommand=ViewItem&item=4455667788\r\n";

  // While the helper takes its time, the window answers; the shortcut stays until it is read.
  ui::SelectRow(window_, kResultsList, 2);
  PostMessageA(window_, WM_COMMAND, MAKEWPARAM(kResultsList, LBN_DBLCLK), reinterpret_cast<LPARAM>(List()));
  ASSERT_TRUE(WaitUntil([&] { return FileExists(shortcut); }, 5000));
  EXPECT_FALSE(FileExists(session_.CurrentDir() + "\\4455667788.url"));
  Sleep(300);
  DWORD_PTR answer = 0;
  EXPECT_NE(SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer), 0);
  EXPECT_TRUE(WaitUntil([&] { return reader.Record() == content; })) << reader.Record();
  EXPECT_TRUE(WaitUntil([&] { return !FileExists(shortcut); }));

  // Done while the helper still reads: the program ends once the shortcut is read and gone.
  ui::DoubleClickRow(window_, kResultsList, 0);
  ASSERT_TRUE(WaitUntil([&] { return FileExists(TempFile("371.url")); }, 5000));
  EXPECT_TRUE(session_.Close());
  EXPECT_EQ(reader.Record().substr(content.size()),
            "[InternetShortcut]\r\nURL=http://cgi.rure.com/ws/rUreISAPI.dll?MfcISAPICommand=ViewItem&item=371\r\n");
  EXPECT_FALSE(FileExists(TempFile("371.url")));
}
