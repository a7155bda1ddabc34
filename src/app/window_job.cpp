#include "app/window_job.hpp"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QObject>

namespace vortane {

TWindowJob::TWindowJob(QObject& Window, TProgressHandler OnProgress, TEndHandler OnEnd,
                       TFailureHandler OnFailure)
    : FWindow(Window), FOnProgress(std::move(OnProgress)), FOnEnd(std::move(OnEnd)),
      FOnFailure(std::move(OnFailure)) {}

TWindowJob::~TWindowJob() {
    if (!Running()) return;
    RequestStop();
    WaitForEnd();
}

void TWindowJob::Start(std::string InName, std::string OutName, const TJobOptions& Options,
                       TJobSelection& Selection) {
    FStopRequested = false;
    FWorker = TMyThread::Create(std::move(InName), std::move(OutName), Options, Selection, *this);
}

void TWindowJob::RequestStop() {
    if (!FWorker) return;
    FStopRequested = true;
    FWorker->RequestStop();
}

void TWindowJob::WaitForEnd() {
    while (Running())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void TWindowJob::ShowProgress(const TProgressView& View) {
    // Once a stop is requested the window may be waiting for the end event; the worker sees the
    // stop after this row anyway, so the display has nothing left to gain from the hand-over.
    if (FStopRequested) return;
    // The blocking call orders the two threads through Qt's own wait, which ThreadSanitizer cannot see
    // into; the counter states the same order in C++ terms: View is complete before the window reads
    // it, and the window is done with it before the worker goes on.
    FHandOvers.fetch_add(1, std::memory_order_release);
    QMetaObject::invokeMethod(
        &FWindow,
        [this, &View] {
            FHandOvers.load(std::memory_order_acquire);
            FOnProgress(View);
            FHandOvers.fetch_add(1, std::memory_order_release);
        },
        Qt::BlockingQueuedConnection);
    FHandOvers.load(std::memory_order_acquire);
}

void TWindowJob::JobFinished(const std::string& Message) {
    QMetaObject::invokeMethod(
        &FWindow, [this, Message] { Finish(Message); }, Qt::QueuedConnection);
}

// Queued like the end event and before it, so the window has every reason when the end arrives.
void TWindowJob::ReportFailure(const std::string& Reason) {
    if (!FOnFailure) return;
    QMetaObject::invokeMethod(
        &FWindow, [this, Reason] { FOnFailure(Reason); }, Qt::QueuedConnection);
}

void TWindowJob::Finish(const std::string& Message) {
    FWorker.reset(); // the body has returned: joining the thread takes no time
    FOnEnd(Message);
}

} // namespace vortane
