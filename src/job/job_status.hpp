#pragma once
// How a run (or one image of a photo list) ended, with the text the user sees: "Successful Finish",
// "User Abort", or what stopped it ("OpenError 2", "X Step = 0", ...). Both front ends decide by the
// kind and show the text.

#include <string>

namespace vortane {

class TJobStatus {
public:
    static TJobStatus Success();
    static TJobStatus UserAbort();
    // "OpenError N": an image could not be opened or created; Code is its errno value, 1 for the
    // program's own reasons, 0 for a name no format takes.
    static TJobStatus OpenError(int Code);
    static TJobStatus Failure(std::string Text);

    bool Succeeded() const { return FKind == TKind::Success; }
    bool Aborted() const { return FKind == TKind::UserAbort; }
    // Neither finished nor stopped by the user: the image counts as failed.
    bool Failed() const { return FKind == TKind::Failure; }
    const std::string& Text() const { return FText; }

private:
    enum class TKind { Success, UserAbort, Failure };
    TJobStatus(TKind Kind, std::string Text) : FKind(Kind), FText(std::move(Text)) {}

    TKind FKind;
    std::string FText;
};

} // namespace vortane
