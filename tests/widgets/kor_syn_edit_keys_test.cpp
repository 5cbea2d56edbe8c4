// Typed keys in the editing component: reported once each, after the change, with the lines
// they add or remove, and without the component's own notice of every change, whose
// accessibility hook counts every character from the start of the text.
#include "widgets/kor_syn_edit.h"

#include <gtest/gtest.h>

#include <QAccessible>
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

} // namespace
} // namespace korvane::test
