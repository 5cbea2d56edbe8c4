#include "editor/styled_text.h"
#include "editor_fixture.h"

#include <QFile>

namespace korvane::test {
namespace {

// A small Perl page with every character the exporters must escape.
constexpr const char* PerlPage = "#!/usr/bin/perl\n"
                                 "# say <hi> & \"bye\"\n"
                                 "my $path = 'C:\\temp\\{x}';\n"
                                 "print \"caf\xC3\xA9 \xE2\x82\xAC\\n\";\n";

std::string Golden(const std::string& name) {
    return ReadBytes(std::string(KORVANE_SOURCE_DIR) + "/tests/editor/golden/" + name);
}

TEST_F(EditorTest, HtmlExportOfAPerlPageMatchesTheGoldenFile) {
    WriteBytes(Dir.File("export.pl"), PerlPage);
    TEditorPage& page = Open(Dir.File("export.pl"));
    const std::string html = ExportToHtml(StyledTextOf(*page.Editor()), "export.pl");
    if (std::getenv("KORVANE_UPDATE_GOLDEN"))
        WriteBytes(std::string(KORVANE_SOURCE_DIR) + "/tests/editor/golden/export_perl.html", html);
    EXPECT_EQ(html, Golden("export_perl.html"));
}

TEST_F(EditorTest, RtfExportHasTheColourTableAndEscapesBracesBackslashesAndNonAscii) {
    WriteBytes(Dir.File("export.pl"), PerlPage);
    TEditorPage& page = Open(Dir.File("export.pl"));
    const TStyledText styled = StyledTextOf(*page.Editor());
    const std::string rtf = ExportToRtf(styled);
    EXPECT_TRUE(rtf.starts_with("{\\rtf1\\ansi")) << rtf;
    EXPECT_EQ(rtf.back(), '\n');
    // Every colour of the comment style is in the table, and the comment run names it.
    const TTextStyle& comment = styled.StyleLook.at(styled.Styles.at(styled.Text.find("# say")));
    const QColor ink = comment.Fore;
    const std::string entry = "\\red" + std::to_string(ink.red()) + "\\green" +
                              std::to_string(ink.green()) + "\\blue" + std::to_string(ink.blue()) +
                              ";";
    const size_t table = rtf.find("{\\colortbl;");
    ASSERT_NE(table, std::string::npos);
    EXPECT_NE(rtf.find(entry, table), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("# say <hi> & \"bye\"\\par"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("C:\\\\temp\\\\\\{x\\}"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("caf\\u233?"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\u8364?"), std::string::npos) << rtf;
    // Only the escapes: no raw byte beyond ASCII and balanced braces.
    int depth = 0;
    for (size_t i = 0; i < rtf.size(); ++i) {
        EXPECT_LT(static_cast<unsigned char>(rtf[i]), 0x80) << "at " << i;
        if (rtf[i] == '\\')
            ++i;
        else if (rtf[i] == '{')
            ++depth;
        else if (rtf[i] == '}')
            --depth;
        ASSERT_GE(depth, 0);
    }
    EXPECT_EQ(depth, 0);
}

} // namespace
} // namespace korvane::test
