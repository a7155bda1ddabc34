#pragma once
// Whole-image JPEG coding behind four calls: initialise a properties record, read a file's parameters
// or its whole image into a memory image, write a memory image to a file, free the record. The memory
// image is 8-bit grey or RGB, top row first, each row followed by a number of fill bytes. Every call
// returns 0 for success or one of the error numbers below; a corrupt file is an error, never the end
// of the process.

#include <cstdint>
#include <string>

namespace vortane::jpeg {

enum TColor : int {
    jcRGB = 1,
    jcYCbCr = 3,
    jcGray = 4,
};

enum TOperation : int {
    joReadParams = 0,      // the file's width, height and channel count
    joReadWholeImage = 2,  // the whole image into the memory image
    joWriteWholeImage = 8, // the whole memory image into the file
};

enum TError : int {
    jeOk = 0,
    jeNotInitialised = -1,
    jeBadOperation = -2,
    jeFileOpen = -3,       // the file cannot be opened or created
    jeBadMemoryImage = -4, // no buffer, sizes or channel counts that do not match
    jeDecode = -5,         // the file is not a readable JPEG (message in ErrorMessage)
    jeEncode = -6,         // encoding or writing failed (message in ErrorMessage)
    jeUnsupportedColor = -7,
};

struct TProperties {
    // The memory image.
    unsigned char* DIBBytes = nullptr;
    std::int32_t DIBWidth = 0;
    std::int32_t DIBHeight = 0;
    std::int32_t DIBPadBytes = 0; // fill bytes after each row
    std::int32_t DIBChannels = 0;
    TColor DIBColor = jcRGB;
    // The file.
    std::string JPGFile;
    std::int32_t JPGWidth = 0;
    std::int32_t JPGHeight = 0;
    std::int32_t JPGChannels = 0;
    TColor JPGColor = jcYCbCr;
    std::int32_t Quality = 75;
    // The codec's own description of the last failure.
    std::string ErrorMessage;
    bool Initialised = false;
};

int Init(TProperties& Props);
int Read(TProperties& Props, TOperation Operation);
int Write(TProperties& Props, TOperation Operation);
int Free(TProperties& Props);

// One initialised record, freed however the operation ends.
class TSession {
public:
    TSession() : Result(Init(Props)) {}
    ~TSession() {
        if (Props.Initialised) Free(Props);
    }
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;

    TProperties Props;
    int Result; // of Init
};

} // namespace vortane::jpeg
