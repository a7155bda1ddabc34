#include "raster/codecs/jpeg_codec.hpp"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <jerror.h>
#include <jpeglib.h>

namespace vortane::jpeg {

namespace {

// Progressive files may carry any number of scans, each a pass over the whole image; a crafted file
// with thousands of them would keep the decoder busy for hours.
constexpr int MaxScans = 1000;
// Beyond this the decoder's working memory (whole-image coefficient buffers of progressive files)
// fails the file instead of exhausting the machine.
constexpr long MaxDecoderMemory = 2048L * 1024 * 1024;

// libjpeg's error manager, extended by the place to return to: a failure jumps back to the setjmp in
// the function that owns the codec object instead of ending the process.
struct TErrorManager {
    jpeg_error_mgr Base; // first member: libjpeg hands back a pointer to it
    jpeg_progress_mgr Progress;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

[[noreturn]] void FailJump(j_common_ptr Info) {
    auto* Manager = reinterpret_cast<TErrorManager*>(Info->err);
    Manager->Base.format_message(Info, Manager->Message);
    std::longjmp(Manager->Jump, 1);
}

// A file that ends early is a failure, not an image whose missing rows are passed off as grey.
// Other warnings and trace messages stay silent.
void OnMessage(j_common_ptr Info, int Level) {
    if (Level < 0 && Info->err->msg_code == JWRN_JPEG_EOF) FailJump(Info);
}

void OnProgress(j_common_ptr Info) {
    if (Info->is_decompressor && reinterpret_cast<j_decompress_ptr>(Info)->input_scan_number > MaxScans) {
        auto* Manager = reinterpret_cast<TErrorManager*>(Info->err);
        std::snprintf(Manager->Message, sizeof Manager->Message, "More than %d scans", MaxScans);
        std::longjmp(Manager->Jump, 1);
    }
}

void InstallErrorManager(TErrorManager& Manager) {
    jpeg_std_error(&Manager.Base);
    Manager.Base.error_exit = FailJump;
    Manager.Base.emit_message = OnMessage;
    Manager.Progress = {};
    Manager.Progress.progress_monitor = OnProgress;
    Manager.Message[0] = '\0';
}

// Opens a regular file for reading without blocking on pipes or devices; null when that fails.
std::FILE* OpenForReading(const std::string& FileName) {
    const int Fd = ::open(FileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (Fd < 0) return nullptr;
    struct stat Status {};
    if (::fstat(Fd, &Status) != 0 || !S_ISREG(Status.st_mode)) {
        ::close(Fd);
        errno = EINVAL;
        return nullptr;
    }
    std::FILE* File = ::fdopen(Fd, "rb");
    if (File == nullptr) ::close(Fd);
    return File;
}

bool MemoryImageFits(const TProperties& Props, int Channels) {
    return Props.DIBBytes != nullptr && Props.DIBWidth > 0 && Props.DIBHeight > 0 && Props.DIBPadBytes >= 0 &&
           Props.DIBChannels == Channels && (Channels == 1 || Channels == 3) &&
           Props.DIBColor == (Channels == 3 ? jcRGB : jcGray);
}

std::size_t RowStride(const TProperties& Props) {
    return static_cast<std::size_t>(Props.DIBWidth) * static_cast<std::size_t>(Props.DIBChannels) +
           static_cast<std::size_t>(Props.DIBPadBytes);
}

// Decodes the file's parameters and, when WholeImage, its cells into the memory image. This is the
// function that calls setjmp: it keeps no locals with destructors, which the jump would skip.
int Decode(std::FILE* File, TProperties* Props, bool WholeImage, TErrorManager* Errors) {
    jpeg_decompress_struct Info;
    Info.err = &Errors->Base;
    if (setjmp(Errors->Jump)) {
        jpeg_destroy_decompress(&Info);
        return jeDecode;
    }
    jpeg_create_decompress(&Info);
    Info.progress = &Errors->Progress;
    Info.mem->max_memory_to_use = MaxDecoderMemory;
    jpeg_stdio_src(&Info, File);
    jpeg_read_header(&Info, TRUE);
    Props->JPGWidth = static_cast<std::int32_t>(Info.image_width);
    Props->JPGHeight = static_cast<std::int32_t>(Info.image_height);
    Props->JPGChannels = Info.num_components;
    Props->JPGColor = Info.jpeg_color_space == JCS_GRAYSCALE ? jcGray : jcYCbCr;
    int Result = jeOk;
    if (WholeImage) {
        if (!MemoryImageFits(*Props, Info.num_components) || Props->DIBWidth != Props->JPGWidth ||
            Props->DIBHeight != Props->JPGHeight) {
            Result = jeBadMemoryImage;
        } else {
            Info.out_color_space = Props->DIBChannels == 3 ? JCS_RGB : JCS_GRAYSCALE;
            jpeg_start_decompress(&Info);
            const std::size_t Stride = RowStride(*Props);
            while (Info.output_scanline < Info.output_height) {
                JSAMPROW Row = Props->DIBBytes + Stride * Info.output_scanline;
                jpeg_read_scanlines(&Info, &Row, 1);
            }
            jpeg_finish_decompress(&Info);
        }
    }
    jpeg_destroy_decompress(&Info);
    return Result;
}

// Encodes the memory image into File; the only other function that calls setjmp.
int Encode(std::FILE* File, const TProperties* Props, TErrorManager* Errors) {
    jpeg_compress_struct Info;
    Info.err = &Errors->Base;
    if (setjmp(Errors->Jump)) {
        jpeg_destroy_compress(&Info);
        return jeEncode;
    }
    jpeg_create_compress(&Info);
    jpeg_stdio_dest(&Info, File);
    Info.image_width = static_cast<JDIMENSION>(Props->DIBWidth);
    Info.image_height = static_cast<JDIMENSION>(Props->DIBHeight);
    Info.input_components = Props->DIBChannels;
    Info.in_color_space = Props->DIBChannels == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&Info);
    jpeg_set_colorspace(&Info, Props->JPGColor == jcYCbCr ? JCS_YCbCr : JCS_GRAYSCALE);
    // Full-resolution colour: halving the chroma would blur the colour edges of maps and photos.
    for (int Component = 0; Component < Info.num_components; ++Component) {
        Info.comp_info[Component].h_samp_factor = 1;
        Info.comp_info[Component].v_samp_factor = 1;
    }
    jpeg_set_quality(&Info, Props->Quality, TRUE);
    jpeg_start_compress(&Info, TRUE);
    const std::size_t Stride = RowStride(*Props);
    while (Info.next_scanline < Info.image_height) {
        JSAMPROW Row = Props->DIBBytes + Stride * Info.next_scanline;
        jpeg_write_scanlines(&Info, &Row, 1);
    }
    jpeg_finish_compress(&Info);
    jpeg_destroy_compress(&Info);
    return jeOk;
}

bool FileColorFits(const TProperties& Props) {
    return (Props.DIBChannels == 3 && Props.JPGColor == jcYCbCr) ||
           (Props.DIBChannels == 1 && Props.JPGColor == jcGray);
}

} // namespace

int Init(TProperties& Props) {
    Props = TProperties{};
    Props.Initialised = true;
    return jeOk;
}

int Read(TProperties& Props, TOperation Operation) {
    if (!Props.Initialised) return jeNotInitialised;
    if (Operation != joReadParams && Operation != joReadWholeImage) return jeBadOperation;
    std::FILE* File = OpenForReading(Props.JPGFile);
    if (File == nullptr) {
        Props.ErrorMessage = std::strerror(errno);
        return jeFileOpen;
    }
    TErrorManager Errors;
    InstallErrorManager(Errors);
    const int Result = Decode(File, &Props, Operation == joReadWholeImage, &Errors);
    std::fclose(File);
    if (Result == jeDecode) Props.ErrorMessage = Errors.Message;
    return Result;
}

int Write(TProperties& Props, TOperation Operation) {
    if (!Props.Initialised) return jeNotInitialised;
    if (Operation != joWriteWholeImage) return jeBadOperation;
    if (!MemoryImageFits(Props, Props.DIBChannels) || Props.JPGWidth != Props.DIBWidth ||
        Props.JPGHeight != Props.DIBHeight || Props.JPGChannels != Props.DIBChannels)
        return jeBadMemoryImage;
    if (!FileColorFits(Props)) return jeUnsupportedColor;
    std::FILE* File = std::fopen(Props.JPGFile.c_str(), "wb");
    if (File == nullptr) {
        Props.ErrorMessage = std::strerror(errno);
        return jeFileOpen;
    }
    TErrorManager Errors;
    InstallErrorManager(Errors);
    int Result = Encode(File, &Props, &Errors);
    if (Result == jeEncode) Props.ErrorMessage = Errors.Message;
    const bool WriteFailed = std::ferror(File) != 0;
    const int WriteErrno = errno;
    if (std::fclose(File) != 0 || WriteFailed) {
        if (Result == jeOk) {
            Props.ErrorMessage = std::strerror(WriteErrno != 0 ? WriteErrno : EIO);
            Result = jeEncode;
        }
    }
    // A file that did not receive the whole image must not pass for a finished one.
    if (Result != jeOk) std::remove(Props.JPGFile.c_str());
    return Result;
}

int Free(TProperties& Props) {
    if (!Props.Initialised) return jeNotInitialised;
    Props.DIBBytes = nullptr;
    Props.Initialised = false;
    return jeOk;
}

} // namespace vortane::jpeg
