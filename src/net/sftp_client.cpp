#include "net/sftp_client.h"

#include "net/ftp_text_mode.h"

#include <libssh/libssh.h>
#include <libssh/sftp.h>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <vector>

namespace korvane {
namespace {

// Large writes keep the per-request round trip small against the time spent on the data;
// OpenSSH's server takes messages up to 256 KiB.
constexpr size_t WriteBlock = 192 * 1024;

unsigned PortNumber(const std::string& port) {
    if (!port.empty() && port.size() <= 5 &&
        std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        const unsigned long value = std::stoul(port);
        return value >= 1 && value <= 65535 ? static_cast<unsigned>(value) : 0;
    }
    if (port.empty() || port == "ssh" || port == "sftp") return 22;
    if (const servent* service = getservbyname(port.c_str(), "tcp"))
        return ntohs(static_cast<uint16_t>(service->s_port));
    return 0;
}

std::string SftpErrorText(int code) {
    switch (code) {
    case SSH_FX_EOF:
        return "end of file";
    case SSH_FX_NO_SUCH_FILE:
        return "no such file or folder";
    case SSH_FX_PERMISSION_DENIED:
        return "permission denied";
    case SSH_FX_FAILURE:
        return "the server reported a failure";
    case SSH_FX_BAD_MESSAGE:
        return "bad message";
    case SSH_FX_NO_CONNECTION:
    case SSH_FX_CONNECTION_LOST:
        return "connection lost";
    case SSH_FX_OP_UNSUPPORTED:
        return "operation not supported by the server";
    case SSH_FX_FILE_ALREADY_EXISTS:
        return "file already exists";
    case SSH_FX_WRITE_PROTECT:
        return "write protected";
    default:
        return "SFTP error " + std::to_string(code);
    }
}

std::string ParentFolder(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return "";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A name beside path that nothing else uses: where a replaced file steps aside for a moment
// on servers without an atomic rename.
std::string AsideName(const std::string& path, unsigned attempt) {
    const size_t slash = path.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, nameStart) + "." + path.substr(nameStart) + ".replaced-" +
           std::to_string(getpid()) + "-" + std::to_string(attempt);
}

std::string OctalText(int mode) {
    char octal[16];
    std::snprintf(octal, sizeof octal, "%03o", mode);
    return octal;
}

void AppendUint32(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

void AppendString(std::string& out, const std::string& text) {
    AppendUint32(out, static_cast<uint32_t>(text.size()));
    out += text;
}

uint32_t ReadUint32(const unsigned char* bytes) {
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 |
           uint32_t(bytes[3]);
}

} // namespace

TSftpClient::TSftpClient() = default;

TSftpClient::~TSftpClient() {
    Close();
}

std::string TSftpClient::PartName(const std::string& remotePath) {
    const size_t slash = remotePath.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return remotePath.substr(0, nameStart) + TemporaryUploadName(remotePath.substr(nameStart));
}

bool TSftpClient::Fail(const std::string& what) {
    Error = what;
    if (Interrupted())
        Error += ": cancelled";
    else if (Session && *ssh_get_error(Session))
        Error += ": " + std::string(ssh_get_error(Session));
    return false;
}

bool TSftpClient::SftpFail(const std::string& what) {
    if (Interrupted() || !Sftp) return Fail(what);
    const int code = sftp_get_error(Sftp);
    const std::string server = Session ? ssh_get_error(Session) : "";
    Error = what + ": " + SftpErrorText(code);
    // The server's own words, when it sent some beyond the code.
    if (!server.empty() && server.find("SFTP server") != std::string::npos)
        Error += " (" + server + ")";
    LastMissing = code == SSH_FX_NO_SUCH_FILE;
    return false;
}

bool TSftpClient::Open(const TSftpLogin& login) {
    Close();
    InterruptRequested = false;
    Login = login;
    Error.clear();
    const unsigned port = PortNumber(login.Port);
    if (port == 0) return Fail("Unknown port \"" + login.Port + "\"");
    Session = ssh_new();
    if (!Session) return Fail("Out of memory");
    long timeout = login.TimeoutSeconds;
    ssh_options_set(Session, SSH_OPTIONS_HOST, login.Host.c_str());
    ssh_options_set(Session, SSH_OPTIONS_PORT, &port);
    if (!login.User.empty()) ssh_options_set(Session, SSH_OPTIONS_USER, login.User.c_str());
    if (timeout > 0) ssh_options_set(Session, SSH_OPTIONS_TIMEOUT, &timeout);
    if (!login.KnownHostsFile.empty())
        ssh_options_set(Session, SSH_OPTIONS_KNOWNHOSTS, login.KnownHostsFile.c_str());
    // The settings given here are the whole story: a user's ssh configuration must not
    // silently send the upload to another host or port.
    const bool processConfig = false;
    ssh_options_set(Session, SSH_OPTIONS_PROCESS_CONFIG, &processConfig);
    if (ssh_connect(Session) != SSH_OK)
        return Fail("Could not connect to " + login.Host + " port " + std::to_string(port));
    SocketFd = ssh_get_fd(Session);
    // An interrupt that came while connecting has nothing to shut down yet.
    if (Interrupted()) return Fail("Connecting");
    return true;
}

THostKeyState TSftpClient::CheckHostKey(std::string& fingerprint) {
    fingerprint.clear();
    ssh_key key = nullptr;
    if (ssh_get_server_publickey(Session, &key) != SSH_OK) {
        Fail("The server sent no host key");
        return THostKeyState::Error;
    }
    unsigned char* hash = nullptr;
    size_t hashLength = 0;
    const int hashed = ssh_get_publickey_hash(key, SSH_PUBLICKEY_HASH_SHA256, &hash, &hashLength);
    ssh_key_free(key);
    if (hashed != SSH_OK) {
        Fail("The server's host key could not be read");
        return THostKeyState::Error;
    }
    char* text = ssh_get_fingerprint_hash(SSH_PUBLICKEY_HASH_SHA256, hash, hashLength);
    ssh_clean_pubkey_hash(&hash);
    if (text) fingerprint = text;
    ssh_string_free_char(text);
    switch (ssh_session_is_known_server(Session)) {
    case SSH_KNOWN_HOSTS_OK:
        return THostKeyState::Known;
    case SSH_KNOWN_HOSTS_NOT_FOUND: // no known-hosts file yet
    case SSH_KNOWN_HOSTS_UNKNOWN:
        return THostKeyState::Unknown;
    case SSH_KNOWN_HOSTS_CHANGED:
    case SSH_KNOWN_HOSTS_OTHER: // a key of another type was recorded: as suspect as a change
        Error = "The server's host key differs from the one recorded";
        return THostKeyState::Changed;
    default:
        Fail("The known-hosts file could not be read");
        return THostKeyState::Error;
    }
}

bool TSftpClient::RecordHostKey() {
    if (ssh_session_update_known_hosts(Session) != SSH_OK)
        return Fail("The host key could not be recorded in " + Login.KnownHostsFile);
    return true;
}

bool TSftpClient::AuthenticateByKey() {
    // Servers tell which methods they take only after a first attempt.
    if (ssh_userauth_none(Session, nullptr) == SSH_AUTH_SUCCESS) return true;
    if (Login.UseAgent && getenv("SSH_AUTH_SOCK") && *getenv("SSH_AUTH_SOCK") &&
        ssh_userauth_agent(Session, nullptr) == SSH_AUTH_SUCCESS)
        return true;
    if (!Login.KeyFile.empty()) {
        ssh_key key = nullptr;
        if (ssh_pki_import_privkey_file(Login.KeyFile.c_str(), nullptr, nullptr, nullptr, &key) !=
            SSH_OK)
            return Fail("The key file " + Login.KeyFile +
                        " could not be read (a key with a passphrase must be given to ssh-agent)");
        const int result = ssh_userauth_publickey(Session, nullptr, key);
        ssh_key_free(key);
        if (result == SSH_AUTH_SUCCESS) return true;
        return Fail("The server refused the key " + Login.KeyFile);
    }
    return Fail("The server accepted no key");
}

bool TSftpClient::ServerTakesPassword() {
    return (ssh_userauth_list(Session, nullptr) & SSH_AUTH_METHOD_PASSWORD) != 0;
}

bool TSftpClient::AuthenticateByPassword(const std::string& password) {
    if (ssh_userauth_password(Session, nullptr, password.c_str()) == SSH_AUTH_SUCCESS) return true;
    return Fail("The server refused the password of " + Login.User);
}

bool TSftpClient::StartSftp() {
    Sftp = sftp_new(Session);
    if (!Sftp) return Fail("The server offers no SFTP");
    if (sftp_init(Sftp) != SSH_OK) {
        sftp_free(Sftp);
        Sftp = nullptr;
        return Fail("The server's SFTP did not start");
    }
    return true;
}

bool TSftpClient::IsFolder(const std::string& path) {
    LastMissing = false;
    sftp_attributes attributes = sftp_stat(Sftp, path.c_str());
    if (!attributes) return SftpFail("Folder " + path);
    const bool folder = attributes->type == SSH_FILEXFER_TYPE_DIRECTORY;
    sftp_attributes_free(attributes);
    if (!folder) Error = path + " is not a folder";
    return folder;
}

bool TSftpClient::MakeFolders(const std::string& path) {
    if (path.empty() || path == "/" || IsFolder(path)) return !path.empty();
    if (!LastMissing) return false;
    const std::string parent = ParentFolder(path);
    if (!parent.empty() && !MakeFolders(parent)) return false;
    if (sftp_mkdir(Sftp, path.c_str(), 0755) != SSH_OK) return SftpFail("Creating folder " + path);
    return true;
}

std::string TSftpClient::LoginFolder() {
    char* folder = sftp_canonicalize_path(Sftp, ".");
    if (!folder) return {};
    std::string path = folder;
    ssh_string_free_char(folder);
    return path;
}

bool TSftpClient::Exists(const std::string& path) {
    sftp_attributes attributes = sftp_lstat(Sftp, path.c_str());
    if (!attributes) return sftp_get_error(Sftp) != SSH_FX_NO_SUCH_FILE;
    sftp_attributes_free(attributes);
    return true;
}

bool TSftpClient::Remove(const std::string& path) {
    if (sftp_unlink(Sftp, path.c_str()) == SSH_OK || sftp_get_error(Sftp) == SSH_FX_NO_SUCH_FILE)
        return true;
    return SftpFail("Removing " + path);
}

bool TSftpClient::Put(const TUpload& upload, const std::function<bool(int64_t bytes)>& progress) {
    LastPutFailure = TPutFailure::Transfer;
    Leftover.clear();
    // The file replaced keeps its permissions, as when it is overwritten in place.
    int mode = 0644;
    bool replacing = false;
    if (sftp_attributes old = sftp_stat(Sftp, upload.RemotePath.c_str())) {
        mode = static_cast<int>(old->permissions & 07777);
        replacing = true;
        sftp_attributes_free(old);
    }
    if (upload.Mode >= 0) mode = upload.Mode;
    const std::string part = PartName(upload.RemotePath);
    // A leftover of an earlier upload goes first: it may carry the permissions of a whole file.
    if (!Remove(part)) return false;
    const auto removePart = [&] {
        if (!Connected() || sftp_unlink(Sftp, part.c_str()) != SSH_OK) Leftover = part;
        return false;
    };
    // Never runnable while partial: the execute bits come only once the file is whole.
    if (!SendFile(upload, part, mode & 0666, progress)) return removePart();
    if (NeedsMode(part, mode, upload.Mode >= 0) &&
        sftp_chmod(Sftp, part.c_str(), static_cast<mode_t>(mode)) != SSH_OK) {
        SftpFail("Setting the permissions of " + upload.RemotePath + " to " + OctalText(mode));
        if (upload.Mode >= 0) LastPutFailure = TPutFailure::Permissions;
        return removePart();
    }
    const bool placed =
        replacing ? Replace(part, upload.RemotePath)
                  : sftp_rename(Sftp, part.c_str(), upload.RemotePath.c_str()) == SSH_OK ||
                        SftpFail("Renaming " + part + " to " + upload.RemotePath);
    if (!placed) return removePart();
    LastPutFailure = TPutFailure::None;
    return true;
}

bool TSftpClient::NeedsMode(const std::string& path, int mode, bool asked) {
    // Asked for, the change is made even when it changes nothing, so that a server that
    // refuses permission changes says so.
    if (asked) return true;
    sftp_attributes attributes = sftp_stat(Sftp, path.c_str());
    if (!attributes) return true;
    const int current = static_cast<int>(attributes->permissions & 07777);
    sftp_attributes_free(attributes);
    return current != mode;
}

bool TSftpClient::SendFile(const TUpload& upload, const std::string& part, int createMode,
                           const std::function<bool(int64_t bytes)>& progress) {
    std::ifstream in(upload.LocalFile, std::ios::binary);
    if (!in) {
        Error = "Unable to open local file " + upload.LocalFile;
        return false;
    }
    // Made anew, so no earlier file's permissions carry over to the partial one.
    sftp_file file =
        sftp_open(Sftp, part.c_str(), O_WRONLY | O_CREAT | O_EXCL, static_cast<mode_t>(createMode));
    if (!file) return SftpFail("Creating " + part);
    bool ok = true;
    int64_t bytesRead = 0;
    TLfLineEnds lineEnds;
    std::string block;
    const auto write = [&](const std::string& data) {
        size_t done = 0;
        while (ok && done < data.size()) {
            const ssize_t written = sftp_write(file, data.data() + done, data.size() - done);
            if (written <= 0)
                ok = SftpFail("Writing " + part);
            else
                done += static_cast<size_t>(written);
        }
    };
    while (ok) {
        block.resize(WriteBlock);
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        block.resize(static_cast<size_t>(in.gcount()));
        if (block.empty()) break;
        bytesRead += static_cast<int64_t>(block.size());
        write(upload.Ascii ? lineEnds.Convert(block) : block);
        if (ok && progress && !progress(bytesRead)) {
            Error = "Upload cancelled";
            LastPutFailure = TPutFailure::Cancelled;
            ok = false;
        }
    }
    if (ok && in.bad()) {
        Error = "Error reading file " + upload.LocalFile;
        ok = false;
    }
    if (ok && upload.Ascii) write(lineEnds.Finish());
    if (sftp_close(file) != SSH_OK && ok) ok = SftpFail("Closing " + part);
    return ok;
}

// A plain SFTP rename refuses to overwrite. OpenSSH's posix-rename replaces the target at
// once; elsewhere the old file steps aside under a name of its own (never one the user may
// have, such as name.old) until the new one is in place, and comes back when that fails.
bool TSftpClient::Replace(const std::string& part, const std::string& target) {
    const int posix = PosixRename(part, target);
    if (posix == SSH_FX_OK) return true;
    if (posix != SSH_FX_OP_UNSUPPORTED && posix != SSH_FX_PERMISSION_DENIED) {
        Error = "Renaming " + part + " to " + target + ": " + SftpErrorText(posix);
        return false;
    }
    std::string aside;
    for (unsigned attempt = 0; aside.empty() || Exists(aside); ++attempt) {
        if (attempt == 100) return Fail("No free name beside " + target);
        aside = AsideName(target, attempt);
    }
    if (sftp_rename(Sftp, target.c_str(), aside.c_str()) != SSH_OK)
        return SftpFail("Renaming " + part + " to " + target);
    if (sftp_rename(Sftp, part.c_str(), target.c_str()) != SSH_OK) {
        const bool failed = SftpFail("Renaming " + part + " to " + target);
        sftp_rename(Sftp, aside.c_str(), target.c_str());
        return failed;
    }
    sftp_unlink(Sftp, aside.c_str());
    return true;
}

// libssh has no call for this extension, so its request goes out on the SFTP channel here.
// Nothing else is in flight between the client's calls, so the next packet is its answer.
int TSftpClient::PosixRename(const std::string& from, const std::string& to) {
    constexpr uint8_t Extended = 200, Status = 101;
    const char* const Name = "posix-rename@openssh.com";
    if (!sftp_extension_supported(Sftp, Name, "1")) return SSH_FX_OP_UNSUPPORTED;
    const uint32_t id = ++Sftp->id_counter;
    std::string body(1, static_cast<char>(Extended));
    AppendUint32(body, id);
    AppendString(body, Name);
    AppendString(body, from);
    AppendString(body, to);
    std::string packet;
    AppendUint32(packet, static_cast<uint32_t>(body.size()));
    packet += body;
    if (ssh_channel_write(Sftp->channel, packet.data(), static_cast<uint32_t>(packet.size())) !=
        static_cast<int>(packet.size()))
        return SSH_FX_CONNECTION_LOST;
    const auto readAll = [&](unsigned char* into, uint32_t count) {
        uint32_t done = 0;
        while (done < count) {
            const int got = ssh_channel_read_timeout(Sftp->channel, into + done, count - done, 0,
                                                     Login.TimeoutSeconds * 1000);
            if (got <= 0) return false;
            done += static_cast<uint32_t>(got);
        }
        return true;
    };
    unsigned char length[4];
    if (!readAll(length, 4)) return SSH_FX_CONNECTION_LOST;
    const uint32_t size = ReadUint32(length);
    if (size < 9 || size > 64 * 1024) return SSH_FX_BAD_MESSAGE;
    std::vector<unsigned char> reply(size);
    if (!readAll(reply.data(), size)) return SSH_FX_CONNECTION_LOST;
    if (reply[0] != Status || ReadUint32(&reply[1]) != id) return SSH_FX_BAD_MESSAGE;
    return static_cast<int>(ReadUint32(&reply[5]));
}

bool TSftpClient::Connected() const {
    return Session && !Interrupted() && ssh_is_connected(Session);
}

void TSftpClient::Close() {
    if (Sftp) sftp_free(Sftp);
    Sftp = nullptr;
    if (Session) {
        if (ssh_is_connected(Session) && !Interrupted()) ssh_disconnect(Session);
        ssh_free(Session);
    }
    Session = nullptr;
    SocketFd = -1;
}

void TSftpClient::Interrupt() {
    InterruptRequested = true;
    const int fd = SocketFd.load();
    if (fd >= 0) shutdown(fd, SHUT_RDWR);
}

} // namespace korvane
