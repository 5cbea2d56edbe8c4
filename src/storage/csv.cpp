#include "storage/csv.h"

#include <algorithm>

namespace korvane {

std::string CsvField(std::string_view line, long n) {
    if (n < 1) return {};
    size_t start = 0;
    for (long field = 1;; ++field) {
        if (start > line.size()) return {}; // the line has fewer fields
        const bool quoted = start < line.size() && line[start] == '"';
        size_t end = quoted ? line.find("\",", start + 1) : line.find(',', start);
        const bool last = end == std::string_view::npos;
        if (field == n) {
            if (!quoted) return std::string(line.substr(start, last ? line.npos : end - start));
            if (!last) return std::string(line.substr(start + 1, end - start - 1));
            std::string_view rest = line.substr(start + 1);
            if (!rest.empty()) rest.remove_suffix(1); // the closing quote
            return std::string(rest);
        }
        if (last) return {};
        start = end + (quoted ? 2 : 1);
    }
}

long CountCsvFields(std::string_view line) {
    if (line.empty()) return 0;
    return 1 + static_cast<long>(std::count(line.begin(), line.end(), ','));
}

} // namespace korvane
