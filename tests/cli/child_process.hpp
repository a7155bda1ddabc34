#pragma once
// The real vortane-cli as a child process, for what only a separate process shows: a run killed in the
// middle, a second run beside a running one, a file size limit. Nothing here waits for a fixed time: a
// child is caught in the middle of an image by a terminal nobody reads (its progress bar fills the
// terminal's buffer and the write blocks), and files are waited on through inotify.

#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <string>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace vortane::test {

inline const std::string CliProgram = VORTANE_BINARY_DIR "/bin/vortane-cli";

// Owns one file descriptor.
class TFd {
public:
    explicit TFd(int Fd = -1) : FFd(Fd) {}
    ~TFd() {
        if (FFd >= 0) ::close(FFd);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return FFd; }

private:
    int FFd;
};

// A pseudo terminal whose output nobody reads. A child with its stderr here takes it for a terminal and
// shows its progress bar, until the terminal's buffer (some kilobytes) is full and the next write
// blocks: a long enough image holds the child in its middle for as long as the test wants.
class TUnreadTerminal {
public:
    TUnreadTerminal() : FMaster(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        if (FMaster.Get() < 0 || ::grantpt(FMaster.Get()) != 0 || ::unlockpt(FMaster.Get()) != 0)
            ADD_FAILURE() << "no pseudo terminal";
        else
            FSlaveName = ::ptsname(FMaster.Get());
    }
    const std::string& SlaveName() const { return FSlaveName; }

private:
    TFd FMaster;
    std::string FSlaveName;
};

struct TChildSetup {
    std::string Stdout = "/dev/null";
    std::string Stderr = "/dev/null"; // a file, or a terminal's slave name
    long long FileSizeLimit = -1;     // RLIMIT_FSIZE in bytes; -1: the test's own
};

// One child running Program with Args; killed and reaped when the object ends while it runs.
class TChild {
public:
    TChild(const std::string& Program, const std::vector<std::string>& Args, const TChildSetup& Setup = {}) {
        std::vector<std::string> Words{Program};
        Words.insert(Words.end(), Args.begin(), Args.end());
        std::vector<char*> Argv;
        for (std::string& Word : Words)
            Argv.push_back(Word.data());
        Argv.push_back(nullptr);
        // Only system calls between fork and exec: the test program has threads.
        FPid = ::fork();
        if (FPid == 0) {
            const int Out = ::open(Setup.Stdout.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int Err = ::open(Setup.Stderr.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOCTTY, 0644);
            if (Out < 0 || Err < 0 || ::dup2(Out, 1) < 0 || ::dup2(Err, 2) < 0) ::_exit(126);
            if (Setup.FileSizeLimit >= 0) {
                const rlimit Limit{static_cast<rlim_t>(Setup.FileSizeLimit),
                                   static_cast<rlim_t>(Setup.FileSizeLimit)};
                if (::setrlimit(RLIMIT_FSIZE, &Limit) != 0) ::_exit(126);
            }
            ::execv(Argv[0], Argv.data());
            ::_exit(127);
        }
        if (FPid < 0) ADD_FAILURE() << "fork failed";
    }
    ~TChild() {
        if (FPid > 0 && !FReaped) {
            Kill();
            Wait();
        }
    }
    TChild(const TChild&) = delete;
    TChild& operator=(const TChild&) = delete;

    pid_t Pid() const { return FPid; }
    void Kill() const { ::kill(FPid, SIGKILL); }
    // The status as waitpid gives it.
    int Wait() {
        int Status = 0;
        while (::waitpid(FPid, &Status, 0) < 0 && errno == EINTR) {
        }
        FReaped = true;
        return Status;
    }

private:
    pid_t FPid = -1;
    bool FReaped = false;
};

inline bool ExitedWith(int Status, int Code) {
    return WIFEXITED(Status) && WEXITSTATUS(Status) == Code;
}

// Waits until the file at FileName holds Text, or the process Watched has ended. True when the text
// came. The file is read again after every change in its folder, so nothing is missed and nothing
// waits longer than it must; a deadline far beyond any working run only keeps a broken one from
// hanging the test.
inline bool WaitForText(const std::string& FileName, const std::string& Text, pid_t Watched) {
    const TFd Notify(::inotify_init1(IN_CLOEXEC));
    const std::string Folder = std::filesystem::path(FileName).parent_path().string();
    const TFd Ended(static_cast<int>(::syscall(SYS_pidfd_open, Watched, 0)));
    if (Notify.Get() < 0 || Ended.Get() < 0 ||
        ::inotify_add_watch(Notify.Get(), Folder.c_str(),
                            IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE | IN_MOVED_TO) < 0) {
        ADD_FAILURE() << "cannot watch " << Folder;
        return false;
    }
    constexpr int DeadlineMs = 300'000;
    for (;;) {
        if (ReadText(FileName).find(Text) != std::string::npos) return true;
        pollfd Ready[2] = {{Notify.Get(), POLLIN, 0}, {Ended.Get(), POLLIN, 0}};
        if (::poll(Ready, 2, DeadlineMs) <= 0) return false;
        if (Ready[1].revents != 0) return ReadText(FileName).find(Text) != std::string::npos;
        char Events[4096];
        (void)!::read(Notify.Get(), Events, sizeof Events);
    }
}

} // namespace vortane::test
