// What the search editor may store: its six fields checked against the search list format.
#pragma once
#include <string>

#include "common/search_list.h"

struct EditorFields {
  std::string description;
  std::string url;
  std::string days;
  std::string hours;
  std::string minutes;
  std::string price;
};

enum class InputProblem {
  None,
  EmptyField,
  ControlCharacterInDescription,
  LineBreak,
  QuoteInDescription,
  DescriptionTooLong,
  BlankInUrl,
  NumberTooLong,
  NotAWholeNumber,
  DaysTooLarge,  // beyond a signed 32-bit integer, the most the list's readers take
  HoursTooLarge,
  MinutesTooLarge,
  NotAPrice,
  LineTooLong,
};

bool HasEmptyField(const EditorFields& fields);
// A byte 0x01 to 0x1F or 0x7F: a tab splits the list's columns, a Ctrl-Z ends a text-mode read
// of the pass log that logs the description.
bool HasControlCharacter(const std::string& text);
// The first reason why the fields cannot be stored as a readable line, or None.
InputProblem CheckSearchInput(const EditorFields& fields);
// The message the editor shows for a problem (caption "Error"); null for None.
const char* InputProblemMessage(InputProblem problem);
// "The search list <path> could not be <what>.": what is "read" or "written".
std::string SearchListFileMessage(const char* listPath, const char* what);
// The fields as the file operations take them; only for input that passed the check.
SearchTexts ToSearchTexts(const EditorFields& fields);
