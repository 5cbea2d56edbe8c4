#include "editor/output_document.h"

#include <gtest/gtest.h>

#include <cstddef>

using korvane::TOutputDocument;

// The room asked for before output is added: the component's own growth for small outputs,
// above that fixed steps, so that adding output in many pieces reallocates the document a
// few times, not at every piece, and never far past what it holds.
TEST(OutputDocument, RoomGrowsInFixedStepsOfAHalf) {
    constexpr size_t MB = size_t(1) << 20;
    EXPECT_EQ(TOutputDocument::RoomStep(0), 0u);
    EXPECT_EQ(TOutputDocument::RoomStep(MB - 1), 0u);
    size_t reallocations = 0;
    size_t room = 0;
    for (size_t bytes = MB; bytes <= 200 * MB; bytes += 64 * 1024) {
        const size_t step = TOutputDocument::RoomStep(bytes);
        ASSERT_GE(step, bytes);
        ASSERT_LE(step, bytes + bytes / 2 + 1) << bytes;
        EXPECT_EQ(TOutputDocument::RoomStep(step), step) << "a full room asks for no more";
        if (step != room) ++reallocations;
        room = step;
    }
    // 3,185 pieces from 1 to 200 MB: a step every time the room is used up by half again.
    EXPECT_LE(reallocations, 15u);
}
