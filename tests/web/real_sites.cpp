#include "real_sites.h"

#include "temp_dir.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* Gitweb = "/usr/share/gitweb";
constexpr const char* DokuWiki = "/usr/share/dokuwiki";
constexpr const char* DokuWikiConf = "/etc/dokuwiki";
constexpr const char* DokuWikiData = "/var/lib/dokuwiki/data";
constexpr const char* Chromium = "/usr/bin/chromium";

QStringList ToQStringList(const std::vector<std::string>& words) {
    QStringList list;
    for (const std::string& word : words)
        list << QString::fromStdString(word);
    return list;
}

std::string RandomBytes(size_t count) {
    std::mt19937 random(34);
    std::string bytes(count, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random() & 0xFF);
    return bytes;
}

// A copy of the installed tree with its links followed: the package spreads the application
// over /usr/share, /etc and /var/lib.
void CopyResolved(const std::string& from, const std::string& to) {
    RunProgram("/bin/cp", {"-rL", from, to});
}

void SetUpGitweb(TRealSites& sites, const std::string& folder) {
    const std::string repos = folder + "/repos";
    const std::string work = folder + "/work";
    fs::create_directories(work);
    RunProgram("/usr/bin/git", {"init", "-q", "--bare", repos + "/test.git"});
    RunProgram("/usr/bin/git", {"init", "-q", work});
    sites.RepositoryBytes = RandomBytes(5000);
    WriteBytes(work + "/" + TRealSites::RepositoryFile, sites.RepositoryBytes);
    WriteBytes(work + "/README", "A repository for the tests.\n");
    RunProgram("/usr/bin/git", {"add", "."}, work);
    RunProgram("/usr/bin/git",
               {"-c", "user.name=Tester", "-c", "user.email=t@localhost", "commit", "-q", "-m",
                "First commit"},
               work);
    RunProgram("/usr/bin/git", {"push", "-q", repos + "/test.git", "HEAD:master"}, work);

    // As its documentation sets it up: the script, its static files beside it, and a
    // configuration named by GITWEB_CONFIG (perl no longer looks in the current folder).
    fs::copy_file(std::string(Gitweb) + "/gitweb.cgi", sites.Cgi + "/gitweb.cgi");
    fs::copy(std::string(Gitweb) + "/static", sites.Cgi + "/static", fs::copy_options::recursive);
    const std::string config = folder + "/gitweb.conf";
    WriteBytes(config, "$projectroot = '" + repos +
                           "';\n$feature{'pathinfo'}{'default'} = [1];\n"
                           "$feature{'snapshot'}{'default'} = ['tgz'];\n");
    sites.EnvVars.push_back("YGITWEB_CONFIG=" + config);
}

void SetUpDokuWiki(TRealSites& sites, const std::string& folder) {
    const std::string wiki = sites.Cgi + "/dokuwiki";
    const std::string conf = folder + "/wiki-conf";
    const std::string data = folder + "/wiki-data";
    CopyResolved(DokuWiki, wiki);
    CopyResolved(DokuWikiConf, conf);
    CopyResolved(DokuWikiData, data);
    // The wiki's own hook for a configuration elsewhere: the Debian one points at /etc.
    WriteBytes(wiki + "/inc/preload.php",
               "<?php\nif (!defined('DOKU_CONF')) define('DOKU_CONF', '" + conf + "/');\n");
    WriteBytes(conf + "/local.php", "<?php\n$conf['title'] = 'Test Wiki';\n"
                                    "$conf['savedir'] = '" +
                                        data +
                                        "';\n$conf['useacl'] = 1;\n"
                                        "$conf['superuser'] = '@admin';\n"
                                        "$conf['userewrite'] = 2;\n");
    // The password "secret" as the MD5 sum DokuWiki accepts.
    WriteBytes(conf + "/users.auth.php",
               std::string(TRealSites::WikiUser) + ":5ebe2294ecd0e0f08eab7690d2a6ee69:" +
                   TRealSites::WikiUserName + ":admin@localhost:admin,user\n");
    WriteBytes(conf + "/acl.auth.php", "*\t@ALL\t1\n*\t@user\t8\n");
    sites.WikiMediaBytes = ReadBytes(data + "/media/wiki/dokuwiki-128.png");
}

} // namespace

std::string TRealSites::MissingPackages() {
    std::string missing;
    const auto need = [&missing](const std::string& path, const char* package) {
        if (!fs::exists(path)) missing += std::string(missing.empty() ? "" : ", ") + package;
    };
    need(std::string(Gitweb) + "/gitweb.cgi", "gitweb");
    need("/usr/bin/git", "git");
    need(std::string(DokuWiki) + "/doku.php", "dokuwiki");
    need("/usr/bin/php-cgi", "php-cgi");
    need(Chromium, "chromium");
    need("/usr/bin/curl", "curl");
    return missing;
}

TRealSites::TRealSites(const std::string& folder) {
    Root = folder + "/www";
    Cgi = Root + "/cgi-bin";
    fs::create_directories(Cgi);
    SetUpGitweb(*this, folder);
    SetUpDokuWiki(*this, folder);
}

std::string TRealSites::WriteStyleProbe(const std::vector<TStyleProbe>& probes) const {
    std::string list;
    for (const TStyleProbe& probe : probes)
        list +=
            "[\"" + probe.Address + "\", \"" + probe.Selector + "\", \"" + probe.Property + "\"],";
    WriteBytes(
        Root + "/styles.html",
        "<!DOCTYPE html>\n<html><head><title>styles</title></head><body>\n"
        "<pre id=\"out\">waiting</pre>\n<script>\n"
        "const probes = [" +
            list +
            "];\nconst lines = [];\nlet left = probes.length;\n"
            "for (const [url, selector, property] of probes) {\n"
            "  const frame = document.createElement('iframe');\n"
            "  frame.onload = () => {\n"
            "    const d = frame.contentDocument;\n"
            "    const e = d && d.querySelector(selector);\n"
            "    lines.push(url + ' ' + (d ? d.compatMode : 'none') + ' ' + selector + ' ' +\n"
            "               (e ? getComputedStyle(e)[property] : 'missing'));\n"
            "    if (--left === 0) document.getElementById('out').textContent = "
            "lines.join('\\n');\n"
            "  };\n  frame.src = url;\n  document.body.appendChild(frame);\n}\n"
            "</script></body></html>\n");
    return "/styles.html";
}

std::string RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& workDir) {
    QProcess process;
    if (!workDir.empty()) process.setWorkingDirectory(QString::fromStdString(workDir));
    process.start(QString::fromStdString(program), ToQStringList(arguments));
    const bool ended = process.waitForFinished(120000);
    EXPECT_TRUE(ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        << program << " failed: " << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput().toStdString();
}

std::string ChromiumDom(const std::string& url, const std::string& profileFolder) {
    fs::create_directories(profileFolder);
    return RunProgram(Chromium, {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                                 "--no-first-run", "--disable-background-networking",
                                 "--disable-component-update", "--disable-sync",
                                 "--user-data-dir=" + profileFolder, "--virtual-time-budget=15000",
                                 "--dump-dom", url});
}

} // namespace korvane::test
