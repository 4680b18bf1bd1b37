// A small class family over libjpeg that converts between packed device-independent bitmaps
// and JPEG streams, with libjpeg's errors as exceptions, warnings as an event, progress and
// abort, and stream source and destination managers with buffers of their own.
#pragma once

#include <QIODevice>

#include <array>

#include <csetjmp>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>

class QImage;

// A failure of the codec: libjpeg's own message or one of the codec's texts.
class Q_DECL_EXPORT JpegError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A packed bitmap as the codec produces and takes it: header, colour table, bottom-up rows.
struct Q_DECL_EXPORT PackedBitmap {
    std::vector<std::uint8_t> bytes;

    std::int32_t width() const;
    std::int32_t height() const;
    std::uint16_t bitCount() const;
    std::uint32_t colorsUsed() const;
    const std::uint8_t* colorTable() const { return bytes.data() + 40; }
    std::uint32_t rowStride() const;
    const std::uint8_t* rows() const { return bytes.data() + 40 + 4 * colorsUsed(); }
};

class Q_DECL_EXPORT TJPEGBase {
public:
    TJPEGBase(const TJPEGBase&) = delete;
    TJPEGBase& operator=(const TJPEGBase&) = delete;
    virtual ~TJPEGBase() = default;

    // Called during long work; PercentDone() tells how far it got.
    std::function<void()> OnProgress;
    // Receives warnings (and trace messages up to TraceLevel); without it they go to stderr.
    std::function<void(const std::string&)> OnWarning;
    int TraceLevel = 0;

    int PercentDone() const;
    // Outside a progress call: stops the current libjpeg work at once. Inside one: the row
    // loop stops with "User Interrupt" after the call.
    void Abort();

protected:
    TJPEGBase();
    // Makes the compression or decompression structure and hooks the managers into it.
    virtual void CreateStruct() = 0;
    virtual void ErrorExit();
    virtual void EmitMessage(int level);
    virtual void Progress();

    // Runs libjpeg work; a fatal libjpeg error comes back as a JpegError. Only plain calls
    // into libjpeg belong in `work`: the error leaves it by a jump, past any destructor.
    void Guarded(const std::function<void()>& work);
    // Leaves the libjpeg work under way with `message` as the JpegError's text; for the
    // managers, which libjpeg calls and which must not throw.
    [[noreturn]] void Fail(const std::string& message);
    // Between rows: raises "User Interrupt" when an abort was asked for during progress.
    void CheckAbort();
    j_common_ptr Common() const { return common_; }
    void SetCommon(j_common_ptr common);

private:
    static void errorExitHook(j_common_ptr info);
    static void emitMessageHook(j_common_ptr info, int level);
    static void progressHook(j_common_ptr info);

    struct ErrorManager {
        jpeg_error_mgr base;
        TJPEGBase* owner;
    } errors_{};
    struct ProgressManager {
        jpeg_progress_mgr base;
        TJPEGBase* owner;
    } progress_{};
    j_common_ptr common_ = nullptr;
    std::jmp_buf* escape_ = nullptr;
    std::string failure_;
    bool aborting_ = false;
    bool inProgress_ = false;
    bool abortRequested_ = false;
};

class Q_DECL_EXPORT TJPEGCompressor : public TJPEGBase {
public:
    ~TJPEGCompressor() override;

    // 0..100, applied with baseline limiting; default 75.
    int Quality() const { return quality_; }
    void SetQuality(int quality) { quality_ = quality; }
    bool Grayscale = false;
    bool Progressive = false;
    bool WriteAllTables = true;
    std::string Comment;

    // Compresses a packed bitmap of 24, 8 or 4 bits per pixel; raises "Unable to compress at
    // %d bit resolution" for other depths.
    void Compress(const PackedBitmap& bitmap);
    // Compresses a picture of any format after obtaining its pixels as a 24-bit packed bitmap;
    // raises "Cannot obtain a Device Independent Bitmap" when they cannot be had (a null
    // picture, or one too large to convert).
    void Compress(const QImage& picture);

protected:
    TJPEGCompressor();
    void CreateStruct() override;
    virtual void InitDestination() = 0;
    virtual bool EmptyOutputBuffer() = 0;
    virtual void TermDestination() = 0;
    jpeg_compress_struct& Info() { return info_; }

private:
    static void initDestinationHook(j_compress_ptr info);
    static boolean emptyOutputBufferHook(j_compress_ptr info);
    static void termDestinationHook(j_compress_ptr info);

