#include "model/file_types.h"
#include "model/highlight_schemes.h"
#include "storage/byte_stream.h"
#include "storage/section_list.h"

#include <gtest/gtest.h>

namespace korvane::test {
namespace {

// The tables are read and written through the one program-wide container.
class ModelTest : public ::testing::Test {
protected:
    ModelTest() { CreateSectionList(); }
    ~ModelTest() override { FreeSectionList(); }
};

// Round trip of one block through the container.
template <typename Save, typename Load> void ThroughStream(Save save, Load load) {
    TMemoryStream bytes;
    {
        TSectionListUse use(SectionList(), bytes, false);
        save(SectionList());
    }
    bytes.Seek(0);
    TSectionListUse use(SectionList(), bytes, true);
    load(SectionList());
}

TEST_F(ModelTest, FileTypeLookupIgnoresDotAndCase) {
    TFileTypeList types;
    types.MakeDefault();
    ASSERT_EQ(types.Count(), 20);
    ASSERT_NE(types.Find(".HTML"), nullptr);
    EXPECT_EQ(types.Find(".HTML")->Description, "HTML (web page) File");
    EXPECT_EQ(types.Find("htm"), types.Find("html"));
    EXPECT_EQ(types.Find(""), nullptr);
    EXPECT_EQ(types.Find("."), nullptr);
    EXPECT_EQ(types.Find("ht"), nullptr) << "whole extensions only";
    EXPECT_EQ(types.Entries().back().Description, "SQR Source File");
}

TEST_F(ModelTest, CoreTypesAreAddedOrMadeEditable) {
    TFileTypeList types;
    EXPECT_TRUE(types.IsEmpty());
    EXPECT_TRUE(types.EnsureCoreTypes());
    EXPECT_EQ(types.Count(), 7);
    EXPECT_EQ(types.Find("htm")->Extensions, "htm,html");
    EXPECT_FALSE(types.EnsureCoreTypes()) << "nothing left to change";

    types.Find("php")->Editable = false;
    types.Find("php")->AsciiTransfer = false;
    EXPECT_TRUE(types.EnsureCoreTypes());
    EXPECT_TRUE(types.Find("php")->Editable);
    EXPECT_FALSE(types.Find("php")->AsciiTransfer) << "only the editable mark is forced";
}

TEST_F(ModelTest, FileTypeTableRoundTripsAndAnEmptyOneBecomesTheDefault) {
    TFileTypeList types;
    types.Add({"Image", "png,gif", false, false});
    types.InsertAfter(types.Entries().front(), {"Perl", "pl", true, true});
    TFileTypeList loaded;
    ThroughStream([&](TSectionList& s) { types.SaveToStream(s); },
                  [&](TSectionList& s) { loaded.LoadFromStream(s); });
    EXPECT_TRUE(loaded == types);
    EXPECT_EQ(loaded.Entries().back().Description, "Perl");

    // One stored record with empty texts counts as no table at all.
    TFileTypeList placeholder;
    ThroughStream(
        [&](TSectionList& s) {
            s.BeginSection("File Types");
            s.WriteInt(1);
            s.BeginSection("File Type");
            s.WriteStr("");
            s.WriteStr("");
            s.EndSection();
            s.EndSection();
        },
        [&](TSectionList& s) { placeholder.LoadFromStream(s); });
    EXPECT_EQ(placeholder.Count(), 20);
}

TEST_F(ModelTest, SchemeSettersMarkChangesAndEqualsIgnoresTheName) {
    TAttribDetails scheme(THighlighterKind::Perl);
    TAttribDetails copy(THighlighterKind::Perl);
    copy.Assign(scheme);
    copy.SetModified(false);

    copy.SetName("Renamed");
    EXPECT_TRUE(copy.Modified());
    EXPECT_TRUE(copy.Equals(scheme));

    copy.SetApplied(true);
    copy.SetFontName("COURIER NEW");
    EXPECT_FALSE(copy.Applied()) << "a change must reach the editors again";
    EXPECT_TRUE(copy.Equals(scheme)) << "font names compare without case";

    THighlightAttribute comments = copy.Attribute(aiComments);
    comments.Style ^= fsStrikeOut;
    copy.SetAttribute(aiComments, comments);
    EXPECT_FALSE(copy.Equals(scheme));
}

TEST_F(ModelTest, SchemeRecordsRoundTripAndOldRecordsKeepTheFontDefaults) {
    TAttribDetails php(THighlighterKind::PHP, PhpHighlighterTag);
    php.SetAttribute(aiStrings, {0x0000FF, 0x00FFFF, fsItalic | fsBold});
    php.SetEditorColor(0x101010);
    php.SetFontName("DejaVu Sans Mono");
    php.SetFontSize(13);
    php.SetName("Night");
    TAttribDetails loaded(THighlighterKind::PHP, PhpHighlighterTag);
    ThroughStream([&](TSectionList& s) { php.SaveToStream(s); },
                  [&](TSectionList& s) { loaded.LoadFromStream(s); });
    EXPECT_TRUE(loaded.Equals(php));
    EXPECT_EQ(loaded.Name(), "Night");
    EXPECT_FALSE(loaded.Modified());

    // A record of an older build: attributes without backgrounds, no font fields.
    TAttribDetails old(THighlighterKind::SQL);
    ThroughStream(
        [&](TSectionList& s) {
            s.BeginSection("Attributes for SynSQLSyn");
            for (const char* name : AttributeNames) {
                s.BeginSection(name);
                s.WriteInt(0x00AA00);
                s.EndSection();
            }
            s.WriteInt(0x0000EE);
            s.WriteStr("Old");
            s.EndSection();
        },
        [&](TSectionList& s) { old.LoadFromStream(s); });
    EXPECT_EQ(old.Attribute(aiKeywords).Foreground, 0x00AA00u);
    EXPECT_EQ(old.Attribute(aiKeywords).Background, clWhite);
    EXPECT_EQ(old.EditorColor(), 0x0000EEu);
    EXPECT_EQ(old.FontName(), "Courier New");
    EXPECT_EQ(old.FontSize(), 10);

    // Records of one kind are not read into a scheme of another.
    TAttribDetails perl(THighlighterKind::Perl);
    ThroughStream([&](TSectionList& s) { php.SaveToStream(s); },
                  [&](TSectionList& s) { perl.LoadFromStream(s); });
    EXPECT_EQ(perl.Name(), "");
}

TEST_F(ModelTest, NamedSchemeListFindsRemovesAndCopiesDeeply) {
    TAttribList list;
    list.Add(std::make_unique<TAttribDetails>()).SetName("Day");
    list.Add(std::make_unique<TAttribDetails>()).SetName("Night");
    ASSERT_NE(list.byName("NIGHT"), nullptr);
    EXPECT_EQ(list.ToStrings()[1].first, "Night");

    TAttribList copy;
    copy.Assign(list);
    copy.byName("day")->SetFontSize(20);
    EXPECT_EQ(list.byName("day")->FontSize(), 10) << "the copy owns its own schemes";

    EXPECT_TRUE(list.Remove(list.byName("Day")));
    EXPECT_FALSE(list.Remove(copy.byName("Night")));
    EXPECT_EQ(list.Count(), 1);

    TAttribList loaded;
    loaded.Add(std::make_unique<TAttribDetails>()).SetName("stale");
    ThroughStream([&](TSectionList& s) { copy.SaveToStream(s); },
                  [&](TSectionList& s) { loaded.LoadFromStream(s); });
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_EQ(loaded.byName("stale"), nullptr);
    EXPECT_EQ(loaded.byName("Day")->FontSize(), 20);
}

} // namespace
} // namespace korvane::test

namespace korvane::test {
namespace {

// A damaged count with no records behind it: the tables stop at the first record that is not
// there instead of filling memory with billions of empty ones.
TEST_F(ModelTest, HugeRecordCountsWithoutRecordsEndTheTableLoad) {
    const auto hugeCount = [](const char* section) {
        return [section](TSectionList& stream) {
            stream.BeginSection(section);
            stream.WriteInt(2'000'000'000);
            stream.WriteInt(12345); // not a record
            stream.EndSection();
        };
    };
    TFileTypeList types;
    ThroughStream(hugeCount("File Types"),
                  [&](TSectionList& stream) { types.LoadFromStream(stream); });
    EXPECT_EQ(types.Count(), 20) << "an empty table falls back to the defaults";

    TAttribList schemes;
    ThroughStream(hugeCount("Schemes"),
                  [&](TSectionList& stream) { schemes.LoadFromStream(stream); });
    EXPECT_EQ(schemes.Count(), 0);
}

} // namespace
} // namespace korvane::test
