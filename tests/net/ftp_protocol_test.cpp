#include "net/ftp_data_address.h"
#include "net/ftp_reply.h"
#include "net/ftp_text_mode.h"

#include <gtest/gtest.h>

using namespace korvane;

namespace {

std::vector<std::string> Texts(const std::vector<TFtpReplyLine>& lines) {
    std::vector<std::string> texts;
    for (const auto& line : lines)
        texts.push_back(line.Text);
    return texts;
}

} // namespace

TEST(FtpReplyReader, MultiLineReplyEndsOnlyAtItsOwnCodeFollowedBySpace) {
    TFtpReplyReader reader;
    const auto lines = reader.Feed("230-Welcome\r\n"
                                   "220 this line belongs to the reply\r\n"
                                   "  230 indented, still text\r\n"
                                   "230-still going\r\n"
                                   "230 Logged in\r\n");
    ASSERT_EQ(lines.size(), 5u);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_FALSE(lines[i].Final) << lines[i].Text;
    EXPECT_TRUE(lines[4].Final);
    EXPECT_EQ(lines[4].Code, 230);
    EXPECT_EQ(lines[4].Text, "230 Logged in");

    // After the reply a plain numbered line is final again; unnumbered lines never are.
    const auto next = reader.Feed("hello\r\n200 OK\r\n");
    ASSERT_EQ(next.size(), 2u);
    EXPECT_FALSE(next[0].Final);
    EXPECT_TRUE(next[1].Final);
    EXPECT_EQ(next[1].Code, 200);
}

TEST(FtpReplyReader, LinesSplitAcrossReadsAndLineEndRules) {
    TFtpReplyReader reader;
    EXPECT_TRUE(reader.Feed("22").empty());
    EXPECT_TRUE(reader.Feed("0 Rea").empty());
    const auto lines = reader.Feed("dy\r\r\n331 bare LF\n");
    EXPECT_EQ(Texts(lines), (std::vector<std::string>{"220 Ready", "331 bare LF"}));

    // Without AcceptLF only CR LF ends a line; a bare LF stays inside it.
    TFtpReplyReader strict(false);
    const auto strictLines = strict.Feed("250 one\ntwo\r\n");
    ASSERT_EQ(strictLines.size(), 1u);
    EXPECT_EQ(strictLines[0].Text, "250 one\ntwo");
    EXPECT_EQ(strictLines[0].Code, 250);

    // A line that is only a code is final.
    TFtpReplyReader bare;
    const auto only = bare.Feed("221\r\n");
    ASSERT_EQ(only.size(), 1u);
    EXPECT_TRUE(only[0].Final);
    EXPECT_EQ(only[0].Code, 221);
}

TEST(FtpReplyReader, OverlongLinesAndEndlessRepliesAreFaultsNotMemory) {
    TFtpReplyReader reader;
    const std::string chunk(1000, 'x');
    for (int i = 0; i < 4; ++i)
        reader.Feed(chunk);
    EXPECT_EQ(reader.GetFault(), TFtpReplyReader::Fault::None);
    reader.Feed(chunk);
    EXPECT_EQ(reader.GetFault(), TFtpReplyReader::Fault::LineTooLong);
    EXPECT_TRUE(reader.Feed("200 OK\r\n").empty()) << "nothing is read after a fault";

    reader.Reset();
    EXPECT_EQ(reader.Feed("200 OK\r\n").size(), 1u);

    // Short lines that never close the reply.
    TFtpReplyReader endless;
    const std::string line = "220-" + std::string(96, 'y') + "\r\n";
    size_t delivered = 0;
    for (int i = 0; i < 1000 && endless.GetFault() == TFtpReplyReader::Fault::None; ++i)
        delivered += endless.Feed(line).size();
    EXPECT_EQ(endless.GetFault(), TFtpReplyReader::Fault::ReplyTooLong);
    EXPECT_LE(delivered * line.size(), TFtpReplyReader::ReplyLimit);
}

TEST(FtpReplyReader, LeadingNumberStopsAtTheFirstNonDigit) {
    size_t digits = 0;
    EXPECT_EQ(LeadingNumber("150-Opening", &digits), 150);
    EXPECT_EQ(digits, 3u);
    EXPECT_EQ(LeadingNumber("x150"), -1);
    EXPECT_EQ(LeadingNumber(""), -1);
    EXPECT_GT(LeadingNumber("99999999999999999999 huge"), 0) << "no overflow into negatives";
}

TEST(FtpDataAddress, PortCommandForms) {
    EXPECT_EQ(DataPortCommand("127.0.0.1", 0x1234, "127.0.0.1"), "PORT 127,0,0,1,18,52");
    // The fixed loopback form is chosen by the server's address, whatever the local one.
    EXPECT_EQ(DataPortCommand("10.0.0.5", 21, "127.0.0.1"), "PORT 127,0,0,1,0,21");
    EXPECT_EQ(DataPortCommand("192.168.1.20", 65535, "203.0.113.9"), "PORT 192,168,1,20,255,255");
    EXPECT_EQ(DataPortCommand("::ffff:192.168.1.20", 256, "203.0.113.9"), "PORT 192,168,1,20,1,0");
    EXPECT_EQ(DataPortCommand("2001:db8::7", 5000, "2001:db8::1"), "EPRT |2|2001:db8::7|5000|");
    EXPECT_TRUE(IsIPv6Address("::1"));
    EXPECT_FALSE(IsIPv6Address("::ffff:10.1.2.3"));
    EXPECT_FALSE(IsIPv6Address("10.1.2.3"));
}

