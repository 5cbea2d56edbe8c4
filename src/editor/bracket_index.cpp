#include "editor/bracket_index.h"

#include <algorithm>

namespace korvane {
namespace {

// The pair a byte opens (+1) or closes (-1), as a table so a scan is one look-up a byte.
struct TBracketTable {
    std::array<signed char, 256> Pair{};
    std::array<signed char, 256> Step{};
    TBracketTable() {
        Pair.fill(-1);
        for (int pair = 0; pair < BracketPairCount; ++pair) {
            Pair[static_cast<unsigned char>(BracketOpenings[pair])] =
                static_cast<signed char>(pair);
            Step[static_cast<unsigned char>(BracketOpenings[pair])] = 1;
            Pair[static_cast<unsigned char>(BracketClosings[pair])] =
                static_cast<signed char>(pair);
            Step[static_cast<unsigned char>(BracketClosings[pair])] = -1;
        }
    }
};

const TBracketTable& Brackets() {
    static const TBracketTable table;
    return table;
}

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

} // namespace

void TBracketIndex::SetPerlComments(bool perlComments) {
    if (perlComments == PerlComments) return;
    PerlComments = perlComments;
    Reset(TotalLength);
}

void TBracketIndex::Reset(size_t length) {
    Pieces.clear();
    TotalLength = length;
    if (length > 0) Pieces.push_back({length, false, {}});
}

void TBracketIndex::Inserted(size_t position, size_t length) {
    if (length == 0) return;
    position = std::min(position, TotalLength);
    TotalLength += length;
    size_t start = 0;
    for (TPiece& piece : Pieces) {
        // Text inserted where two pieces meet goes to the earlier one.
        if (position <= start + piece.Length) {
            piece.Length += length;
            piece.Counted = false;
            return;
        }
        start += piece.Length;
    }
    Pieces.push_back({length, false, {}});
}

void TBracketIndex::Deleted(size_t position, size_t length) {
    position = std::min(position, TotalLength);
    length = std::min(length, TotalLength - position);
    if (length == 0) return;
    TotalLength -= length;
    const size_t end = position + length;
    size_t start = 0;
    for (TPiece& piece : Pieces) {
        const size_t pieceEnd = start + piece.Length;
        const size_t from = std::max(start, position);
        const size_t to = std::min(pieceEnd, end);
        if (from < to) {
            piece.Length -= to - from;
            piece.Counted = false;
        }
        start = pieceEnd;
        if (start >= end) break;
    }
    std::erase_if(Pieces, [](const TPiece& piece) { return piece.Length == 0; });
}

TBracketIndex::TSummary TBracketIndex::Scan(std::string_view text, bool inComment) const {
    const TBracketTable& table = Brackets();
    TSummary summary;
    for (const char c : text) {
        if (inComment) {
            inComment = !IsLineEnd(c);
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        const int pair = table.Pair[byte];
        if (pair >= 0)
            summary.Counts[static_cast<size_t>(pair)] += table.Step[byte];
        else if (c == '#' && PerlComments)
            inComment = true;
    }
    summary.EndsInComment = inComment;
    return summary;
}

void TBracketIndex::Count(const TReader& read, size_t index, size_t start) {
    if (Pieces[index].Counted) return;
    // A piece grown past twice the size is cut into pieces of the size.
    const size_t length = Pieces[index].Length;
    std::vector<TPiece> cut;
    const size_t step = length > 2 * PieceSize ? PieceSize : length;
    for (size_t at = 0; at < length; at += step) {
        const size_t size = std::min(step, length - at);
        const std::string_view text = read(start + at, size);
        TPiece& piece = cut.emplace_back(TPiece{size, true, {}});
        piece.From[0] = Scan(text, false);
        piece.From[1] = Scan(text, true);
    }
    Pieces.erase(Pieces.begin() + static_cast<std::ptrdiff_t>(index));
    Pieces.insert(Pieces.begin() + static_cast<std::ptrdiff_t>(index), cut.begin(), cut.end());
}

int TBracketIndex::Depth(const TReader& read, size_t end, int pair) {
    end = std::min(end, TotalLength);
    int depth = 0;
    bool inComment = false;
    size_t start = 0;
    for (size_t i = 0; i < Pieces.size() && start < end; ++i) {
        Count(read, i, start);
        const TPiece& piece = Pieces[i];
        if (start + piece.Length > end) {
            // The piece holding the end is scanned up to it.
            depth += Scan(read(start, end - start), inComment).Counts[static_cast<size_t>(pair)];
            break;
        }
        const TSummary& summary = piece.From[inComment ? 1 : 0];
        depth += summary.Counts[static_cast<size_t>(pair)];
        inComment = summary.EndsInComment;
        start += piece.Length;
    }
    return depth;
}

} // namespace korvane
