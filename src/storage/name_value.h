#pragma once
// NAME=value lines: environment lists, form fields and settings kept one entry per line.
// Names match without regard to case.
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

std::string NamePart(std::string_view line);  // before the first "="; line itself without one
std::string ValuePart(std::string_view line); // after the first "="; line itself without one

// The value of the first line named name; "" when none. Lines without "=" are skipped.
std::string GetValue(const std::vector<std::string>& list, std::string_view name);

// Every line named name is deleted (empty value) or gets the new value behind its own name
// text; when none matched, name=value is appended.
void SetValue(std::vector<std::string>& list, std::string_view name, std::string_view value);

// Each source line holding the separator ("=" when separator is empty) replaces the first
// target line with the same name, or is appended when there is none.
void MergeValues(const std::vector<std::string>& source, std::vector<std::string>& target,
                 std::string_view separator, bool caseSensitive);

// The current process environment, one NAME=value line per variable.
void EnvironmentLines(std::vector<std::string>& list);

} // namespace korvane
