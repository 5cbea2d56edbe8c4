#include "platform/child_process.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace korvane {
namespace {

using Clock = std::chrono::steady_clock;

// Pointers into the strings for the exec call; the strings must outlive the result.
std::vector<char*> PointerArray(const std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (const std::string& s : strings)
        pointers.push_back(const_cast<char*>(s.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

void SetNonBlocking(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

int OpenPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

// The spawn attributes: a new session, default signal handling and an empty signal mask, so
// the child is not marked by this program's own signal arrangements.
class SpawnAttributes {
public:
    SpawnAttributes() {
        posix_spawnattr_init(&Attributes);
        sigset_t all;
        sigfillset(&all);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigdefault(&Attributes, &all);
        posix_spawnattr_setsigmask(&Attributes, &none);
        posix_spawnattr_setflags(&Attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF |
                                                  POSIX_SPAWN_SETSIGMASK);
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&Attributes); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    const posix_spawnattr_t* Get() const { return &Attributes; }

private:
    posix_spawnattr_t Attributes;
};

class FileActions {
public:
    FileActions() { posix_spawn_file_actions_init(&Actions); }
    ~FileActions() { posix_spawn_file_actions_destroy(&Actions); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
    posix_spawn_file_actions_t* Get() { return &Actions; }

private:
    posix_spawn_file_actions_t Actions;
};

struct Pipe {
    int Read = -1;
    int Write = -1;
    bool Open() {
        int fds[2];
        // Close-on-exec: only the ends handed over as 0, 1, 2 (and the command descriptor)
        // reach the child.
        if (pipe2(fds, O_CLOEXEC) != 0) return false;
        Read = fds[0];
        Write = fds[1];
        return true;
    }
    void Close() {
        if (Read >= 0) close(Read);
        if (Write >= 0) close(Write);
        Read = Write = -1;
    }
};

// A pseudo-terminal for a child: the master end stays here, the other end becomes the child's
// input and output.
struct PseudoTerminal {
    int Master = -1;
    int Other = -1;
    bool Open() {
        Master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[128];
        if (Master < 0 || grantpt(Master) != 0 || unlockpt(Master) != 0 ||
            ptsname_r(Master, name, sizeof name) != 0) {
            Close();
            return false;
        }
        // Not made the child's controlling terminal: the child has none, as with pipes, so
        // no hang-up or job-control signal comes from it, and a debugger finds no /dev/tty
        // to talk to instead of the IDE.
        Other = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (Other < 0) {
            Close();
            return false;
        }
        termios mode{};
        tcgetattr(Other, &mode);
        // Output arrives as the child wrote it, not with a CR before each line end.
        mode.c_oflag &= ~static_cast<tcflag_t>(ONLCR);
        // Lines are edited before they are sent and an interrupt goes as a signal: what is
        // written is what the child reads, apart from the end-of-file character. No flow
        // control either, so a Ctrl+S typed for the program cannot stop its output.
        mode.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF);
        mode.c_iflag |= IUTF8;
        mode.c_lflag &= ~static_cast<tcflag_t>(ISIG | IEXTEN);
        mode.c_lflag |= ICANON | ECHO | ECHOCTL;
        mode.c_cc[VERASE] = _POSIX_VDISABLE;
        mode.c_cc[VKILL] = _POSIX_VDISABLE;
        mode.c_cc[VEOF] = ChildProcess::TerminalEndOfFile;
        tcsetattr(Other, TCSANOW, &mode);
        winsize size{};
        size.ws_row = 24;
        size.ws_col = 80;
        ioctl(Other, TIOCSWINSZ, &size);
        return true;
    }
    void Close() {
        if (Master >= 0) close(Master);
        if (Other >= 0) close(Other);
        Master = Other = -1;
    }
};

int ExitCodeOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

std::string ProcessFile(pid_t pid, const std::string& name) {
    return "/proc/" + std::to_string(pid) + "/" + name;
}

// The system call a process sleeps in and the call's first argument, as the system shows
// them. False when it runs, is gone, sleeps outside a call, or the system will not say.
bool SleepingCall(pid_t pid, long& call, unsigned long& firstArgument) {
    std::ifstream file(ProcessFile(pid, "syscall"));
    std::string number, argument;
    if (!(file >> number >> argument)) return false;
    char* end = nullptr;
    call = std::strtol(number.c_str(), &end, 10);
    if (end == number.c_str() || *end != '\0' || call < 0) return false;
    firstArgument = std::strtoul(argument.c_str(), &end, 16);
    return end != argument.c_str() && *end == '\0';
}

// The process sleeps in a read of the file given by device and inode.
bool SleepsReading(pid_t pid, dev_t device, ino_t inode) {
    long call = 0;
    unsigned long descriptor = 0;
    if (!SleepingCall(pid, call, descriptor) || (call != SYS_read && call != SYS_readv))
        return false;
    struct stat file {};
    return stat(ProcessFile(pid, "fd/" + std::to_string(descriptor)).c_str(), &file) == 0 &&
           file.st_dev == device && file.st_ino == inode;
}

// The processes of the group, found by what each one says its group is.
std::vector<pid_t> GroupMembers(pid_t group) {
    std::vector<pid_t> members;
    DIR* folder = opendir("/proc");
    if (!folder) return members;
    while (const dirent* entry = readdir(folder)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0') continue;
        std::ifstream file(ProcessFile(static_cast<pid_t>(pid), "stat"));
        std::string line;
        std::getline(file, line);
        // "pid (name) state parent group ...": the name may hold blanks and brackets.
        const size_t nameEnd = line.rfind(')');
        if (nameEnd == std::string::npos) continue;
        char state = 0;
        long parent = 0, itsGroup = 0;
        if (std::sscanf(line.c_str() + nameEnd + 1, " %c %ld %ld", &state, &parent, &itsGroup) ==
                3 &&
            itsGroup == group)
            members.push_back(static_cast<pid_t>(pid));
    }
    closedir(folder);
    return members;
}

} // namespace

ChildProcess::~ChildProcess() {
    if (Started()) Finish(10000);
}

bool ChildProcess::Start(const TProgramStart& start, std::string& error, bool commandChannel) {
    if (Started()) Finish(10000);
    error.clear();
    if (start.Command.Empty()) {
        error = "no program named";
        return false;
    }
    PseudoTerminal terminal;
    // Without a terminal to give (no pseudo-terminals here) the child runs on pipes.
    const bool onTerminal = start.Terminal && terminal.Open();
    Pipe input, output, errors, commands;
    if ((!onTerminal && (!input.Open() || !output.Open())) || !errors.Open() ||
        (commandChannel && !commands.Open())) {
        error = std::strerror(errno);
        terminal.Close();
        input.Close();
        output.Close();
        errors.Close();
        commands.Close();
        return false;
    }
    const int childInput = onTerminal ? terminal.Other : input.Read;
    const int childOutput = onTerminal ? terminal.Other : output.Write;
    struct stat inputFile {};
    fstat(childInput, &inputFile);

    FileActions actions;
    posix_spawn_file_actions_adddup2(actions.Get(), childInput, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(actions.Get(), childOutput, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(actions.Get(), errors.Write, STDERR_FILENO);
    if (commandChannel) {
        // A copy onto the same number would keep close-on-exec: move the end out of the way.
        if (commands.Read == CommandDescriptor) {
            const int moved = fcntl(commands.Read, F_DUPFD_CLOEXEC, CommandDescriptor + 1);
            close(commands.Read);
            commands.Read = moved;
        }
        posix_spawn_file_actions_adddup2(actions.Get(), commands.Read, CommandDescriptor);
    }
    // Whatever else this program holds open (the browser engine's sockets and shared memory,
    // file watches, the web server's listening socket) stays here: libraries open descriptors
    // without close-on-exec, and a child holding a listening socket would keep its port taken.
    posix_spawn_file_actions_addclosefrom_np(actions.Get(), commandChannel ? CommandDescriptor + 1
                                                                           : STDERR_FILENO + 1);
    if (!start.WorkDir.empty())
        posix_spawn_file_actions_addchdir_np(actions.Get(), start.WorkDir.c_str());
    const SpawnAttributes attributes;

    const std::vector<std::string> arguments = start.Command.Words();
    std::vector<char*> argv = PointerArray(arguments);
    std::vector<char*> envp = PointerArray(start.Environment);
    pid_t pid = -1;
    // The exec failure (missing program, no permission, bad folder) comes back as the result.
    const int failure =
        posix_spawnp(&pid, argv[0], actions.Get(), attributes.Get(), argv.data(), envp.data());
    // The child's ends: held here too, the child's end of its output would never come.
    if (onTerminal) {
        close(terminal.Other);
    } else {
        close(input.Read);
        close(output.Write);
    }
    close(errors.Write);
    if (commandChannel) close(commands.Read);
    if (failure != 0) {
        error = std::strerror(failure);
        if (onTerminal) close(terminal.Master);
        close(input.Write);
        close(output.Read);
        close(errors.Read);
        if (commandChannel) close(commands.Write);
        return false;
    }
    Pid = pid;
    PidFd = OpenPidFd(pid);
    // The terminal's one end carries both ways; each direction gets a descriptor of its own
    // so that either can be closed alone.
    InFd = onTerminal ? fcntl(terminal.Master, F_DUPFD_CLOEXEC, 0) : input.Write;
    OutFd = onTerminal ? terminal.Master : output.Read;
    ErrFd = errors.Read;
    CommandFd = commandChannel ? commands.Write : -1;
    TerminalValue = onTerminal;
    InputDevice = inputFile.st_dev;
    InputInode = inputFile.st_ino;
    if (CommandFd >= 0) SetNonBlocking(CommandFd);
    SetNonBlocking(InFd);
    SetNonBlocking(OutFd);
    SetNonBlocking(ErrFd);
    Exited = false;
    return true;
}

void ChildProcess::CloseFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

bool ChildProcess::StreamOpen(ChildStream stream) const {
    return (stream == ChildStream::Output ? OutFd : ErrFd) >= 0;
}

size_t ChildProcess::Read(ChildStream stream, char* buffer, size_t max) {
    int& fd = StreamFd(stream);
    if (fd < 0 || max == 0) return 0;
    for (;;) {
        const ssize_t got = read(fd, buffer, max);
        if (got > 0) return static_cast<size_t>(got);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
        CloseFd(fd); // end of stream or a broken pipe: nothing more will come
        return 0;
    }
}

size_t ChildProcess::WriteTo(int& fd, std::string_view bytes) {
    if (fd < 0 || bytes.empty()) return bytes.size();
    // A child that closed its input must not kill this program with SIGPIPE: block the signal
    // around the write and take back the one the write raised.
    sigset_t pipeSignal, previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    ssize_t written;
    do {
        written = write(fd, bytes.data(), bytes.size());
    } while (written < 0 && errno == EINTR);
    const int failure = written < 0 ? errno : 0;
    if (failure == EPIPE) {
        const timespec noWait{};
        sigtimedwait(&pipeSignal, nullptr, &noWait);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);

    if (written >= 0) return static_cast<size_t>(written);
    if (failure == EAGAIN || failure == EWOULDBLOCK) return 0;
    CloseFd(fd);
    return bytes.size();
}

bool ChildProcess::HasExited() {
    if (!Started()) return true;
    if (Exited) return true;
    siginfo_t info{};
    // WNOWAIT leaves the child unreaped: its process group ID stays ours until Finish.
    if (waitid(P_PID, static_cast<id_t>(Pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0) {
        Exited = info.si_pid == Pid;
    } else if (errno == ECHILD) {
        Exited = true;
    }
    return Exited;
}

void ChildProcess::WaitForActivity(int timeoutMs, bool wantToWrite, bool wantToWriteCommands) {
    // With a process descriptor the wait below ends at the exit; asking first as well would
    // cost a system call for every piece of output read.
    if (Exited || (PidFd < 0 && HasExited())) return;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        pollfd fds[5];
        nfds_t count = 0;
        if (OutFd >= 0) fds[count++] = {OutFd, POLLIN, 0};
        if (ErrFd >= 0) fds[count++] = {ErrFd, POLLIN, 0};
        if (wantToWrite && InFd >= 0) fds[count++] = {InFd, POLLOUT, 0};
        if (wantToWriteCommands && CommandFd >= 0) fds[count++] = {CommandFd, POLLOUT, 0};
        if (PidFd >= 0) fds[count++] = {PidFd, POLLIN, 0};
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return;
        // Without a process descriptor the exit is noticed by looking again every 10 ms.
        const int slice =
            PidFd >= 0 ? static_cast<int>(left) : static_cast<int>(std::min<long long>(left, 10));
        const int ready = poll(fds, count, slice);
        if (ready > 0) return;
        if (ready < 0 && errno != EINTR) return;
        if (PidFd < 0 && HasExited()) return;
    }
}

bool ChildProcess::WaitsForInput() const {
    if (!Started() || Exited) return false;
    if (SleepsReading(Pid, InputDevice, InputInode)) return true;
    long call = 0;
    unsigned long argument = 0;
    if (!SleepingCall(Pid, call, argument) || (call != SYS_wait4 && call != SYS_waitid))
        return false;
    // The child waits for a program it started (system, backticks), which may be the reader.
    const std::vector<pid_t> members = GroupMembers(Pid);
    return std::any_of(members.begin(), members.end(), [this](pid_t member) {
        return member != Pid && SleepsReading(member, InputDevice, InputInode);
    });
}

void ChildProcess::Interrupt() {
    if (Started() && !HasExited()) kill(-Pid, SIGINT);
}

void ChildProcess::InterruptAlone() {
    if (Started() && !HasExited()) kill(Pid, SIGINT);
}

void ChildProcess::Kill() {
    // The child leads its own group; the group goes whether or not the child has exited, so
    // nothing it started is left running. The unreaped child keeps the group ID ours.
    if (Started()) kill(-Pid, SIGKILL);
}

int ChildProcess::Finish(int timeoutMs) {
    if (!Started()) return -1;
    Kill();
    CloseFd(InFd);
    CloseFd(CommandFd);
    CloseFd(OutFd);
    CloseFd(ErrFd);

    int exitCode = -1;
    bool reaped = false;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(Pid, &status, WNOHANG);
        if (done == Pid) {
            exitCode = ExitCodeOf(status);
            reaped = true;
            break;
        }
        if (done < 0 && errno != EINTR) {
            reaped = true; // someone else reaped it; nothing is left to wait for
            break;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) break;
        if (PidFd >= 0) {
            pollfd fd{PidFd, POLLIN, 0};
            poll(&fd, 1, static_cast<int>(left));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::min<long long>(left, 10)));
        }
    }
    if (!reaped) {
        // Killed but stuck in the kernel: reap it whenever it goes, so no zombie stays behind.
        const pid_t pid = Pid;
        std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    }
    CloseFd(PidFd);
    Pid = -1;
    Exited = false;
    TerminalValue = false;
    return exitCode;
}

} // namespace korvane
