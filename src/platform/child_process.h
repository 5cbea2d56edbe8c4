#pragma once
// One child program with its standard input, output and error on pipes, or with its input and
// output on a pseudo-terminal of its own. The child runs in a session of its own, so that
// stopping it also stops everything it started. No call here blocks for longer than the time
// it is given: reads and writes move what they can at once.
#include "platform/command_line.h"

#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>

namespace korvane {

// Everything a program is started from.
struct TProgramStart {
    TCommandLine Command;
    std::string WorkDir;                  // "": this program's own folder
    std::vector<std::string> Environment; // NAME=value lines, exactly what the child gets
    // Input and output on a pseudo-terminal instead of pipes, as a program run at a terminal
    // has them: it writes its output line by line (a prompt shows before it reads) and may
    // ask whether it talks to a terminal. Errors stay on a pipe of their own.
    bool Terminal = false;
};

enum class ChildStream { Output, Error };

class ChildProcess {
public:
    ChildProcess() = default;
    // Finishes a child that is still there.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The descriptor on which a child started with a command channel reads it.
    static constexpr int CommandDescriptor = 3;

    // Starts the command's program (looked up on this program's PATH when it holds no "/")
    // with exactly the start's environment, in its folder unless that is empty. With commandChannel
    // the child also gets a pipe of its own to read on CommandDescriptor (a debugger's
    // commands, kept apart from the program's input). The child gets no other descriptor of
    // this program, whether or not it was opened close-on-exec. On failure returns false with the
    // system's reason in error, and nothing stays open.
    bool Start(const TProgramStart& start, std::string& error, bool commandChannel = false);

    // The character that ends a terminal's input: the child reads end of file from it (and
    // may read on afterwards, as at a terminal).
    static constexpr char TerminalEndOfFile = '\x04';

    bool Started() const { return Pid > 0; }
    // The child's input and output are a terminal; false with pipes, also when a terminal was
    // asked for and the system had none to give (the child then runs on pipes).
    bool Terminal() const { return TerminalValue; }
    pid_t ProcessId() const { return Pid; }

    // Reads at most max bytes that are waiting on the stream; 0 when none are. The end of the
    // stream closes our end of its pipe.
    size_t Read(ChildStream stream, char* buffer, size_t max);
    bool StreamOpen(ChildStream stream) const;

    // Writes what the input pipe takes now and returns that count. When the child has closed
    // its input, the bytes are dropped (all count as written) and our end is closed.
    size_t Write(std::string_view bytes) { return WriteTo(InFd, bytes); }
    bool InputOpen() const { return InFd >= 0; }
    // Closes the child's input: it reads end of file once it has taken what was written. A
    // terminal's input is ended by writing TerminalEndOfFile instead: closing it would close
    // the child's output too, so here it only stops our writing.
    void CloseInput() { CloseFd(InFd); }
    // The same for the command channel; without one every byte counts as written (dropped).
    size_t WriteCommands(std::string_view bytes) { return WriteTo(CommandFd, bytes); }

    // True once the child has exited. It stays unreaped until Finish, so its process group
    // cannot be taken by an unrelated program before the group is killed.
    bool HasExited();

    // Returns when the child has exited, bytes wait on an open stream, the input pipe has room
    // (only with wantToWrite), the command pipe has room (only with wantToWriteCommands), or
    // after timeoutMs.
    void WaitForActivity(int timeoutMs, bool wantToWrite, bool wantToWriteCommands = false);

    // True while the child, or a program of its group that it waits for, sleeps in a read of
    // its standard input (the pipe or terminal it was started with, under any descriptor).
    // Asks the system what the processes are doing; false when it will not say.
    bool WaitsForInput() const;

    // Interrupts the child's whole process group (a pause).
    void Interrupt();
    // Interrupts the child alone: what it started runs on.
    void InterruptAlone();
    // Kills the child's whole process group; the pipes stay open so what was written before
    // can still be read.
    void Kill();

    // Kills the child's whole process group, closes every pipe and reaps the child, waiting up
    // to timeoutMs. Returns the exit code, 128 + the signal number for a child that a signal
    // ended, or -1 when there was no child or it could not be reaped in time.
    int Finish(int timeoutMs);

private:
    void CloseFd(int& fd);
    size_t WriteTo(int& fd, std::string_view bytes);
    int& StreamFd(ChildStream stream) { return stream == ChildStream::Output ? OutFd : ErrFd; }

    pid_t Pid = -1;
    int PidFd = -1; // -1 where the kernel has no process descriptors: waits then poll in slices
    int InFd = -1;
    int OutFd = -1;
    int ErrFd = -1;
    int CommandFd = -1;
    bool Exited = false;
    bool TerminalValue = false;
    // The file the child's input is, as the system names it (device and inode).
    dev_t InputDevice = 0;
    ino_t InputInode = 0;
};

} // namespace korvane
