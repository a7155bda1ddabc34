#pragma once
// One run of the worker on behalf of a window. The worker's progress hand-over becomes a blocking
// queued call into the window's thread and its end event a queued call, so the window's handlers run
// in the window thread only. The window never waits for the worker while the worker may be blocked in
// that hand-over: a stop only requests the stop, the hand-over is skipped once a stop was requested,
// and the worker is released in the end event's handler, when its thread has nothing left to do.

#include "job/worker.hpp"

#include <atomic>
#include <functional>
#include <memory>
#include <string>

class QObject;

namespace vortane {

class TWindowJob final : private TJobObserver {
public:
    using TProgressHandler = std::function<void(const TProgressView&)>;
    using TEndHandler = std::function<void(const std::string& Message)>;
    using TFailureHandler = std::function<void(const std::string& Reason)>;

    // The handlers run in Window's thread; Window must outlive this object. A run's failures (why a
    // file failed, naming it) reach OnFailure before its end reaches OnEnd.
    TWindowJob(QObject& Window, TProgressHandler OnProgress, TEndHandler OnEnd,
               TFailureHandler OnFailure = {});
    // A run still going is stopped, and its end event awaited, before anything is released.
    ~TWindowJob() override;
    TWindowJob(const TWindowJob&) = delete;
    TWindowJob& operator=(const TWindowJob&) = delete;

    // Starts a worker in its own thread; only while no run is going.
    void Start(std::string InName, std::string OutName, const TJobOptions& Options, TJobSelection& Selection);
    // Asks the run to stop after its current row or list entry; never waits.
    void RequestStop();
    // From Start until the end event's handler has run.
    bool Running() const { return FWorker != nullptr; }
    // Processes the window thread's events until the end event of the current run has been handled.
    void WaitForEnd();

private:
    void ShowProgress(const TProgressView& View) override;  // worker thread
    void JobFinished(const std::string& Message) override;  // worker thread
    void ReportFailure(const std::string& Reason) override; // worker thread
    void Finish(const std::string& Message);                // window thread

    QObject& FWindow;
    TProgressHandler FOnProgress;
    TEndHandler FOnEnd;
    TFailureHandler FOnFailure;
    std::atomic<bool> FStopRequested{false};
    std::atomic<unsigned> FHandOvers{0};
    std::unique_ptr<TMyThread> FWorker;
};

} // namespace vortane
