#pragma once
// Fields of one comma-separated line, as written by the tools whose output is read back.
#include <string>
#include <string_view>

namespace korvane {

// The n-th field (from 1), "" when the line has fewer. A field that starts with a double
// quote runs to the next quote followed by a comma and loses its quotes; a quoted last field
// loses its final character. Nothing else is unescaped.
std::string CsvField(std::string_view line, long n);

// 0 for an empty line, otherwise 1 + the number of commas.
long CountCsvFields(std::string_view line);

} // namespace korvane
