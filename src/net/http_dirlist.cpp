// The directory listing page of a connection.
#include "net/http_server.h"
#include "net/http_text.h"
#include "storage/url_coding.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {

namespace {

THttpDirEntry MakeEntry(const std::string& directory, const std::string& name) {
    THttpDirEntry entry;
    entry.Name = name;
    const std::string full = directory + "/" + name;
    struct stat info {};
    // A link shows what it leads to; a broken one shows itself.
    if (::stat(full.c_str(), &info) != 0) ::lstat(full.c_str(), &info);
    entry.Directory = S_ISDIR(info.st_mode);
    entry.Size = entry.Directory ? 0 : info.st_size;
    entry.SizeLow = static_cast<uint32_t>(entry.Size & 0xFFFFFFFF);
    entry.ReadOnly = ::access(full.c_str(), W_OK) != 0;
    entry.Hidden = !name.empty() && name[0] == '.';
    std::tm local{};
    const time_t modified = info.st_mtim.tv_sec;
    localtime_r(&modified, &local);
    entry.Year = local.tm_year + 1900;
    entry.Month = local.tm_mon + 1;
    entry.Day = local.tm_mday;
    entry.Hour = local.tm_hour;
    entry.Min = local.tm_min;
    entry.Sec = local.tm_sec;
    return entry;
}

std::string Row(const THttpDirEntry& entry, const std::string& path) {
    static const char Months[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    std::string attributes = "-rw--";
    if (entry.Directory) attributes[0] = 'd';
    if (entry.ReadOnly) attributes[2] = '-';
    if (entry.SysFile) attributes[3] = 's';
    if (entry.Hidden) attributes[4] = 'h';
    char date[16], time[16];
    const int month = std::clamp(entry.Month, 1, 12) - 1;
    std::snprintf(date, sizeof date, "%.3s %02d, %04d", Months + month * 3, entry.Day % 100,
                  entry.Year % 10000);
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", entry.Hour % 100, entry.Min % 100,
                  entry.Sec % 100);
    std::string link = path;
    if (link.empty() || link.back() != '/') link += '/';
    link += FormEncode(entry.Name);
    std::string row;
    for (const std::string& piece :
         {std::string("<TD>"), attributes, std::string("</TD><TD ALIGN=\"right\">"),
          entry.Directory ? std::string() : std::to_string(entry.Size),
          std::string("</TD><TD WIDTH=\"10\"></TD><TD>"), std::string(date),
          std::string("</TD><TD WIDTH=\"10\"></TD><TD>"), std::string(time),
          std::string("</TD><TD WIDTH=\"10\"></TD><TD><A HREF=\""), link, std::string("\">"),
          TextToHtmlText(entry.Name), std::string("</A></TD>\r\n")})
        row += piece;
    return row;
}

} // namespace

std::string THttpConnection::BuildDirListPage(const std::string& directory,
                                              const std::string& path) {
    std::vector<THttpDirEntry> dirs, files;
    if (DIR* handle = ::opendir(directory.c_str())) {
        while (const dirent* item = ::readdir(handle)) {
            const std::string name = item->d_name;
            if (name == "." || name == "..") continue;
            THttpDirEntry entry = MakeEntry(directory, name);
            if (OnFilterDirEntry) OnFilterDirEntry(*this, entry);
            if (!entry.Visible) continue;
            (entry.Directory ? dirs : files).push_back(std::move(entry));
        }
        ::closedir(handle);
    }
    const auto byName = [](const THttpDirEntry& a, const THttpDirEntry& b) {
        return strcasecmp(a.Name.c_str(), b.Name.c_str()) < 0;
    };
    std::sort(dirs.begin(), dirs.end(), byName);
    std::sort(files.begin(), files.end(), byName);

    const std::string heading = TextToHtmlText(NormalizeLocalPath(path));
    std::string page =
        "<HTML>\r\n<HEAD>\r\n<STYLE TYPE=\"text/css\">\r\n"
        ".dirline { font-family: arial; font-size: normal; color: black }\r\n"
        "</STYLE>\r\n<TITLE>Directory List</TITLE>\r\n</HEAD>\r\n<BODY><P>Directory of " +
        heading + ":</P><P CLASS=dirline>\r\n<TABLE>\r\n";
    if (path != "/") {
        std::string base =
            !path.empty() && path.back() == '/' ? path.substr(0, path.size() - 1) : path;
        const size_t slash = base.rfind('/');
        std::string parent = slash == std::string::npos ? std::string() : base.substr(0, slash + 1);
        if (!parent.empty() && parent != "/") parent.pop_back();
        if (!parent.empty())
            page += "<TR><TD><A HREF=\"" + parent + "\">[To Parent Directrory]</A></TD></TR>";
    }
    if (dirs.empty() && files.empty()) {
        page += "<TR><TD>No file</TD></TR>";
    } else {
        int64_t total = 0;
        for (const THttpDirEntry& entry : dirs)
            page += "<TR>" + Row(entry, path) + "</TR>\r\n";
        for (const THttpDirEntry& entry : files) {
            page += "<TR>" + Row(entry, path) + "</TR>\r\n";
            total += entry.Size;
        }
        page += "<TR><TD COLSPAN=\"8\">Total: " + std::to_string(dirs.size() + files.size()) +
                " file(s), " + std::to_string(total) + " byte(s)</TD></TR>";
    }
    page += "</TABLE></P></BODY></HTML>\r\n";
    return page;
}

} // namespace korvane
