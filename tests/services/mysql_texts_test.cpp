// The client programs' texts for a server out of reach, and passwords kept out of logs.
#include "services/mysql_texts.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(MySqlTexts, BothFamiliesFailureTextsAreRecognised) {
    struct Case {
        const char* Line;
        bool Socket, Tcp, Down;
    };
    const Case cases[] = {
        {"ERROR 2002 (HY000): Can't connect to local server through socket '/run/x.sock' (2)", true,
         false, true},
        {"ERROR 2002 (HY000): Can't connect to local MySQL server through socket '/tmp/m' (2)",
         true, false, true},
        {"error: 'Can't connect to server on 'localhost' (115)'", false, true, true},
        {"ERROR 2003 (HY000): Can't connect to MySQL server on '127.0.0.1:3306' (111)", false, true,
         true},
        {"Can't open named pipe to host: .  pipe: MySQL (2)", true, false, true},
        {"Can't create TCP/IP socket (10106)", false, true, true},
        {"ERROR 1045 (28000): Access denied for user 'root'@'localhost'", false, false, false},
        {"mysqladmin  Ver 9.1 Distrib 10.11.19-MariaDB", false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Line);
        EXPECT_EQ(IsSocketFailure(c.Line), c.Socket);
        EXPECT_EQ(IsTcpFailure(c.Line), c.Tcp);
        EXPECT_EQ(IsServerDownError(c.Line), c.Down);
    }
    EXPECT_TRUE(IsServerDownOutput("DBI connect failed: Can't connect to local server through"));
    EXPECT_FALSE(IsServerDownOutput("Can't connect to the network"));
}

TEST(MySqlTexts, PasswordsOfClientProgramsAreMaskedInCommandLines) {
    const std::pair<const char*, const char*> cases[] = {
        {"\"/usr/bin/mysql\" -uroot -psecret -v -e \"source /t/mysqlrun.sql\"",
         "\"/usr/bin/mysql\" -uroot -p***** -v -e \"source /t/mysqlrun.sql\""},
        {"/usr/bin/mariadb-admin -u me --password=s3 version",
         "/usr/bin/mariadb-admin -u me --password=***** version"},
        {"\"/opt/x/mysqladmin\" -W -uroot -pp -pp shutdown",
         "\"/opt/x/mysqladmin\" -W -uroot -p***** -p***** shutdown"},
        // A bare -p asks for the password; perl's -p is a switch.
        {"mysql -p -e x", "mysql -p -e x"},
        {"\"/usr/bin/perl\" -pi -e s/a/b/ f", "\"/usr/bin/perl\" -pi -e s/a/b/ f"},
    };
    for (const auto& [line, masked] : cases)
        EXPECT_EQ(MaskPasswordOptions(line), masked);
}

} // namespace
} // namespace korvane
