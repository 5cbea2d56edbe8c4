#include "mariadb_server.h"

#include "platform/shell.h"
#include "temp_dir.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace korvane::test {
namespace {

constexpr const char* InstallDb = "/usr/bin/mariadb-install-db";
constexpr const char* Server = "/usr/sbin/mariadbd";
constexpr const char* Client = "/usr/bin/mariadb";
constexpr const char* Admin = "/usr/bin/mariadb-admin";

std::string Capture(const std::string& command) {
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            output.append(buffer, got);
        ::pclose(pipe);
    }
    return output;
}

// A process that has ended but was not reaped (its parent is gone) counts as gone.
bool ProcessAlive(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(stat, text)) return false;
    const size_t close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z';
}

} // namespace

int FreeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

DeadLoopbackPort::DeadLoopbackPort() : Fd(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(Fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
        ::getsockname(Fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        Number = ntohs(address.sin_port);
}

DeadLoopbackPort::~DeadLoopbackPort() {
    if (Fd >= 0) ::close(Fd);
}

std::string TestMariaDb::Missing() {
    for (const char* program : {InstallDb, Server, Client, Admin})
        if (!std::filesystem::exists(program)) return std::string(program) + " is not installed";
    return {};
}

TestMariaDb::TestMariaDb(std::string dir, std::string optionFile)
    : Dir(std::move(dir)), OptionFile(std::move(optionFile)), Socket(Dir + "/mysqld.sock"),
      Port(FreeLoopbackPort()) {}

TestMariaDb::~TestMariaDb() {
    Stop();
}

void TestMariaDb::WriteOptionFile(const std::string& clientSocket, int clientPort) const {
    std::ostringstream text;
    text << "# The private server of a test\n"
         << "[client-server]\nsocket=" << clientSocket << "\nport=" << clientPort << "\n\n"
         << "[mysqld]\nsocket=" << Socket << "\nport=" << Port << "\ndatadir=" << Dir
         << "/data\npid-file=" << Dir << "/mysqld.pid\nlog-error=" << Dir
         << "/error.log\ntmpdir=" << Dir << "/tmp\nbind-address=127.0.0.1\nskip-name-resolve\n"
         << "innodb-buffer-pool-size=16M\n"
         << (::geteuid() == 0 ? "user=root\n" : "");
    WriteBytes(OptionFile, text.str());
}

std::string TestMariaDb::Start() {
    if (std::string missing = Missing(); !missing.empty()) return missing;
    WriteOptionFile();
    // Temporary tables in a folder of this server's own: servers of tests running side by
    // side in the shared /tmp lost each other's files while setting up.
    std::error_code ignored;
    std::filesystem::create_directories(Dir + "/tmp", ignored);
    const std::string install =
        std::string(InstallDb) + " --no-defaults --datadir=" + Dir + "/data --tmpdir=" + Dir +
        "/tmp --auth-root-authentication-method=normal --skip-test-db" +
        (::geteuid() == 0 ? " --user=root" : "") + " >" + Dir + "/install.log 2>&1";
    if (std::system(install.c_str()) != 0)
        return "mariadb-install-db failed: " + ReadBytes(Dir + "/install.log");
    if (!StartDetached(Server, {"--defaults-file=" + OptionFile}, Dir))
        return "the server did not start";
    if (!WaitForAnswer(true)) return "the server does not answer, see " + Dir + "/error.log";
    // root has no password yet.
    const std::string output = Capture(std::string(Client) + " --no-defaults -S " + Socket +
                                       " -uroot -e \"ALTER USER root@localhost IDENTIFIED BY '" +
                                       RootPassword + "'\" 2>&1");
    return output.empty() ? std::string() : "root's password was not set: " + output;
}

int TestMariaDb::ServerPid() const {
    std::ifstream file(Dir + "/mysqld.pid");
    int pid = 0;
    file >> pid;
    return pid;
}

void TestMariaDb::Stop() {
    const int pid = ServerPid();
    if (pid <= 0 || !ProcessAlive(pid)) return;
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 600 && ProcessAlive(pid); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (ProcessAlive(pid)) ::kill(pid, SIGKILL);
}

bool TestMariaDb::Answers() const {
    // ping succeeds whenever a server answers, even one that refuses the user.
    const std::string ping =
        std::string(Admin) + " --no-defaults -S " + Socket + " -uroot ping >/dev/null 2>&1";
    return std::system(ping.c_str()) == 0;
}

bool TestMariaDb::WaitForAnswer(bool wanted, int seconds) const {
    for (int i = 0; i < seconds * 10; ++i) {
        if (Answers() == wanted) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return Answers() == wanted;
}

std::string TestMariaDb::Sql(const std::string& statements) const {
    const std::string file = Dir + "/statements.sql";
    WriteBytes(file, statements);
    return Capture("MYSQL_PWD=" + std::string(RootPassword) + " " + Client + " --no-defaults -S " +
                   Socket + " -uroot -N -B < " + file + " 2>&1");
}

} // namespace korvane::test
