#include "raster/tiff/block_queue.hpp"

#include <algorithm>
#include <exception>
#include <utility>

namespace vortane {

TBlockQueue::TBlockQueue(TEncode Encode, std::size_t Depth)
    : FEncode(std::move(Encode)), FDepth(std::max<std::size_t>(Depth, 1)), FThread([this] { Work(); }) {}

TBlockQueue::~TBlockQueue() {
    {
        const std::lock_guard Guard(FLock);
        FStopping = true;
        FWaiting.clear();
    }
    FChanged.notify_all();
}

void TBlockQueue::Push(std::uint32_t First, std::vector<unsigned char> Rows, std::uint32_t Count) {
    std::unique_lock Guard(FLock);
    FChanged.wait(Guard, [this] { return FWaiting.size() < FDepth; });
    FWaiting.push_back({First, Count, std::move(Rows)});
    FChanged.notify_all();
}

bool TBlockQueue::Drain() {
    std::unique_lock Guard(FLock);
    FChanged.wait(Guard, [this] { return FWaiting.empty() && !FBusy; });
    return !FFailed;
}

void TBlockQueue::Work() {
    std::unique_lock Guard(FLock);
    for (;;) {
        FChanged.wait(Guard, [this] { return FStopping || !FWaiting.empty(); });
        if (FStopping) return;
        TBlock Block = std::move(FWaiting.front());
        FWaiting.pop_front();
        FBusy = true;
        FChanged.notify_all(); // room for the next block
        const bool Skip = FFailed;
        Guard.unlock();
        bool Encoded = false;
        try {
            Encoded = !Skip && FEncode(Block.First, Block.Rows.data(), Block.Count);
        } catch (const std::exception&) {
        }
        Block.Rows = {}; // the memory goes back before the next block is taken
        Guard.lock();
        FFailed = FFailed || !Encoded;
        FBusy = false;
        FChanged.notify_all();
    }
}

} // namespace vortane
