#pragma once
// Shared pieces of the resampling job tests: a tiny coordinate system whose conversions a test can
// compute by hand, spheroids and datums built from catalogue lines, image writing and reading helpers,
// and an observer that records what the worker reports.

#include "crs/datum.hpp"
#include "crs/projection.hpp"
#include "crs/spheroid.hpp"
#include "job/photo_list.hpp"
#include "job/worker.hpp"
#include "raster/data_set.hpp"
#include "raster/raster.hpp"
#include "support/temp_dir.hpp"
#include "text/types.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace vortane::test {

// Metres per radian of the flat test system.
constexpr double FlatRadius = 4194304.0; // 2^22: scaling by it is exact, so round trips are too

// X = FalseEasting + Lon * R, Y = FalseNorthing + Lat * R, in metres: a system whose
// every result a test can write down directly.
class TFlatTestSystem : public TProjection {
public:
    TFlatTestSystem(std::string SystemName, double East, double North)
        : TProjection(std::move(SystemName)), FalseEasting(East), FalseNorthing(North) {}
    std::string GetParamText() const override { return "flat test system"; }
    void GeoToProj(double Lat, double Lon, double H, double& X, double& Y, double& Z) const override {
        X = FalseEasting + Lon * FlatRadius;
        Y = FalseNorthing + Lat * FlatRadius;
        Z = H;
    }
    void ProjToGeo(double X, double Y, double Z, double& Lat, double& Lon, double& H) const override {
        Lon = (X - FalseEasting) / FlatRadius;
        Lat = (Y - FalseNorthing) / FlatRadius;
        H = Z;
    }
    void GetAxisNames(std::string& X, std::string& Y, std::string& Z) const override {
        X = "X", Y = "Y", Z = "Z";
    }
    std::unique_ptr<TProjection> Clone() const override { return std::make_unique<TFlatTestSystem>(*this); }

    double FalseEasting;
    double FalseNorthing;
};

// A flat system (each copy counting for itself) that fails from its CallsBeforeFault-th inverse conversion
// on: by throwing, or by giving NaN as a conversion far outside its domain would.
class TFaultySystem final : public TFlatTestSystem {
public:
    enum class TFault { Throw, NaN };
    TFaultySystem(TFault FaultKind, int CallsBeforeFault)
        : TFlatTestSystem("faulty", 0, 0), Fault(FaultKind), CallsLeft(CallsBeforeFault) {}
    void ProjToGeo(double X, double Y, double Z, double& Lat, double& Lon, double& H) const override {
        TFlatTestSystem::ProjToGeo(X, Y, Z, Lat, Lon, H);
        if (CallsLeft-- > 0) return;
        if (Fault == TFault::Throw) throw std::runtime_error("conversion fault");
        Lat = Lon = std::nan("");
    }
    std::unique_ptr<TProjection> Clone() const override { return std::make_unique<TFaultySystem>(*this); }
    TFault Fault;
    mutable int CallsLeft;
};

class TRecordingObserver final : public TJobObserver {
public:
    void ShowProgress(const TProgressView& View) override {
        Views.push_back(View);
        if (OnProgress) OnProgress();
    }
    void JobFinished(const std::string& Message) override {
        std::lock_guard Lock(FMutex);
        ++EndEvents;
        EndMessage = Message;
        FEnded.notify_all();
    }
    void ReportFailure(const std::string& Reason) override { Failures.push_back(Reason); }
    void WaitForEnd() {
        std::unique_lock Lock(FMutex);
        FEnded.wait(Lock, [this] { return EndEvents > 0; });
    }

    std::vector<TProgressView> Views;
    std::function<void()> OnProgress;
    std::vector<std::string> Failures;
    int EndEvents = 0;
    std::string EndMessage;

private:
    std::mutex FMutex;
    std::condition_variable FEnded;
};

// An image as read back: geometry, georeferencing and every cell (band-major, then row, column).
struct TImage {
    std::int32_t Columns = 0, Rows = 0, Bands = 0;
    std::uint8_t CellType = 0;
    double OriginX = 0, OriginY = 0, CellSizeX = 0, CellSizeY = 0;
    std::string Spheroid, Datum, Projection;
    std::vector<float> Cells;
    float At(std::int32_t Col, std::int32_t Row, std::int32_t Band = 0) const {
        return Cells[static_cast<std::size_t>((Band * Rows + Row) * Columns + Col)];
    }
};

using TCellFunction = std::function<float(int Col, int Row, int Band)>;

class JobTest : public test::TTempDirTest {
protected:
    void SetUp() override { UseSystems(&InFlat, &InFlat); }

    // Input and output on WGS 84 with the given systems.
    void UseSystems(TProjection* In, TProjection* Out) {
        Selection.InSpheroid = &Wgs84;
        Selection.InDatum = &Wgs84Datum;
        Selection.InProjection = In;
        Selection.OutSpheroid = &Wgs84;
        Selection.OutDatum = &Wgs84Datum;
        Selection.OutProjection = Out;
        Selection.HubSpheroid = &Wgs84;
        Selection.OutSpheroidName = "WE";
        Selection.OutDatumName = "WGS84";
        Selection.OutProjectionName = Out->Name;
    }

