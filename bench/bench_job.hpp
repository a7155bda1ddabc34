#pragma once
// What the whole-job benchmarks share: the built catalogue, a silent observer, the selection of two
// systems, and the peak resident memory of the process.

#include "catalogue/catalogue.hpp"
#include "job/worker.hpp"
#include "text/strings.hpp"

#include <cstdlib>
#include <sys/resource.h>

namespace vortane::bench {

// The catalogue the build writes beside the programs, one level up from the benchmarks.
inline TCSList& Catalogue() {
    static TCSList* Loaded = [] {
        auto* List = new TCSList;
        if (!List->LoadAll(ProgramDir() + "../bin/")) std::abort();
        return List;
    }();
    return *Loaded;
}

class TQuietObserver final : public TJobObserver {
public:
    void ShowProgress(const TProgressView&) override {}
    void JobFinished(const std::string&) override {}
};

struct TEnd {
    const char* Spheroid;
    const char* Datum;
    const char* System;
};

inline void Select(TJobSelection& Selection, const TEnd& In, const TEnd& Out) {
    const TCSList& List = Catalogue();
    Selection.InSpheroid = List.FindSpheroid(In.Spheroid);
    Selection.InDatum = List.FindDatum(In.Datum);
    Selection.InProjection = List.FindSystem(In.System);
    Selection.OutSpheroid = List.FindSpheroid(Out.Spheroid);
    Selection.OutDatum = List.FindDatum(Out.Datum);
    Selection.OutProjection = List.FindSystem(Out.System);
    Selection.HubSpheroid = List.FindSpheroid("WE");
    Selection.OutSpheroidName = Out.Spheroid;
    Selection.OutDatumName = Out.Datum;
    Selection.OutProjectionName = Out.System;
}

// Peak resident memory of this process in megabytes (mapped file pages count towards it).
inline double PeakMegabytes() {
    rusage Usage{};
    getrusage(RUSAGE_SELF, &Usage);
    return Usage.ru_maxrss / 1024.0; // kilobytes on Linux
}

} // namespace vortane::bench
