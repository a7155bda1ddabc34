#include "text/mapped_file.hpp"

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>

namespace vortane {

TFileDescriptor::~TFileDescriptor() {
    Close();
}

TFileDescriptor::TFileDescriptor(TFileDescriptor&& Other) noexcept : FFd(std::exchange(Other.FFd, -1)) {}

TFileDescriptor& TFileDescriptor::operator=(TFileDescriptor&& Other) noexcept {
    if (this != &Other) {
        Close();
        FFd = std::exchange(Other.FFd, -1);
    }
    return *this;
}

int TFileDescriptor::Open(const std::string& Path, int Flags, unsigned Mode) {
    Close();
    int Fd;
    do {
        Fd = ::open(Path.c_str(), Flags | O_CLOEXEC, static_cast<mode_t>(Mode));
    } while (Fd < 0 && errno == EINTR);
    if (Fd < 0) return errno;
    FFd = Fd;
    return 0;
}

void TFileDescriptor::Close() {
    // Never retry close after EINTR on Linux: the descriptor is already released and may be reused.
    if (FFd >= 0) ::close(std::exchange(FFd, -1));
}

int WriteAllAt(int Fd, const void* Bytes, std::size_t Count, std::uint64_t Offset) {
    const auto* Next = static_cast<const char*>(Bytes);
    while (Count > 0) {
        const ssize_t Written = ::pwrite(Fd, Next, Count, static_cast<off_t>(Offset));
        if (Written < 0 && errno == EINTR) continue;
        if (Written < 0) return errno;
        if (Written == 0) return EIO;
        Next += Written;
        Count -= static_cast<std::size_t>(Written);
        Offset += static_cast<std::uint64_t>(Written);
    }
    return 0;
}

TMappedView::~TMappedView() {
    Unmap();
}

TMappedView::TMappedView(TMappedView&& Other) noexcept
    : FData(std::exchange(Other.FData, nullptr)), FLength(std::exchange(Other.FLength, 0)),
      FOffset(std::exchange(Other.FOffset, 0)) {}

TMappedView& TMappedView::operator=(TMappedView&& Other) noexcept {
    if (this != &Other) {
        Unmap();
        FData = std::exchange(Other.FData, nullptr);
        FLength = std::exchange(Other.FLength, 0);
        FOffset = std::exchange(Other.FOffset, 0);
    }
    return *this;
}

int TMappedView::Map(int Fd, std::uint64_t Offset, std::size_t Length, bool Writable) {
    Unmap();
    if (Length == 0 || Offset % Alignment() != 0) return EINVAL;
    if (Offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) return EOVERFLOW;
    const int Protection = Writable ? PROT_READ | PROT_WRITE : PROT_READ;
    void* Address = ::mmap(nullptr, Length, Protection, MAP_SHARED, Fd, static_cast<off_t>(Offset));
    if (Address == MAP_FAILED) return errno;
    FData = static_cast<unsigned char*>(Address);
    FLength = Length;
    FOffset = Offset;
    return 0;
}

void TMappedView::ReleasePages() {
    if (FData != nullptr) ::madvise(FData, FLength, MADV_DONTNEED);
}

void TMappedView::Unmap() {
    if (FData != nullptr) ::munmap(FData, FLength);
    FData = nullptr;
    FLength = 0;
    FOffset = 0;
}

} // namespace vortane
