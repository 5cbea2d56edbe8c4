#pragma once
// Failures of the block compressor. They are expected failures: shown with their message alone.
#include "storage/errors.h"

namespace korvane {

class ELzrw1Exception : public handledException {
public:
    using handledException::handledException;
};

// The fast engine's own allocation failure.
class ELzrw1KHCompressor : public ELzrw1Exception {
public:
    using ELzrw1Exception::ELzrw1Exception;
};

// The LZHUF engine's own allocation failure.
class ElzhException : public ELzrw1Exception {
public:
    using ELzrw1Exception::ELzrw1Exception;
};

} // namespace korvane
