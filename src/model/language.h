#pragma once
// The language a file is written in, which decides how it is highlighted and which
// interpreter checks and runs it.

namespace korvane {

enum class TLanguage { None, Perl, HTML, PHP, SQL, Batch, General };

} // namespace korvane
