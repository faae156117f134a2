// The bargain test on plain values, before the blocked list is asked.
#pragma once

// True when priceText reads as a number at or below targetPrice and itemMinutes is at or below
// triggerMinutes. price receives the number read (0 when the text is not one).
bool IsBargain(const char* priceText, int itemMinutes, float targetPrice, int triggerMinutes, float& price);