    jpeg_compress_struct info_{};
    struct Destination {
        jpeg_destination_mgr base;
        TJPEGCompressor* owner;
    } destination_{};
    int quality_ = 75;
};

// Writes to a device through a buffer of its own (4096 bytes unless set otherwise).
class Q_DECL_EXPORT TJPEGStreamCompressor : public TJPEGCompressor {
public:
    TJPEGStreamCompressor();
    ~TJPEGStreamCompressor() override;

    QIODevice* Target = nullptr;
    // Raises "Cannot change buffer size while buffer is in use" while output is pending.
    void SetBufferSize(std::size_t size);

    // The first stream compressor made, while it lives.
    static TJPEGStreamCompressor* Shared();

protected:
    void InitDestination() override;
    bool EmptyOutputBuffer() override;
    void TermDestination() override;

private:
    std::vector<std::uint8_t> buffer_;
    bool inUse_ = false;
};

class Q_DECL_EXPORT TJPEGDecompressor : public TJPEGBase {
public:
    ~TJPEGDecompressor() override;

    // Output modes of Decompress.
    enum Mode { TrueColour = 0, Quantised256 = 1, Quantised16 = 2, GreyLevels = 3 };

    bool GrayscaleOutput = false;
    int ColourCount = 64;
    // Called for the comment marker (code 30) and application markers 1..13 and 15 (their
    // numbers); set `handled` to keep the codec from skipping the marker's data.
    std::function<void(int code, bool& handled)> OnMarker;

    // Reads the header and works out the output size.
    void ReadHeader();
    bool IsGrayscale() const { return info_.jpeg_color_space == JCS_GRAYSCALE; }
    // Decodes into a packed bitmap: 24-bit, 8-bit or 4-bit quantised, or 64 grey levels.
    PackedBitmap Decompress(Mode mode);

protected:
    TJPEGDecompressor();
    void CreateStruct() override;
    virtual void InitSource() = 0;
    virtual bool FillInputBuffer() = 0;
    virtual void SkipInputData(long count) = 0;
    virtual bool ResyncToRestart() { return false; }
    virtual void TermSource() = 0;
    virtual void DoMarker(int code, bool& handled);
    jpeg_decompress_struct& Info() { return info_; }

private:
    static void initSourceHook(j_decompress_ptr info);
    static boolean fillInputBufferHook(j_decompress_ptr info);
    static void skipInputDataHook(j_decompress_ptr info, long count);
    static boolean resyncHook(j_decompress_ptr info, int desired);
    static void termSourceHook(j_decompress_ptr info);
    static boolean markerHook(j_decompress_ptr info);

    jpeg_decompress_struct info_{};
    struct Source {
        jpeg_source_mgr base;
        TJPEGDecompressor* owner;
    } source_{};
};

// Reads from a device through a buffer of its own (4096 bytes unless set otherwise).
class Q_DECL_EXPORT TJPEGStreamDecompressor : public TJPEGDecompressor {
public:
    TJPEGStreamDecompressor();
    ~TJPEGStreamDecompressor() override;

    QIODevice* Source = nullptr;
    void SetBufferSize(std::size_t size);

    // The first stream decompressor made, while it lives.
    static TJPEGStreamDecompressor* Shared();

protected:
    void InitSource() override;
    bool FillInputBuffer() override;
    void SkipInputData(long count) override;
    void TermSource() override;

private:
    std::vector<std::uint8_t> buffer_;
    bool inUse_ = false;
    bool sawData_ = false;
};

// The grey level of entry i of the 64-entry table of grey output: Round(255 * sin(i * pi / 126)).
Q_DECL_EXPORT std::uint8_t greyLevel(int index);
