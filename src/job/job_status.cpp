#include "job/job_status.hpp"

namespace vortane {

TJobStatus TJobStatus::Success() {
    return {TKind::Success, "Successful Finish"};
}

TJobStatus TJobStatus::UserAbort() {
    return {TKind::UserAbort, "User Abort"};
}

TJobStatus TJobStatus::OpenError(int Code) {
    return Failure("OpenError " + std::to_string(Code));
}

TJobStatus TJobStatus::Failure(std::string Text) {
    return {TKind::Failure, std::move(Text)};
}

} // namespace vortane
