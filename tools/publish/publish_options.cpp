#include "publish_options.h"

#include "storage/command_options.h"

namespace korvane {
namespace {

constexpr const char* About =
    "Uploads the project's files that are marked for upload and changed since their last\n"
    "upload, with the project's server settings (FTP or SFTP), exactly as the IDE's Upload\n"
    "command does. Prints one line per file, writes the new upload dates and statuses back\n"
    "into the project file, and exits with 1 when any file failed.\n"
    "\n"
    "The password is the project's stored one, or the environment variable\n"
    "KORVANE_FTP_PASSWORD (which wins when both are there); an SFTP login also tries the keys\n"
    "of ssh-agent and the project's key file. It is never taken from the command line.\n"
    "Server keys are checked against ~/.ssh/known_hosts: an unknown server is refused, so run\n"
    "one upload from the IDE (or ssh-keyscan) first. Missing remote folders are made.\n"
    "\n"
    "Exit status: 0 all went (or would go), 1 a file failed (or would), 2 a wrong command line.";

bool NamesAPassword(const std::string& argument) {
    return argument == "--password" || argument.rfind("--password=", 0) == 0;
}

} // namespace

std::optional<int> ParsePublishOptions(const std::vector<std::string>& arguments,
                                       TPublishOptions& options, std::ostream& out,
                                       std::ostream& err) {
    TCommandOptions parser("korvane-publish", {"PROJECT.kvp [--dry-run] [--all]"}, About);
    parser
        .Flag("--dry-run",
              "list each marked file with what would be done with it and why; nothing is sent "
              "and the project file stays as it is",
              options.DryRun)
        .Flag("--all", "send every marked file, changed or not", options.All)
        .Operands("PROJECT.kvp", 1, 1);
    // Said plainly rather than as an unknown option: a password on a command line is seen by
    // every user of the machine.
    for (const std::string& argument : arguments)
        if (NamesAPassword(argument))
            return parser.Fail(err, "a password is never taken from the command line: set "
                                    "KORVANE_FTP_PASSWORD instead");
    const TCommandOptions::Outcome parsed = parser.Parse(arguments, out, err);
    if (parsed.ExitStatus) return parsed.ExitStatus;
    options.Project = parsed.Operands.front();
    return std::nullopt;
}

} // namespace korvane
