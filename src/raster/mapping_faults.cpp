#include "raster/mapping_faults.hpp"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

namespace vortane {

namespace {

// The handler may run in any thread at any moment: it only touches these lock-free slots.
constexpr std::size_t FaultSlots = 64;
std::array<std::atomic<std::uintptr_t>, FaultSlots> GFaults{};
std::atomic<std::size_t> GNextSlot{0};
std::uintptr_t GPageSize = 4096;
struct sigaction GPrevious {};

void OnBusError(int /*Signal*/, siginfo_t* Info, void* /*Context*/) {
    const auto Address = reinterpret_cast<std::uintptr_t>(Info->si_addr);
    void* Page = reinterpret_cast<void*>(Address & ~(GPageSize - 1));
    // BUS_ADRERR is a mapped page with no file behind it; anything else is not ours to mend.
    if (Info->si_code == BUS_ADRERR && Address != 0 &&
        ::mmap(Page, GPageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) !=
            MAP_FAILED) {
        GFaults[GNextSlot.fetch_add(1) % FaultSlots].store(Address);
        return;
    }
    // The faulting access runs again and meets the previous disposition.
    ::sigaction(SIGBUS, &GPrevious, nullptr);
}

} // namespace

void GuardMappingFaults() {
    static std::once_flag Installed;
    std::call_once(Installed, [] {
        GPageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        struct sigaction Action {};
        Action.sa_sigaction = OnBusError;
        Action.sa_flags = SA_SIGINFO;
        sigemptyset(&Action.sa_mask);
        ::sigaction(SIGBUS, &Action, &GPrevious);
    });
}

bool TakeMappingFaults(const unsigned char* Begin, std::size_t Length) {
    if (Begin == nullptr || Length == 0) return false;
    const auto Low = reinterpret_cast<std::uintptr_t>(Begin);
    bool Hit = false;
    for (std::atomic<std::uintptr_t>& Slot : GFaults) {
        std::uintptr_t Address = Slot.load();
        if (Address >= Low && Address - Low < Length && Slot.compare_exchange_strong(Address, 0)) Hit = true;
    }
    return Hit;
}

} // namespace vortane
