#include "storage/method_trace.h"

#include "storage/errors.h"
#include "storage/program_log.h"

namespace korvane {

std::unique_ptr<TErrorPath> ErrorPath;

void TErrorPath::Start(std::string_view className, std::string_view methodName) {
    std::string segment = ">";
    if (!className.empty()) segment.append(className).append(":");
    segment.append(methodName);
    Path = " " + Path + segment;
    if (ShouldLog()) WriteLogLine("Start-Method: " + Path);
}

void TErrorPath::End() {
    if (ShouldLog()) WriteLogLine("End-Method  : " + Path);
    const size_t last = Path.rfind('>');
    if (last == std::string::npos) {
        Clear(); // an End without its Start
        return;
    }
    Path = last == 0 ? std::string() : Path.substr(1, last - 1);
}

void TErrorPath::Error(const std::string& message) {
    WriteLogLine("Error: " + (message.empty() ? std::string("???") : message) + " at " + Path);
}

void TErrorPath::ErrorEnd(const std::string& message) {
    Error(message);
    End();
}

void TErrorPath::Clear() {
    if (ShouldLog()) WriteLogLine("Method Path Cleared");
    Path.clear();
}

bool TErrorPath::ShouldLog() const {
    return Enabled && Path.find_first_of(Filter) == std::string::npos;
}

void StartMethodTrace(const std::string& programFolder) {
    ErrorPath = std::make_unique<TErrorPath>();
    ErrorPath->ProgramFolder = programFolder;
}

void StopMethodTrace() {
    ErrorPath.reset();
}

TraceScope::TraceScope(std::string_view className, std::string_view methodName)
    : Trace(ErrorPath.get()), ExceptionsAtEntry(std::uncaught_exceptions()) {
    if (Trace) Trace->Start(className, methodName);
}

TraceScope::TraceScope(const void* object, std::string_view className, std::string_view methodName)
    : TraceScope(object ? className : std::string_view(), methodName) {}

TraceScope::~TraceScope() {
    // The trace may have been freed (or replaced) while this method ran, at program exit.
    if (!Trace || Trace != ErrorPath.get()) return;
    if (std::uncaught_exceptions() > ExceptionsAtEntry)
        Trace->ErrorEnd(InFlightErrorMessage());
    else
        Trace->End();
}

} // namespace korvane
