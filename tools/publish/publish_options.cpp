#include "publish_options.h"

namespace korvane {

const char* const PublishUsage =
    "usage: korvane-publish PROJECT.kvp [--dry-run] [--all]\n"
    "\n"
    "Uploads the project's files that are marked for upload and changed since their last\n"
    "upload, with the project's server settings (FTP or SFTP), exactly as the IDE's Upload\n"
    "command does. Prints one line per file, writes the new upload dates and statuses back\n"
    "into the project file, and exits with 1 when any file failed.\n"
    "\n"
    "  --dry-run  list each marked file with what would be done with it and why; nothing is\n"
    "             sent and the project file stays as it is\n"
    "  --all      send every marked file, changed or not\n"
    "  --help     show this text\n"
    "\n"
    "The password is the project's stored one, or the environment variable\n"
    "KORVANE_FTP_PASSWORD (which wins when both are there); an SFTP login also tries the keys\n"
    "of ssh-agent and the project's key file. It is never taken from the command line.\n"
    "Server keys are checked against ~/.ssh/known_hosts: an unknown server is refused, so run\n"
    "one upload from the IDE (or ssh-keyscan) first. Missing remote folders are made.\n"
    "\n"
    "Exit status: 0 all went (or would go), 1 a file failed (or would), 2 a wrong command line.\n";

TPublishOptions ParsePublishOptions(const std::vector<std::string>& arguments) {
    TPublishOptions options;
    for (const std::string& argument : arguments) {
        if (argument == "--dry-run") {
            options.DryRun = true;
        } else if (argument == "--all") {
            options.All = true;
        } else if (argument == "--help" || argument == "-h") {
            options.Help = true;
        } else if (argument.rfind("--password", 0) == 0) {
            options.Error = "a password is never taken from the command line: set "
                            "KORVANE_FTP_PASSWORD instead";
        } else if (!argument.empty() && argument.front() == '-') {
            options.Error = "unknown option " + argument;
        } else if (options.Project.empty()) {
            options.Project = argument;
        } else {
            options.Error = "one project file only (" + argument + " is a second)";
        }
        if (!options.Error.empty()) return options;
    }
    if (!options.Help && options.Project.empty()) options.Error = "no project file given";
    return options;
}

} // namespace korvane
