#include "platform/child_process.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
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

int ExitCodeOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
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
    Pipe input, output, errors, commands;
    if (!input.Open() || !output.Open() || !errors.Open() || (commandChannel && !commands.Open())) {
        error = std::strerror(errno);
        input.Close();
        output.Close();
        errors.Close();
        commands.Close();
        return false;
    }

    FileActions actions;
    posix_spawn_file_actions_adddup2(actions.Get(), input.Read, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(actions.Get(), output.Write, STDOUT_FILENO);
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
    close(input.Read);
    close(output.Write);
    close(errors.Write);
    if (commandChannel) close(commands.Read);
    if (failure != 0) {
        error = std::strerror(failure);
        close(input.Write);
        close(output.Read);
        close(errors.Read);
        if (commandChannel) close(commands.Write);
        return false;
    }
    Pid = pid;
    PidFd = OpenPidFd(pid);
    InFd = input.Write;
    OutFd = output.Read;
    ErrFd = errors.Read;
    CommandFd = commandChannel ? commands.Write : -1;
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
    if (HasExited()) return;
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

void ChildProcess::Interrupt() {
    if (Started() && !HasExited()) kill(-Pid, SIGINT);
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
    return exitCode;
}

} // namespace korvane
