#include "storage/errors.h"

namespace korvane {
namespace {
std::string inFlightMessage;
unsigned long inFlightSerial = 0;
unsigned long nextSerial = 0;
} // namespace

KorvaneError::KorvaneError(const std::string& message)
    : std::runtime_error(message), Serial(++nextSerial) {
    inFlightMessage = message;
    inFlightSerial = Serial;
}

KorvaneError::KorvaneError(const KorvaneError& other) = default;
KorvaneError& KorvaneError::operator=(const KorvaneError& other) = default;

KorvaneError::~KorvaneError() {
    // Copies share the serial; the message is dropped when the first of them goes, which is
    // when the handler that caught it by reference finishes.
    if (Serial == inFlightSerial) {
        inFlightMessage.clear();
        inFlightSerial = 0;
    }
}

const std::string& InFlightErrorMessage() {
    return inFlightMessage;
}

} // namespace korvane
