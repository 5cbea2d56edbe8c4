// An SQL run to text: a script selecting 10,000 rows goes through the MySQL controller and
// the console controller (script file, client start, every output line kept), and, as the
// peer, through the bare client into /dev/null. The server is the one $HOME/.my.cnf names
// (bench/mysql.sh starts a private one). Prints the medians and the ratio.
#include "exec/console_controller.h"
#include "model/project_link.h"
#include "platform/command_line.h"
#include "services/mysql_controller.h"
#include "storage/name_value.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class NoProject : public korvane::TProjectLink {
public:
    void MarkModified() override {}
    const std::string& FileName() const override { return Name; }
    std::string RelativePath(const std::string& path) const override { return path; }
    std::string AbsolutePath(const std::string& path) const override { return path; }
    void RelativePathToStream(korvane::TSectionList&, const std::string&) const override {}
    std::string AbsolutePathFromStream(korvane::TSectionList&) const override { return {}; }

private:
    std::string Name;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_sql_run temp-folder password [runs]\n");
        return 2;
    }
    const std::string temp = argv[1];
    const std::string password = argv[2];
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 7;
    const std::string script = "SELECT id, name FROM bench.rows ORDER BY id;\n";
    // The peer's script file is the one the controller writes; the run is the same command.
    NoProject project;
    korvane::TConsoleController console;
    korvane::TMySqlController sql(project, console, [&] { return temp; });
    sql.setBinPath("/usr/bin");
    sql.setRootPassword(password);
    const std::string file = sql.CreateTempFile({true, "", script, ""});
    const std::string peer = "MYSQL_PWD='" + password + "' /usr/bin/mysql -uroot -v -e " +
                             korvane::Quoted("source " + file) + " > /dev/null";

    std::vector<double> controller, bare;
    for (int i = 0; i < runs; ++i) {
        Clock::time_point start = Clock::now();
        const korvane::TRunRequest run =
            sql.SqlRunRequest(korvane::TRunRequest(), {true, "", script, ""});
        console.executeSession(run.Start, true, 30, 120);
        controller.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        // Heading, 10,000 rows and the echoed statement between two rules.
        if (console.OutputLines.Count() < 10'001) {
            std::fprintf(stderr, "wrong result: %zu lines\n%s\n", console.OutputLines.Count(),
                         std::string(console.ErrBytes()).c_str());
            return 1;
        }
        start = Clock::now();
        if (std::system(peer.c_str()) != 0) return 1;
        bare.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    const double ours = Median(controller), theirs = Median(bare);
    std::printf("10,000-row SELECT to text, median of %d runs\n", runs);
    std::printf("  through the controller: %.1f ms (%zu output lines kept)\n", ours * 1000,
                console.OutputLines.Count());
    std::printf("  bare client > /dev/null: %.1f ms\n", theirs * 1000);
    std::printf("  ratio: %.2fx\n", ours / theirs);
    return 0;
}
