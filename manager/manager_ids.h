// Resource and control identifiers of the manager (fixed: tests and users rely on them).
#pragma once

#define kAboutDialogId 100
#define kAboutMenuStringId 101
#define kManagerDialogId 102
#define kProgramIconId 128
#define kSearchEditorDialogId 130
#define kBannerBitmapId 144
#define kSearchHealthDialogId 140
#define kBargainHistoryDialogId 150

// The main window's title: also how a second start finds the running manager.
#define kManagerTitle "Lotwise Manager V2.3"

// System menu commands of the about, search health and bargain history items.
#define kAboutCommand 0x0010
#define kSearchHealthCommand 0x0020
#define kBargainHistoryCommand 0x0030

// Main window (template 102).
#define kSearchList 1000
#define kAddSearch 1002
#define kDeleteSearch 1003
#define kModifySearch 1004
#define kResultsList 1005
#define kReconfigure 1007
#define kSearchNow 1010
#define kRefreshResults 1011
#define kLastSearchedDate 1027
#define kPageTabs 1031
#define kSearchLabelFirst 1033
#define kSearchLabelDescription 1033
#define kSearchLabelPrice 1034
#define kSearchLabelDays 1035
#define kSearchLabelHours 1036
#define kSearchLabelMinutes 1037
#define kSearchLabelLast 1037
#define kResultsLabelFirst 1038
#define kResultsLabelId 1038
#define kResultsLabelDescription 1039
#define kResultsLabelBids 1040
#define kResultsLabelPrice 1041
#define kResultsLabelDays 1042
#define kResultsLabelHours 1043
#define kResultsLabelMinutes 1044
#define kResultsLabelLast 1044
#define kLastSearchedLabel 1045
// The notice about warned searches, on the Search List page.
#define kHealthNotice 1050
// Right of the banner, on every page: whether the poller is watching, and the button that
// starts it when it is not.
#define kWatchingLine 1051
#define kStartWatching 1052

// Search editor (template 130).
#define kEditorDescription 1010
#define kEditorUrl 1011
#define kEditorPrice 1012
#define kEditorDays 1013
#define kEditorHours 1014
#define kEditorMinutes 1015

// Search health (template 140).
#define kHealthList 1060

// Bargain history (template 150).
#define kHistoryFilter 1070
#define kHistoryList 1071
#define kHistoryBlock 1072       // the selected row's block: "Blocked until MM/DD/YY"
#define kHistoryAlertAgain 1073  // "Alert me again"
#define kHistoryStatus 1074      // what became of it, or why the list is empty
