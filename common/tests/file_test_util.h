// Whole-file helpers for the portable tests (text mode, so they see what the readers see).
#pragma once
#include <string>

std::string ReadText(const std::string& path);   // empty when missing
void WriteText(const std::string& path, const std::string& text);
std::string ReadBinary(const std::string& path);
bool Exists(const std::string& path);
