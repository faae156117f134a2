// Rows of the results page: one per item line of the pass log.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "common/pass_log_reader.h"

constexpr std::uint32_t kResultsAlertColor = 0x000000FF;  // RGB(255,0,0)
constexpr std::uint32_t kResultsPlainColor = 0x00010101;  // RGB(1,1,1): not black, on purpose
constexpr int kResultsDescriptionColumnPixels = 390;
constexpr int kResultsTabStop = 4;  // one stop every 4 dialog units

// Appends blanks while the measured width is under minWidth; a text that is already as wide
// or wider is left alone. measure gives a text's width in pixels.
std::string PadToWidth(std::string text, int minWidth, const std::function<int(const std::string&)>& measure);

// "%s\t%s\t%d\t%.2f\t\t%d\t%d\t%d": id, padded description, bids, price, an empty column,
// days, hours, minutes.
std::string FormatResultRow(const LoggedItem& item, const std::string& paddedDescription);

std::uint32_t ResultColor(const LoggedItem& item);
