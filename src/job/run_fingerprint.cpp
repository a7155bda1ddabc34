#include "job/run_fingerprint.hpp"

#include "crs/datum.hpp"
#include "crs/projection.hpp"
#include "crs/spheroid.hpp"
#include "job/job_options.hpp"
#include "job/output_options.hpp"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <fstream>

#ifndef VORTANE_VERSION
#error "VORTANE_VERSION must be defined by the build"
#endif

namespace vortane {

namespace {

constexpr std::string_view LogMarker = " Run fingerprint ";
constexpr std::string_view ReportMarker = ";Run fingerprint ";
constexpr std::size_t DigestDigits = 16;

class TFnv1a {
public:
    void Add(std::string_view Bytes) {
        for (const char Byte : Bytes) {
            FHash ^= static_cast<unsigned char>(Byte);
            FHash *= 0x100000001b3ULL;
        }
    }
    std::string Hex() const {
        char Text[DigestDigits + 1];
        std::snprintf(Text, sizeof Text, "%016llx", static_cast<unsigned long long>(FHash));
        return Text;
    }

private:
    std::uint64_t FHash = 0xcbf29ce484222325ULL;
};

// The shortest text that reads back as exactly Value: two steps that differ in the last bit differ here.
std::string ExactText(double Value) {
    char Text[32];
    const auto End = std::to_chars(Text, Text + sizeof Text, Value).ptr;
    return std::string(Text, End);
}

std::string NameOf(const TCodeObject* Object) {
    return Object ? Object->Name : "-";
}

// The 16 hex digits after Marker at the start of Text; "" when they are not there.
std::string DigestAfter(std::string_view Text, std::string_view Marker) {
    if (!Text.starts_with(Marker) || Text.size() < Marker.size() + DigestDigits) return {};
    const std::string_view Digest = Text.substr(Marker.size(), DigestDigits);
    if (Digest.find_first_not_of("0123456789abcdef") != std::string_view::npos) return {};
    return std::string(Digest);
}

} // namespace

std::string RunDescription(const TJobSelection& Selection, const TJobOptions& Options,
                           const std::string& OutExt, const std::string& ListDigest) {
    std::string Text = "vortane " VORTANE_VERSION;
    if (!ListDigest.empty()) Text += "; list " + ListDigest;
    Text += "; in " + NameOf(Selection.InSpheroid) + "/" + NameOf(Selection.InDatum) + "/" +
            NameOf(Selection.InProjection);
    Text += "; out " + NameOf(Selection.OutSpheroid) + "/" + NameOf(Selection.OutDatum) + "/" +
            NameOf(Selection.OutProjection);
    Text += "; output " + OutExt;
    Text += "; step " + ExactText(Options.Step);
    Text += "; background " + std::to_string(Options.BackGround);
    Text += "; units " + std::to_string(Options.InUnits) + "/" + std::to_string(Options.OutUnits);
    Text += "; only headers " + std::to_string(Selection.OnlyHeaders ? 1 : 0);
    Text += "; max error " + ExactText(Options.MaxError);
    Text += "; exact projections " + std::to_string(Options.ExactProjections ? 1 : 0);
    // Only a chosen storage is named, so the fingerprints of default runs stay as they were; a resumed
    // run with another storage must not keep the outputs of the first.
    if (const std::string Storage = StorageLogText(Options.Creation); !Storage.empty())
        Text += "; storage " + Storage;
    return Text;
}

std::string TextDigest(const std::string& Text) {
    TFnv1a Hash;
    Hash.Add(Text);
    return Hash.Hex();
}

std::string FileDigest(const std::string& FileName) {
    std::ifstream File(FileName, std::ios::binary);
    if (!File) return {};
    TFnv1a Hash;
    char Buffer[1 << 16];
    while (File.read(Buffer, sizeof Buffer) || File.gcount() > 0)
        Hash.Add(std::string_view(Buffer, static_cast<std::size_t>(File.gcount())));
    return File.bad() ? std::string() : Hash.Hex();
}

std::string LogFingerprintLine(const std::string& Fingerprint, const std::string& Description) {
    return std::string(LogMarker) + Fingerprint + ": " + Description;
}

std::string ReportFingerprintLine(const std::string& Fingerprint) {
    return std::string(ReportMarker) + Fingerprint;
}

std::string FingerprintInLogMessage(const std::string& Message) {
    return DigestAfter(Message, LogMarker);
}

std::string FingerprintInReportLine(const std::string& Line) {
    return Line.size() == ReportMarker.size() + DigestDigits ? DigestAfter(Line, ReportMarker)
                                                             : std::string();
}

} // namespace vortane
