// Control identifiers of the alert dialog (template kAlertDialogId); View Now and View Later
// are IDOK and IDCANCEL, so Enter and Escape act as them.
#pragma once

#define kAlertDescription 1009
#define kAlertId 1010
#define kAlertIdLabel 1012
#define kAlertPrice 1013
#define kAlertPriceLabel 1014
#define kAlertBids 1015
#define kAlertBidsLabel 1016
#define kAlertDays 1017
#define kAlertDaysLabel 1018
#define kAlertHours 1019
#define kAlertHoursLabel 1020
#define kAlertMinutes 1021
#define kAlertMinutesLabel 1022
#define kAlertViewNever 1025
#define kAlertQuestion 1026
