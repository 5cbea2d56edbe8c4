#pragma once
// Bracket counts of an edited text kept in pieces, so the depth at a position costs a scan of
// one piece and a sum over the pieces before it rather than a scan from the start of the text.
// Edits mark the pieces they touch; those are counted again, from the text, when next asked.
#include <array>
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

namespace korvane {

// The bracket pairs counted: ( ) { } [ ] < >, in this order.
inline constexpr char BracketOpenings[] = "({[<";
inline constexpr char BracketClosings[] = ")}]>";
inline constexpr int BracketPairCount = 4;

class TBracketIndex {
public:
    // The text's bytes [start, start + length); the view need only last until the next call.
    using TReader = std::function<std::string_view(size_t start, size_t length)>;

    // Perl comments: a "#" hides the brackets after it up to the end of its line.
    void SetPerlComments(bool perlComments);
    // The whole text replaced by one of this length.
    void Reset(size_t length);
    // Called as the text changes (before or after, as long as in order).
    void Inserted(size_t position, size_t length);
    void Deleted(size_t position, size_t length);

    size_t Length() const { return TotalLength; }
    // Openings minus closings of one pair in the text's bytes [0, end).
    int Depth(const TReader& read, size_t end, int pair);

    // The largest piece counted in one go: what a query or an edit scans at most.
    static constexpr size_t PieceSize = 16 * 1024;

private:
    // What a piece adds, from the state it is entered in (0: code, 1: inside a comment).
    struct TSummary {
        std::array<int, BracketPairCount> Counts{};
        bool EndsInComment = false;
    };
    struct TPiece {
        size_t Length = 0;
        bool Counted = false;
        std::array<TSummary, 2> From{};
    };

    // Counts piece `index`, which starts at `start`, if an edit touched it (cutting it up when
    // it outgrew PieceSize).
    void Count(const TReader& read, size_t index, size_t start);
    TSummary Scan(std::string_view text, bool inComment) const;

    std::vector<TPiece> Pieces;
    size_t TotalLength = 0;
    bool PerlComments = false;
};

} // namespace korvane
