#include "editor/letter_case.h"

#include "editor/utf8_scan.h"
#include "storage/text_utils.h"

#include <QChar>
#include <QString>

namespace korvane {
namespace {

bool EndsSentence(char32_t c) {
    return c == '.' || c == ':' || c == ';' || c == '?';
}

// Upper or lower case of each run of UTF-8 between stray bytes, with Unicode's full mappings.
std::string MapRuns(std::string_view text, bool upper) {
    std::string out;
    out.reserve(text.size());
    size_t at = 0;
    while (at < text.size()) {
        size_t stray = FirstInvalidUtf8(text, at);
        if (stray == std::string_view::npos) stray = text.size();
        if (stray > at) {
            const QString run =
                QString::fromUtf8(text.data() + at, static_cast<qsizetype>(stray - at));
            const QByteArray mapped = (upper ? run.toUpper() : run.toLower()).toUtf8();
            out.append(mapped.constData(), static_cast<size_t>(mapped.size()));
        }
        if (stray < text.size()) out += text[stray];
        at = stray + 1;
    }
    return out;
}

// Title and word case, one character at a time; a stray byte counts as no letter.
std::string MapCharacters(std::string_view text, TCaseChange change) {
    std::string out;
    out.reserve(text.size());
    bool capitalizeNext = true; // title case
    bool inWord = false;        // word case
    char32_t previous = ' ';
    for (size_t at = 0; at < text.size();) {
        const size_t length = Utf8SequenceLength(text, at);
        if (length == 0) {
            out += text[at++];
            inWord = false;
            previous = 0xFFFD;
            continue;
        }
        const char32_t original = DecodeUtf8(text, at, length);
        at += length;
        const bool alnum = QChar::isLetterOrNumber(original);
        char32_t c = original;
        if (change == TCaseChange::Title) {
            if (EndsSentence(original)) {
                capitalizeNext = true;
            } else if (capitalizeNext && alnum) {
                c = QChar::toTitleCase(original);
                capitalizeNext = false;
            } else if (!capitalizeNext && previous != ' ') {
                c = QChar::toLower(original);
            }
        } else if (!alnum) {
            inWord = false;
        } else {
            c = inWord ? QChar::toLower(original) : QChar::toTitleCase(original);
            inWord = true;
        }
        previous = original;
        AppendUtf8(out, c);
    }
    return out;
}

} // namespace

std::string ChangeLetterCase(std::string_view text, TCaseChange change, bool utf8) {
    if (!utf8) {
        switch (change) {
        case TCaseChange::Upper:
            return UpperText(text);
        case TCaseChange::Lower:
            return LowerText(text);
        case TCaseChange::Title:
            return TitleCase(text);
        case TCaseChange::Word:
            return WordCase(text);
        }
    }
    if (change == TCaseChange::Upper || change == TCaseChange::Lower)
        return MapRuns(text, change == TCaseChange::Upper);
    return MapCharacters(text, change);
}

std::string ChangeFirstLetter(std::string_view text, bool upper, bool utf8) {
    if (text.empty()) return {};
    const size_t length = utf8 ? Utf8SequenceLength(text, 0) : 1;
    if (length == 0) return std::string(text);
    std::string out;
    if (utf8) {
        const char32_t c = DecodeUtf8(text, 0, length);
        AppendUtf8(out, upper ? QChar::toTitleCase(c) : QChar::toLower(c));
    } else {
        out = upper ? UpperText(text.substr(0, 1)) : LowerText(text.substr(0, 1));
    }
    out.append(text.substr(length));
    return out;
}

} // namespace korvane