TEST(FtpDataAddress, PassiveRepliesGiveThePortOrNothing) {
    EXPECT_EQ(PasvReplyPort("227 Entering Passive Mode (127,0,0,1,195,80)."), 195 * 256 + 80);
    EXPECT_EQ(PasvReplyPort("227 Entering Passive Mode 10,1,2,3,4,5"), 4 * 256 + 5);
    EXPECT_EQ(PasvReplyPort("227 =10,1,2,3,0,21"), 21);
    EXPECT_EQ(PasvReplyPort("227 Entering Passive Mode (1,2,3,4,999,1)"), std::nullopt);
    EXPECT_EQ(PasvReplyPort("227 Entering Passive Mode"), std::nullopt);
    EXPECT_EQ(PasvReplyPort("227 (1,2,3,4,0,0)"), std::nullopt);

    EXPECT_EQ(EpsvReplyPort("229 Entering Extended Passive Mode (|||6446|)"), 6446);
    EXPECT_EQ(EpsvReplyPort("229 Entering Extended Passive Mode (!!!21!)"), 21);
    EXPECT_EQ(EpsvReplyPort("229 (|||70000|)"), std::nullopt);
    EXPECT_EQ(EpsvReplyPort("229 (|||6446)"), std::nullopt);
    EXPECT_EQ(EpsvReplyPort("229 (||6446|)"), std::nullopt);
    EXPECT_EQ(EpsvReplyPort("229 no address"), std::nullopt);
}

TEST(FtpDataAddress, PortRangeStartsAtTheRememberedPortAndWraps) {
    EXPECT_EQ(DataPortCandidates(5000, 5003, 5002),
              (std::vector<uint16_t>{5002, 5003, 5000, 5001}));
    EXPECT_EQ(DataPortCandidates(5000, 5003, 0), (std::vector<uint16_t>{5000, 5001, 5002, 5003}));
    EXPECT_EQ(DataPortCandidates(5000, 5003, 9000),
              (std::vector<uint16_t>{5000, 5001, 5002, 5003}));
    EXPECT_EQ(DataPortCandidates(7000, 7000, 7000), (std::vector<uint16_t>{7000}));
    EXPECT_TRUE(DataPortCandidates(10, 5, 0).empty());
    EXPECT_EQ(DataPortAfter(5002, 5000, 5003), 5003);
    EXPECT_EQ(DataPortAfter(5003, 5000, 5003), 5000);
}

TEST(FtpReplyText, TheFolderOfAPwdReplyAndTheModeOfAStatListing) {
    const struct {
        const char* Reply;
        const char* Folder;
    } folders[] = {
        {"257 \"/home/me\" is the current directory", "/home/me"},
        {"257 \"/a \"\"quoted\"\" b\" created", "/a \"quoted\" b"},
        {"257 \"/never closed", ""},
        {"257 no quotes at all", ""},
    };
    for (const auto& c : folders)
        EXPECT_EQ(QuotedPath(c.Reply), c.Folder) << c.Reply;

    const struct {
        const char* Reply;
        int Mode;
    } listings[] = {
        // vsftpd and pyftpdlib, as they answer STAT for a file
        {"213-Status follows:\r\n-rwxr-xr-x    1 0  0  4 Dec 10 14:37 run.pl\r\n213 End of "
         "status\r\n",
         0755},
        {"213-Status of \"/a\":\r\n -rw-r-----   1 u  g  1 Dec 10 14:37 a\r\n213 End of "
         "status.\r\n",
         0640},
        {"211-x\r\n-rwsr-xr-T 1 u g 1 Jan 1 2024 s\r\n211 End\r\n", 0754},    // set-id letters
        {"213-Status follows:\r\n213 End of status\r\n", -1},                 // no such file
        {"213-x\r\ndrwxr-xr-x 2 u g 4096 Jan 1 2024 dir\r\n213 End\r\n", -1}, // a folder
        {"213-x\r\n-rwxq-xr-x 1 u g 1 Jan 1 2024 odd\r\n213 End\r\n", -1},    // not ls -l
    };
    for (const auto& c : listings)
        EXPECT_EQ(ListedFileMode(c.Reply), c.Mode) << c.Reply;
}

TEST(FtpTextMode, CrLfBecomesLfWhereverThePiecesOfTheFileAreCut) {
    const std::string text = "a\r\nb\rc\r\n\r\nd\r";
    const std::string expected = "a\nb\rc\n\nd\r";
    // Every way of cutting the text in two, and one byte at a time.
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        TLfLineEnds lineEnds;
        std::string out = lineEnds.Convert(text.substr(0, cut));
        out += lineEnds.Convert(text.substr(cut));
        out += lineEnds.Finish();
        EXPECT_EQ(out, expected) << "cut at " << cut;
    }
    TLfLineEnds lineEnds;
    std::string out;
    for (char c : text)
        out += lineEnds.Convert(std::string(1, c));
    EXPECT_EQ(out + lineEnds.Finish(), expected);
    EXPECT_EQ(TemporaryUploadName("run.pl"), ".run.pl.part");
}
