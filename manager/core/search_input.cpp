// Editor input checks: every stored line must read back as the search that was typed.
#include "manager/core/search_input.h"

#include <cstring>

#include "common/text_scan.h"

namespace {

constexpr std::size_t kLongestLine = kSearchLineSize - 2;  // 1022 bytes before the line end

bool AllDigits(const std::string& text) { return text.find_first_not_of("0123456789") == std::string::npos; }

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
  for (const std::string* number : {&f.days, &f.hours, &f.minutes})
    if (!AllDigits(*number)) return InputProblem::NotAWholeNumber;
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
