#include "job/text_output.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vortane {

namespace {

int OpenFlags(ETextOpen Mode) {
    // O_NONBLOCK: opening a FIFO for writing would otherwise wait for a reader for ever.
    const int Common = O_WRONLY | O_CREAT | O_NONBLOCK;
    switch (Mode) {
    case ETextOpen::Truncate:
        return Common | O_TRUNC;
    case ETextOpen::Append:
        return Common | O_APPEND;
    case ETextOpen::Keep:
        break;
    }
    return Common;
}

std::string WhatItIs(const struct stat& Status) {
    if (S_ISREG(Status.st_mode)) return {};
    if (S_ISDIR(Status.st_mode)) return "it is a folder";
    return "it is not a regular file";
}

} // namespace

std::string NotARegularFile(const std::string& Path) {
    struct stat Status {};
    if (::stat(Path.c_str(), &Status) != 0) return {};
    return WhatItIs(Status);
}

bool OpenTextOutput(const std::string& FileName, ETextOpen Mode, TFileDescriptor& File, std::string& Error) {
    // Said before opening: a FIFO without a reader would only answer "No such device or address".
    std::string Kind = NotARegularFile(FileName);
    if (Kind.empty()) {
        if (const int Code = File.Open(FileName, OpenFlags(Mode)); Code != 0) {
            Error = "Cannot write " + FileName + ": " + std::strerror(Code);
            return false;
        }
        // The name may have been replaced between the look and the open.
        struct stat Status {};
        Kind = ::fstat(File.Get(), &Status) == 0 ? WhatItIs(Status) : std::strerror(errno);
        if (Kind.empty()) return true;
        File.Close();
    }
    Error = "Cannot write " + FileName + ": " + Kind;
    return false;
}

bool WriteAllText(const TFileDescriptor& File, const std::string& FileName, std::string_view Text,
                  std::string& Error) {
    while (!Text.empty()) {
        const ssize_t Written = ::write(File.Get(), Text.data(), Text.size());
        if (Written < 0 && errno == EINTR) continue;
        if (Written <= 0) {
            Error = "Cannot write " + FileName + ": " + std::strerror(Written < 0 ? errno : EIO);
            return false;
        }
        Text.remove_prefix(static_cast<std::size_t>(Written));
    }
    return true;
}

bool WriteTextLine(const std::string& FileName, ETextOpen Mode, std::string_view Line, std::string& Error) {
    TFileDescriptor File;
    if (!OpenTextOutput(FileName, Mode, File, Error)) return false;
    std::string Text(Line);
    Text += "\r\n";
    return WriteAllText(File, FileName, Text, Error);
}

} // namespace vortane
