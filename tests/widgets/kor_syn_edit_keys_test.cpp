// Typed keys in the editing component: reported once each, after the change, with the lines
// they add or remove, and without the component's own notice of every change, whose
// accessibility hook counts every character from the start of the text.
#include "widgets/kor_syn_edit.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QScrollBar>
#include <QTest>

#include <string>
#include <utility>
#include <vector>

namespace korvane::test {
namespace {

TEST(KorSynEditKeys, TypedKeysAreReportedAfterTheirChange) {
    if (QAccessible::isActive())
        GTEST_SKIP() << "assistive technology is on: keys go the usual way";
    TKorSynEdit edit;
    edit.SetRawText("line one\r\nline two\r\n");
    edit.show();
    int engineNotices = 0;
    QObject::connect(&edit, &QsciScintillaBase::SCN_MODIFIED, &edit,
                     [&](int, int type, const char*, int, int, int, int, int, int, int) {
                         if (type & (QsciScintillaBase::SC_MOD_INSERTTEXT |
                                     QsciScintillaBase::SC_MOD_DELETETEXT))
                             ++engineNotices;
                     });
    std::vector<std::string> editedTexts;
    QObject::connect(&edit, &TKorSynEdit::TextEdited, &edit,
                     [&] { editedTexts.push_back(edit.RawText()); });
    std::vector<std::pair<int, int>> lineChanges; // first line, lines added
    QObject::connect(&edit, &TKorSynEdit::LinesInserted, &edit,
                     [&](int first, int count) { lineChanges.emplace_back(first, count); });
    QObject::connect(&edit, &TKorSynEdit::LinesDeleted, &edit,
                     [&](int first, int count) { lineChanges.emplace_back(first, -count); });

    edit.SetCaret(9, 1); // the end of line one
    QTest::keyClick(&edit, Qt::Key_Return);
    ASSERT_EQ(editedTexts.size(), 1u);
    EXPECT_EQ(editedTexts.back(), "line one\r\n\r\nline two\r\n") << "reported after the change";
    EXPECT_EQ(lineChanges, (std::vector<std::pair<int, int>>{{2, 1}}));

    QTest::keyClicks(&edit, "ab");
    ASSERT_EQ(editedTexts.size(), 3u) << "one report a key";
    EXPECT_EQ(editedTexts.back(), "line one\r\nab\r\nline two\r\n");

    QTest::keyClick(&edit, Qt::Key_Left);
    QTest::keyClick(&edit, Qt::Key_End);
    EXPECT_EQ(editedTexts.size(), 3u) << "keys that change nothing report nothing";

    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(editedTexts.back(), "line one\r\nline two\r\n");
    ASSERT_EQ(lineChanges.size(), 2u);
    EXPECT_EQ(lineChanges.back(), (std::pair<int, int>{2, -1}));
    EXPECT_EQ(engineNotices, 0) << "the component's own notice of each change was sent";
}

// A loaded text reaches the component without the notice that hands the accessibility layer a
// copy of all of it (a large file spent a quarter of its opening there); the page hears of
// the change once and of no lines moving, as before.
TEST(KorSynEditKeys, ALoadedTextIsTakenQuietly) {
    if (QAccessible::isActive()) GTEST_SKIP() << "assistive technology is on: it is told";
    TKorSynEdit edit;
    int engineNotices = 0;
    QObject::connect(&edit, &QsciScintillaBase::SCN_MODIFIED, &edit,
                     [&](int, int type, const char*, int, int, int, int, int, int, int) {
                         if (type & QsciScintillaBase::SC_MOD_INSERTTEXT) ++engineNotices;
                     });
    int edits = 0;
    QObject::connect(&edit, &TKorSynEdit::TextEdited, &edit, [&] { ++edits; });
    int lineChanges = 0;
    QObject::connect(&edit, &TKorSynEdit::LinesInserted, &edit, [&] { ++lineChanges; });
    QObject::connect(&edit, &TKorSynEdit::LinesDeleted, &edit, [&] { ++lineChanges; });
    edit.SetRawText("one\r\ntwo\r\n");
    edit.SetRawText("three\r\nfour\r\nfive\r\n");
    EXPECT_EQ(edit.RawText(), "three\r\nfour\r\nfive\r\n");
    EXPECT_EQ(edit.LineCount(), 4);
    EXPECT_FALSE(edit.Modified());
    EXPECT_EQ(engineNotices, 0);
    EXPECT_EQ(edits, 2);
    EXPECT_EQ(lineChanges, 0);
}

// Typing past the widest line widens what can be scrolled in steps, so the horizontal scroll
// bar is not given a new range (and drawn again) at every key.
TEST(KorSynEditKeys, ALineTypedPastTheWidestWidensTheScrollRangeInSteps) {
    TKorSynEdit edit;
    edit.resize(320, 200);
    edit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    edit.SetRawText("short\r\n");
    QScrollBar* bar = edit.horizontalScrollBar();
    int ranges = 0;
    QObject::connect(bar, &QScrollBar::rangeChanged, &edit, [&] { ++ranges; });
    const auto typeAndPaint = [&](int keys) {
        for (int i = 0; i < keys; ++i) {
            QTest::keyClick(&edit, Qt::Key_X);
            edit.viewport()->repaint();
        }
    };
    edit.SetCaret(6, 1);
    typeAndPaint(500);
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_LE(ranges, 8) << "a new range at every few keys past the widest line";
    // The room given reaches past the line, so its end can be brought into view.
    QTest::keyClick(&edit, Qt::Key_End);
    edit.viewport()->repaint();
    EXPECT_GT(bar->value(), 0);
}

} // namespace
} // namespace korvane::test
