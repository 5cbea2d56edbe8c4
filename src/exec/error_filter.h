#pragma once
// Turns what a run wrote to its error stream into the lines of the message list: the script's
// file name is cut out (so "at /x/t.pl line 3" reads "at  line 3", which the list jumps from),
// the debugger's closing chatter is dropped, and the lines are framed by start and checkpoint
// times. Each line keeps the object of the console line it came from.
#include "exec/console_controller.h"
#include "exec/console_lines.h"
#include "storage/clock.h"

#include <string>
#include <string_view>
#include <vector>

namespace korvane {

struct TMessageLine {
    std::string Text;
    ConsoleTag Object = nullptr;
    bool operator==(const TMessageLine&) const = default;
};

// One error line as the message list shows it; false when it and every line after it are to
// be dropped.
bool FilterErrorLine(std::string& line, std::string_view scriptFile);

std::vector<TMessageLine> FilterErrorLines(const TConsoleLines& errors, std::string_view scriptFile,
                                           TDateTime startTime, TDateTime now);

// What a message list showing a run's filtered errors changes at a poll: it keeps its first
// Keep lines and adds Added after them.
struct TMessageUpdate {
    size_t Keep = 0;
    std::vector<TMessageLine> Added;
};

// The filtered errors of a run followed as they grow: each poll filters only the error lines
// new since the last (and the last line again when it has grown), so a run writing many
// warnings costs each poll what it added rather than everything so far.
class TRunMessages {
public:
    // The update from the list made by the last one; everything when the error lines were
    // replaced since, or when shownCount (the lines the list has now) is not what the last
    // update left, as when something else filled the list meanwhile.
    TMessageUpdate Update(const TConsoleLines& errors, std::string_view scriptFile,
                          TDateTime startTime, TDateTime now, size_t shownCount);
    // The lines the list holds after the last update.
    size_t ShownCount() const { return Shown; }

private:
    bool Started = false;
    uint64_t Generation = 0;
    size_t Filtered = 0;       // error lines turned into messages (or dropped)
    bool Stopped = false;      // a line ended the messages; the lines after it are dropped
    size_t LastLineLength = 0; // of the last line filtered, when it was
    size_t Shown = 0;
};

// The messages of a PHP syntax check: PHP's verdict on its output, framed by start and end.
// PHP shows the error itself on its output only when its configuration displays errors;
// otherwise the error lines follow, so the error's line is never lost.
std::vector<TMessageLine> PhpSyntaxCheckMessages(const TConsoleLines& output,
                                                 const TConsoleLines& errors, TDateTime startTime,
                                                 TDateTime now);

// The message line that closes a run: when it ended, how, and how long it took.
std::string ProgramEndMessage(const TProgramExit& exit, TDateTime startTime, TDateTime now);

// The module a "Can't locate Foo/Bar.pm in @INC" message names ("Foo::Bar"), so the message
// list can offer to install it; "" for every other line and for files that are no module.
std::string MissingModuleOf(std::string_view text);

// The file a message line names before its " line " ("at /x/Bad.pm line 5", "in /x/a.php on
// line 3"), as written; "" when it names none, as the lines of the run's own script do once
// its name is cut out.
std::string MessageFileName(std::string_view text);

// The line number a message line points at: the digits after " line "; -1 when there are none.
int MessageLineNumber(std::string_view text);

} // namespace korvane
