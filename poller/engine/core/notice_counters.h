// When the polling loop tells the user about failed pages and about too many alerts. Both
// counts last as long as the process: passes come and go, and a page that opens resets nothing.
#pragma once

class NoticeCounters {
 public:
  // A search's page did not open. True at every ninth such page: the "no connection" message
  // is due, and the count starts again.
  bool CountFailedPage();
  // An alert dialog was shown. True once in the process, at the sixth: the tip is due.
  bool CountAlertDialog();

 private:
  int failedPages_ = 0;
  int alertDialogs_ = 0;
};
