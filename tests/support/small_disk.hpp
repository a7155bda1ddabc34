#pragma once
// A small tmpfs mounted for one test, so that a full disk can be met for real; unmounted with the
// object whatever the test's outcome. Mounting needs privileges a CI runner may not grant: callers
// skip with Reason() when Mounted() is false.

#include <cerrno>
#include <filesystem>
#include <string>
#include <sys/mount.h>
#include <system_error>

namespace vortane::test {

class TSmallDisk {
public:
    TSmallDisk(const std::string& Point, const std::string& Size) : FPoint(Point) {
        std::filesystem::create_directories(Point);
        if (::mount("tmpfs", Point.c_str(), "tmpfs", 0, ("size=" + Size).c_str()) == 0)
            FMounted = true;
        else
            FReason = "cannot mount a small tmpfs here (" + std::generic_category().message(errno) + ")";
    }
    ~TSmallDisk() {
        if (FMounted) ::umount2(FPoint.c_str(), MNT_DETACH);
    }
    TSmallDisk(const TSmallDisk&) = delete;
    TSmallDisk& operator=(const TSmallDisk&) = delete;

    bool Mounted() const { return FMounted; }
    const std::string& Reason() const { return FReason; }

private:
    std::string FPoint;
    bool FMounted = false;
    std::string FReason;
};

} // namespace vortane::test
