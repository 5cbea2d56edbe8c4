#include "editor/color_dialog.h"
#include "editor/colour_choice.h"
#include "widgets/kor_syn_edit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <gtest/gtest.h>

namespace korvane::test {
namespace {

constexpr TColor Red = 0x0000FF;
constexpr TColor Navy = 0x800000;

// What the dialog starts from, and what it reads a typed text as.
TEST(ColourChoice, ReadsDigitsThenNamesAndKeepsThePreviewOnNonsense) {
    struct Case {
        const char* Start;
        const char* Typed; // then typed into the box; nullptr for nothing
        TColor Preview;
        bool UseName;
        const char* Result;
    };
    const Case cases[] = {
        {"#FF0000", nullptr, Red, false, "#FF0000"},
        {"Red", nullptr, Red, true, "red"},
        {"000080", nullptr, Navy, false, "#000080"},
        // A name that is also hex digits is read as digits first.
        {"#000080", "beaded", 0xEDADBE, false, "#BEADED"},
        {"#FF0000", "no such colour", Red, false, "#FF0000"},
        {"navy", "#12", Navy, true, "navy"},
        {"#FF0000", "#ABCDEF", 0xEFCDAB, false, "#ABCDEF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Start);
        TColourChoice choice;
        choice.Start(c.Start);
        if (c.Typed) choice.SetText(c.Typed);
        EXPECT_EQ(choice.Preview(), c.Preview);
        EXPECT_EQ(choice.UseName(), c.UseName);
        EXPECT_EQ(choice.Result(), c.Result);
    }
}

// The word at the caret is taken with a "#" right before it, and nothing else before it.
TEST(ColourChoice, SelectsTheColourWordAtTheCaret) {
    struct Case {
        const char* Text;
        long Caret;
        long Anchor; // -1: nothing selected
        const char* Selected;
    };
    const Case cases[] = {
        {"bgcolor=\"#FF0000\">", 12, -1, "#FF0000"},
        {"FF0000 x", 2, -1, "FF0000"}, // at the very start there is nothing before the word
        {"a=red;", 3, -1, "red"},
        {"x #abc", 6, -1, "#abc"},
        {"#FF0000 blue", 12, 8, "blue"}, // a selection is kept as it is
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        TKorSynEdit editor;
        editor.SetRawText(c.Text);
        editor.SendScintilla(QsciScintillaBase::SCI_SETSEL,
                             static_cast<unsigned long>(c.Anchor < 0 ? c.Caret : c.Anchor),
                             c.Caret);
        EXPECT_EQ(SelectColourAtCaret(editor), c.Selected);
    }
}

TEST(ColourChoice, DialogFollowsTheBoxTheTickAndThePalette) {
    TKorSynEdit editor;
    editor.SetRawText("<body bgcolor=\"#FF0000\">");
    editor.SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 18UL);
    TColorDialog dialog;
    dialog.Start(SelectColourAtCaret(editor));
    EXPECT_EQ(dialog.windowTitle(), "Choose a Colo(u)r");
    EXPECT_EQ(dialog.ColourBox->count(), HtmlColourNameCount());
    EXPECT_EQ(dialog.ColourBox->currentText(), "#FF0000");
    EXPECT_FALSE(dialog.UseName->isChecked());
    EXPECT_EQ(dialog.Choice().Preview(), Red);

    dialog.UseName->click();
    EXPECT_EQ(dialog.ColourBox->currentText(), "red");

    dialog.PickColour = [](TColor from) -> std::optional<TColor> {
        EXPECT_EQ(from, Red);
        return Navy;
    };
    dialog.PickButton->click();
    EXPECT_EQ(dialog.ColourBox->currentText(), "navy");
    dialog.PickColour = [](TColor) -> std::optional<TColor> { return std::nullopt; };
    dialog.PickButton->click(); // cancelled: nothing changes
    EXPECT_EQ(dialog.ColourBox->currentText(), "navy");

    dialog.ColourBox->setEditText("#00FF00");
    EXPECT_EQ(dialog.Choice().Preview(), 0x00FF00u);
    dialog.UseName->click(); // off again: the name turns into digits
    EXPECT_EQ(dialog.ColourBox->currentText(), "#00FF00");
    EXPECT_EQ(dialog.Choice().Result(), "#00FF00");
}

} // namespace
} // namespace korvane::test