    // The output on International 1924 with the three-parameter ED50 datum, in the output system already
    // chosen; UseFlatEd50Output also makes that system the unshifted flat one (its name stays).
    void UseEd50Output() {
        Selection.OutSpheroid = &International;
        Selection.OutDatum = &Ed50;
    }
    void UseFlatEd50Output() {
        UseEd50Output();
        Selection.OutProjection = &OutEd50;
    }

    // Columns x Rows cells of CellSize map units whose top-left corner is (OriginX, OriginY).
    std::string WriteImage(const std::string& Name, int Columns, int Rows, int Bands, std::uint8_t CellType,
                           double OriginX, double OriginY, double CellSize,
                           const TCellFunction& Value) const {
        TDataSet2 Image;
        EXPECT_TRUE(Image.Open(Path(Name), Columns, Rows, CellType, Bands, omCreate)) << Image.GetErrorText();
        Image.SetGeoreference("WE", "WGS84", "FLAT", CellSize, CellSize, 0, 0, OriginX, OriginY);
        for (int Band = 0; Band < Bands; ++Band)
            for (int Row = 0; Row < Rows; ++Row)
                for (int Col = 0; Col < Columns; ++Col)
                    EXPECT_TRUE(Image.Raster()->WriteCell(Col, Row, Band, Value(Col, Row, Band)));
        return Path(Name);
    }

    static TImage ReadImage(const std::string& FileName) {
        TImage Image;
        TDataSet2 Set;
        EXPECT_TRUE(Set.Open(FileName, 0, 0, ctUnsigned8, 1, omRead)) << Set.GetErrorText();
        if (!Set.Raster()) return Image;
        Image.Columns = Set.GetColumns();
        Image.Rows = Set.GetRows();
        Image.Bands = Set.GetBands();
        Image.CellType = Set.GetCellType();
        Image.OriginX = Set.GetOriginX();
        Image.OriginY = Set.GetOriginY();
        Image.CellSizeX = Set.GetCellSizeX();
        Image.CellSizeY = Set.GetCellSizeY();
        Set.GetSpheroid(Image.Spheroid);
        Set.GetDatum(Image.Datum);
        Set.GetProjection(Image.Projection);
        for (int Band = 0; Band < Image.Bands; ++Band)
            for (int Row = 0; Row < Image.Rows; ++Row)
                for (int Col = 0; Col < Image.Columns; ++Col) {
                    float Value = -12345;
                    EXPECT_TRUE(Set.Raster()->ReadCell(Col, Row, static_cast<std::uint32_t>(Band), Value));
                    Image.Cells.push_back(Value);
                }
        return Image;
    }

    static std::vector<std::string> ReadLines(const std::string& FileName) {
        std::ifstream File(FileName, std::ios::binary);
        std::vector<std::string> Lines;
        for (std::string Line; std::getline(File, Line);) {
            EXPECT_TRUE(!Line.empty() && Line.back() == '\r') << "line without CR LF: " << Line;
            if (!Line.empty() && Line.back() == '\r') Line.pop_back();
            Lines.push_back(Line);
        }
        return Lines;
    }

    // The log lines without their leading time of day ("HH:MM:SS").
    static std::vector<std::string> AllLogMessages(const std::string& LogName) {
        std::vector<std::string> Messages;
        for (const std::string& Line : ReadLines(LogName)) {
            EXPECT_GE(Line.size(), 8u);
            Messages.push_back(Line.size() >= 8 ? Line.substr(8) : Line);
        }
        return Messages;
    }
    // The messages without the run's bookkeeping for a resume (its fingerprint, the sizes of each
    // finished output), which the resume tests look at.
    static std::vector<std::string> LogMessages(const std::string& LogName) {
        std::vector<std::string> Messages = AllLogMessages(LogName);
        std::erase_if(Messages, [](const std::string& Message) {
            return Message.starts_with(" Run fingerprint ") || Message.starts_with(" Output written: ");
        });
        return Messages;
    }

    // Runs the job in this thread; returns its final status.
    std::string RunJob(const std::string& In, const std::string& Out, const TJobOptions& Options,
                       bool StopFirst = false) {
        Selection.OnlyHeaders = Options.OnlyHeaders;
        TMyThread Worker(In, Out, Options, Selection, Observer);
        if (StopFirst) Worker.RequestStop();
        Worker.Run();
        EXPECT_EQ(Observer.EndEvents, 1);
        EXPECT_EQ(Observer.EndMessage, Worker.Message());
        EXPECT_FALSE(Selection.Busy);
        return Worker.Message();
    }

    static TJobOptions Options(double Step, std::int32_t BackGround = 0) {
        TJobOptions Result;
        Result.Step = Step;
        Result.BackGround = BackGround;
        return Result;
    }

    TSpheroid Wgs84{"WE\t6378137\t298.2572235637\tWGS 1984"};
    TSpheroid International{"IN\t6378388\t297\tInternational 1924"};
    TDatumRecord Wgs84Datum{"WORLD\tWGS84\tWE\t0\t0\t0\t0\t0\t0\t0\thub"};
    TDatumRecord Ed50{"EUROPE\tED50\tIN\t-87\t-98\t-121\t0\t0\t0\t0\tthree parameters"};
    TFlatTestSystem InFlat{"FLAT", 0, 0};
    TFlatTestSystem OutFlat{"FLAT SHIFTED", 1000, -500};
    TFlatTestSystem OutEd50{"FLAT ED50", 0, 0};
    TJobSelection Selection;
    TRecordingObserver Observer;
};

} // namespace vortane::test
