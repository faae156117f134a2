// Editor input checks: every stored line must read back as the search that was typed.
#include "manager/core/search_input.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "common/text_scan.h"

namespace {

constexpr std::size_t kLongestLine = kSearchLineSize - 2;  // 1022 bytes before the line end

bool AllDigits(const std::string& text) { return text.find_first_not_of("0123456789") == std::string::npos; }

// Digits only: at most 2147483647 after any leading zeros, the most a signed 32-bit integer
// holds and so the most the list's readers take.
bool FitsTheFormat(const std::string& digits) {
  constexpr std::string_view kLargest = "2147483647";
  std::string_view value(digits);
  value.remove_prefix(std::min(value.find_first_not_of('0'), value.size()));
  return value.size() < kLargest.size() || (value.size() == kLargest.size() && value <= kLargest);
}

// Digits with at most one point and at least one digit: 150, 12.50, .5
bool IsPrice(const std::string& text) {
  if (text.find_first_not_of("0123456789.") != std::string::npos) return false;
  if (text.find('.') != text.rfind('.')) return false;
  return text.find_first_of("0123456789") != std::string::npos;
}

}  // namespace

bool HasEmptyField(const EditorFields& f) {
  for (const std::string* field : {&f.description, &f.url, &f.days, &f.hours, &f.minutes, &f.price})
    if (field->empty()) return true;
  return false;
}

bool HasControlCharacter(const std::string& text) {
  for (unsigned char c : text)
    if ((c >= 0x01 && c <= 0x1F) || c == 0x7F) return true;
  return false;
}

InputProblem CheckSearchInput(const EditorFields& f) {
  const std::string* fields[] = {&f.description, &f.url, &f.days, &f.hours, &f.minutes, &f.price};
  for (const std::string* field : fields)
    if (field->empty()) return InputProblem::EmptyField;
  if (HasControlCharacter(f.description)) return InputProblem::ControlCharacterInDescription;
  for (const std::string* field : fields)
    if (field->find_first_of("\r\n") != std::string::npos || std::strlen(field->c_str()) != field->size())
      return InputProblem::LineBreak;
  if (f.description.find('"') != std::string::npos) return InputProblem::QuoteInDescription;
  if (f.description.size() >= kSearchDescriptionSize) return InputProblem::DescriptionTooLong;
  if (f.url.find_first_of(" \t\v\f") != std::string::npos) return InputProblem::BlankInUrl;
  for (const std::string* number : {&f.days, &f.hours, &f.minutes, &f.price})
    if (number->size() >= kSearchNumberTextSize) return InputProblem::NumberTooLong;
  const struct {
    const std::string* text;
    InputProblem tooLarge;
  } wholeNumbers[] = {{&f.days, InputProblem::DaysTooLarge},
                      {&f.hours, InputProblem::HoursTooLarge},
                      {&f.minutes, InputProblem::MinutesTooLarge}};
  for (const auto& number : wholeNumbers)
    if (!AllDigits(*number.text)) return InputProblem::NotAWholeNumber;
  for (const auto& number : wholeNumbers)
    if (!FitsTheFormat(*number.text)) return number.tooLarge;
  if (!IsPrice(f.price)) return InputProblem::NotAPrice;
  // Quotes, the description, five separators and the five other fields.
  const std::size_t length = 2 + f.description.size() + 5 + f.url.size() + f.days.size() + f.hours.size() +
                             f.minutes.size() + f.price.size();
  if (length > kLongestLine) return InputProblem::LineTooLong;
  return InputProblem::None;
}

const char* InputProblemMessage(InputProblem problem) {
  switch (problem) {
    case InputProblem::None:
      return nullptr;
    case InputProblem::EmptyField:
      return "Every field must be filled in. The search was not saved.";
    case InputProblem::ControlCharacterInDescription:
      return "The description cannot contain control characters or tabs.";
    case InputProblem::LineBreak:
      return "A field cannot hold a line break. The search was not saved.";
    case InputProblem::QuoteInDescription:
      return "The description cannot contain a double quote (\"). The search was not saved.";
    case InputProblem::DescriptionTooLong:
      return "The description is longer than 127 characters. The search was not saved.";
    case InputProblem::BlankInUrl:
      return "The rUre URL cannot contain blanks. The search was not saved.";
    case InputProblem::NumberTooLong:
      return "A number is longer than 31 characters. The search was not saved.";
    case InputProblem::NotAWholeNumber:
      return "Days, hours and minutes must be whole numbers. The search was not saved.";
    case InputProblem::DaysTooLarge:
      return "Days cannot be larger than 2147483647. The search was not saved.";
    case InputProblem::HoursTooLarge:
      return "Hours cannot be larger than 2147483647. The search was not saved.";
    case InputProblem::MinutesTooLarge:
      return "Minutes cannot be larger than 2147483647. The search was not saved.";
    case InputProblem::NotAPrice:
      return "The price must be a number such as 12 or 12.50. The search was not saved.";
    case InputProblem::LineTooLong:
      return "The search is longer than 1022 characters; shorten the rUre URL. The search was not saved.";
  }
  return nullptr;
}

SearchTexts ToSearchTexts(const EditorFields& f) {
  SearchTexts texts{};
  CopyText(texts.description, sizeof texts.description, f.description.data(), f.description.size());
  CopyText(texts.url, sizeof texts.url, f.url.data(), f.url.size());
  CopyText(texts.days, sizeof texts.days, f.days.data(), f.days.size());
  CopyText(texts.hours, sizeof texts.hours, f.hours.data(), f.hours.size());
  CopyText(texts.minutes, sizeof texts.minutes, f.minutes.data(), f.minutes.size());
  CopyText(texts.price, sizeof texts.price, f.price.data(), f.price.size());
  return texts;
}

std::string SearchListFileMessage(const char* listPath, const char* what) {
  return std::string("The search list ") + listPath + " could not be " + what + ".";
}
