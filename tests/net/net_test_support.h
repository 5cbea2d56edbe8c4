#pragma once
// Helpers for socket tests: run the event loop until a condition holds.
#include <functional>

namespace korvane::test {

// Processes events until done() is true or timeoutMs passes; returns done().
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000);
// Returns once the event loop has handed out what was pending when it was called: every
// socket that was ready then, and the notices those deliveries posted in turn. Shows that an
// event did not come without guessing how long it might take; false when the loop stalled.
bool DrainEvents();

} // namespace korvane::test
