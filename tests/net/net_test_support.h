#pragma once
// Helpers for socket tests: run the event loop until a condition holds.
#include <functional>

namespace korvane::test {

// Processes events until done() is true or timeoutMs passes; returns done().
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000);
// Processes events for the given time (to show that something does not happen).
void Settle(int ms);

} // namespace korvane::test
