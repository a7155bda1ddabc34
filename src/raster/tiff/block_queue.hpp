#pragma once
// Blocks of rows encoded on a thread of their own, in the order they were handed over, while the next
// rows are computed. At most Depth blocks wait, so memory stays bounded: a hand-over waits while the
// queue is full. After the first failed block the later ones are dropped; Drain tells.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vortane {

class TBlockQueue {
public:
    // Encode(First, Rows, Count) encodes the block of Count rows starting at row First; false when it fails.
    using TEncode = std::function<bool(std::uint32_t, const unsigned char*, std::uint32_t)>;

    explicit TBlockQueue(TEncode Encode, std::size_t Depth = 1);
    // Drops the blocks still waiting and ends the thread.
    ~TBlockQueue();
    TBlockQueue(const TBlockQueue&) = delete;
    TBlockQueue& operator=(const TBlockQueue&) = delete;

    void Push(std::uint32_t First, std::vector<unsigned char> Rows, std::uint32_t Count);
    // Waits until every block handed over is encoded; false when any failed.
    bool Drain();

private:
    struct TBlock {
        std::uint32_t First, Count;
        std::vector<unsigned char> Rows;
    };
    void Work();

    TEncode FEncode;
    std::size_t FDepth;
    std::mutex FLock;
    std::condition_variable FChanged;
    std::deque<TBlock> FWaiting;
    bool FBusy = false, FFailed = false, FStopping = false;
    std::jthread FThread; // last: started once the members it uses exist
};

} // namespace vortane
