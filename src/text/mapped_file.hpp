#pragma once
// Small RAII owners for POSIX file descriptors and memory-mapped views. Neither throws: failures are
// reported through errno values kept by the caller. The view never owns the descriptor it maps.

#include <cstddef>
#include <cstdint>
#include <string>

namespace vortane {

// Writes all Count bytes at file position Offset of Fd, retrying after EINTR and short writes. Returns
// 0 or the errno value (EIO when the file takes no more).
int WriteAllAt(int Fd, const void* Bytes, std::size_t Count, std::uint64_t Offset);

// Owns one open file descriptor; closes it on destruction. Movable, not copyable.
class TFileDescriptor {
public:
    TFileDescriptor() = default;
    explicit TFileDescriptor(int Fd) : FFd(Fd) {}
    ~TFileDescriptor();
    TFileDescriptor(TFileDescriptor&& Other) noexcept;
    TFileDescriptor& operator=(TFileDescriptor&& Other) noexcept;
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;

    // Opens with O_CLOEXEC, retrying after EINTR. Returns 0 or the errno value.
    int Open(const std::string& Path, int Flags, unsigned Mode = 0644);
    void Close();
    int Get() const { return FFd; }
    explicit operator bool() const { return FFd >= 0; }

private:
    int FFd = -1;
};

// Owns one mapped view; unmaps it on destruction. Movable, not copyable.
class TMappedView {
public:
    // Legal view offsets are multiples of this (a multiple of every Linux page size).
    static constexpr std::uint64_t Alignment() { return 64 * 1024; }

    TMappedView() = default;
    ~TMappedView();
    TMappedView(TMappedView&& Other) noexcept;
    TMappedView& operator=(TMappedView&& Other) noexcept;
    TMappedView(const TMappedView&) = delete;
    TMappedView& operator=(const TMappedView&) = delete;

    // Maps Length bytes of Fd from Offset (a multiple of Alignment()). Returns 0 or the errno value.
    // The caller must make sure Offset + Length does not pass the file's size: touching bytes beyond
    // the end of a file through a mapping raises SIGBUS.
    int Map(int Fd, std::uint64_t Offset, std::size_t Length, bool Writable);
    void Unmap();
    // Drops the view's pages from the process (they stay in the system's file cache): a later access
    // reads them again. Only for views that were not written.
    void ReleasePages();

    unsigned char* Data() const { return FData; }
    std::size_t Length() const { return FLength; }
    std::uint64_t Offset() const { return FOffset; }
    explicit operator bool() const { return FData != nullptr; }

private:
    unsigned char* FData = nullptr;
    std::size_t FLength = 0;
    std::uint64_t FOffset = 0;
};

} // namespace vortane
