#pragma once
// Exceptions of the program. Expected failures (a missing file, a bad colour name, a failed
// run) are thrown as handledException and shown to the user with their message alone.
#include <stdexcept>
#include <string>

namespace korvane {

// Base of Korvane's own exceptions. While one is on its way out of traced methods its message
// stays readable through InFlightErrorMessage(), so each trace scope it passes can log it.
class KorvaneError : public std::runtime_error {
public:
    explicit KorvaneError(const std::string& message);
    KorvaneError(const KorvaneError& other);
    KorvaneError& operator=(const KorvaneError& other);
    ~KorvaneError() override;

private:
    unsigned long Serial;
};

class handledException : public KorvaneError {
public:
    using KorvaneError::KorvaneError;
};

// The message of the Korvane exception most recently thrown and not yet destroyed, or "" when
// none is alive (foreign exceptions then read as "").
const std::string& InFlightErrorMessage();

} // namespace korvane
