#include "storage/errors.h"
#include "storage/method_trace.h"
#include "storage/program_log.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace korvane;

namespace {

// Each logged line without its time stamp.
std::vector<std::string> LoggedTexts(const std::string& path) {
    std::vector<std::string> texts;
    std::istringstream in(test::ReadBytes(path));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t stamp = line.find(" : ");
        texts.push_back(stamp == std::string::npos ? line : line.substr(stamp + 3));
    }
    return texts;
}

class MethodTraceTest : public ::testing::Test {
protected:
    void SetUp() override {
        LogFile = Dir.File("trace.log");
        StartMethodTrace(Dir.Path().string());
    }
    void TearDown() override {
        StopMethodTrace();
        LogFile.clear();
    }
    std::vector<std::string> Logged() const { return LoggedTexts(LogFile); }
    test::TempDir Dir;
};

void Inner() {
    KORVANE_TRACE("TKorProject", "Clear");
    throw handledException("disk full");
}

void Outer() {
    KORVANE_TRACE("TKorProject", "LoadFromStream");
    Inner();
}

} // namespace

TEST_F(MethodTraceTest, PathGrowsAndShrinksWithTheChain) {
    TErrorPath& trace = *ErrorPath;
    EXPECT_EQ(trace.ProgramFolder, Dir.Path().string());
    trace.Start("TKorProject", "Create");
    EXPECT_EQ(trace.Path, " >TKorProject:Create");
    trace.End();
    EXPECT_EQ(trace.Path, "");

    trace.Start("TKorProject", "LoadFromStream");
    {
        const int object = 0;
        const TraceScope withObject(&object, "TKorProject", "Clear");
        {
            const TraceScope noObject(nullptr, "TKorProject", "Helper");
            EXPECT_EQ(trace.Path, "   >TKorProject:LoadFromStream>TKorProject:Clear>Helper");
        }
        EXPECT_EQ(trace.Path, "  >TKorProject:LoadFromStream>TKorProject:Clear");
    }
    EXPECT_EQ(trace.Path, " >TKorProject:LoadFromStream");
    trace.End();
    EXPECT_EQ(trace.Path, "");
    EXPECT_TRUE(Logged().empty()); // not enabled: nothing but errors is written
}

TEST_F(MethodTraceTest, EnabledTraceLogsEntriesAndExitsOutsideFilteredHandlers) {
    TErrorPath& trace = *ErrorPath;
    trace.Enabled = true;
    {
        KORVANE_TRACE("TMainForm", "*SaveFileActionUpdate");
        KORVANE_TRACE("TKorProject", "getCurrentPage");
    }
    EXPECT_EQ(trace.Path, "");
    { KORVANE_TRACE("TMainForm", "FormShow"); }
    trace.Filter = "";
    { KORVANE_TRACE("TMainForm", "*Update"); }
    EXPECT_EQ(Logged(), (std::vector<std::string>{
                            "Start-Method:  >TMainForm:FormShow",
                            "End-Method  :  >TMainForm:FormShow",
                            "Start-Method:  >TMainForm:*Update",
                            "End-Method  :  >TMainForm:*Update",
                        }));
}

TEST_F(MethodTraceTest, ExceptionsAreLoggedAtEveryLevelAndTravelOnUnchanged) {
    try {
        Outer();
        FAIL() << "not thrown";
    } catch (const handledException& e) {
        EXPECT_STREQ(e.what(), "disk full");
    }
    EXPECT_EQ(ErrorPath->Path, "");
    EXPECT_EQ(Logged(), (std::vector<std::string>{
                            "Error: disk full at   >TKorProject:LoadFromStream>TKorProject:Clear",
                            "Error: disk full at  >TKorProject:LoadFromStream",
                        }));
}

TEST_F(MethodTraceTest, ForeignExceptionsAndBareErrorsReadAsUnknown) {
    ErrorPath->Start("TDebugForm", "Poll");
    ErrorPath->Error();
    ErrorPath->End();
    try {
        KORVANE_TRACE("TConsoleController", "Run");
        throw std::runtime_error("not ours");
    } catch (const std::runtime_error&) {
    }
    // A handled exception inside a traced method is no error of that method.
    {
        KORVANE_TRACE("TKorProject", "Tolerant");
        try {
            throw handledException("handled inside");
        } catch (const handledException&) {
        }
    }
    EXPECT_EQ(Logged(), (std::vector<std::string>{
                            "Error: ??? at  >TDebugForm:Poll",
                            "Error: ??? at  >TConsoleController:Run",
                        }));
}

TEST_F(MethodTraceTest, UnmatchedEndClearsAndClearLogsWhenAllowed) {
    TErrorPath& trace = *ErrorPath;
    trace.Enabled = true;
    trace.Path = "   ";
    trace.End();
    EXPECT_EQ(trace.Path, "");
    EXPECT_EQ(Logged(), (std::vector<std::string>{"End-Method  :    ", "Method Path Cleared"}));
}

TEST_F(MethodTraceTest, ScopesDoNothingWithoutATrace) {
    StopMethodTrace();
    {
        KORVANE_TRACE("TKorProject", "Destroy");
        StartMethodTrace(
            Dir.Path().string()); // a trace made while a scope is open is left alone by it
    }
    EXPECT_EQ(ErrorPath->Path, "");
    LogFile.clear();
    ErrorPath->Error("nowhere to go");
    EXPECT_FALSE(std::filesystem::exists(Dir.File("trace.log")));
}
