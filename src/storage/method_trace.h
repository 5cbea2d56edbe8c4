#pragma once
// The method trace: the chain of traced methods now running. An exception that passes
// through a traced method is logged with the chain at that moment; during a chosen time
// window every entry and exit is logged as well.
#include <exception>
#include <memory>
#include <string>
#include <string_view>

namespace korvane {

class TErrorPath {
public:
    // One leading blank per running method, then ">Class:Method" segments, outermost first.
    std::string Path;
    // Entry and exit lines are written only while Enabled is on ...
    bool Enabled = false;
    // ... and no character of Filter occurs in Path ("*" keeps update handlers out).
    std::string Filter = "*";
    // The program folder, recorded when the trace starts with the program.
    std::string ProgramFolder;

    // className may be empty for a method that belongs to no object.
    void Start(std::string_view className, std::string_view methodName);
    void End();
    // Logs "Error: " + message + " at " + Path whatever Enabled says; "???" for no message.
    void Error(const std::string& message = {});
    void ErrorEnd(const std::string& message = {});
    void Clear();
    bool ShouldLog() const;
};

// The one trace of the program, alive between StartMethodTrace and StopMethodTrace, which
// the program calls first thing at start-up and last thing at exit.
extern std::unique_ptr<TErrorPath> ErrorPath;
void StartMethodTrace(const std::string& programFolder);
void StopMethodTrace();

// Traces the enclosing method: Start on construction, End on a normal exit, ErrorEnd with
// the message of the Korvane exception in flight when one leaves the scope (the exception
// then travels on unchanged). Does nothing while there is no ErrorPath.
class TraceScope {
public:
    TraceScope(std::string_view className, std::string_view methodName);
    // For a method of object; a null object traces methodName alone.
    TraceScope(const void* object, std::string_view className, std::string_view methodName);
    ~TraceScope();
    TraceScope(const TraceScope&) = delete;
    TraceScope& operator=(const TraceScope&) = delete;

private:
    TErrorPath* Trace;
    int ExceptionsAtEntry;
};

} // namespace korvane

// KORVANE_TRACE("TKorProject", "LoadFromStream"); at the top of a traced method.
#define KORVANE_TRACE_NAME2(line) korvaneTraceScope##line
#define KORVANE_TRACE_NAME(line) KORVANE_TRACE_NAME2(line)
#define KORVANE_TRACE(className, methodName)                                                       \
    const ::korvane::TraceScope KORVANE_TRACE_NAME(__LINE__)((className), (methodName))
