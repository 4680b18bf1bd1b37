/*
 * Tintworks: the colour engine of Huemark.
 *
 * A plain C interface of eight functions. Every call takes a flat, packed parameter record
 * whose first field is the record's size, describes 24-bit (or 32-bit) pixel buffers that
 * belong to the caller, and returns one of the TWK_* result codes. The engine keeps only
 * its own state: the last successful processing of each operation type 0 to 5 (the repeat
 * slots) and a preset. Calls must be made one at a time from one thread.
 *
 * Records are packed with 32-bit little-endian fields; pointers and region handles have
 * the native width, so the records are larger on 64-bit systems.
 */
#ifndef TINTWORKS_H
#define TINTWORKS_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define TWK_CALL __stdcall
#else
#define TWK_CALL
#endif

#if defined(_WIN32)
#if defined(TINTWORKS_BUILDING)
#define TWK_EXPORT __declspec(dllexport)
#else
#define TWK_EXPORT __declspec(dllimport)
#endif
#else
#define TWK_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes shared by every export. */
enum {
    TWK_OK = 0,
    TWK_INVALID_PARAMS = 1,   /* nil record or pointer, no samples, unknown type, bad image */
    TWK_NO_MEMORY = 2,        /* a mask, bounds array or sample array could not be allocated */
    TWK_CANCELLED = 3,        /* the progress callback returned 0 */
    TWK_NOT_AVAILABLE = 4,    /* no stored processing of that type */
    TWK_FILE_WRITE_ERROR = 5, /* processing file could not be created or written */
    TWK_FILE_READ_ERROR = 6,  /* processing file could not be opened or read */
    TWK_NOT_PROCESSING = 7,   /* not a processing file */
    TWK_NO_PRESET = 8         /* no preset loaded */
};

/* The most colour-filter passes a processing file may hold: ten times what the program
   offers, and few enough that a replay ends in reasonable time. */
enum { TWK_MAX_FILE_PASSES = 100 };

/* Operation types of TWKDoImageOperation. */
enum {
    TWK_OP_IMAGE_CORRECTION = 0,
    TWK_OP_LAYER_CORRECTION = 1,
    TWK_OP_LAYER_REPLACE_COLOR = 2,
    TWK_OP_LAYER_FILL = 3,
    TWK_OP_LAYER_TRANSFER = 4,
    TWK_OP_COLOR_FILTER = 5,
    TWK_OP_COLOR_SAMPLE = 6
};

/* Classes of a reference area. */
enum { TWK_REF_WHITE = 0, TWK_REF_BLACK = 1, TWK_REF_GREY = 2, TWK_REF_COLOR = 3 };

/* Row orders of TImageDesc. */
enum { TWK_ROWS_BOTTOM_UP = 0, TWK_ROWS_TOP_DOWN = 1 };

/* Colour modes of TCorrectionParams. */
enum {
    TWK_COLOR_MODE_COLOR = 0,
    TWK_COLOR_MODE_COLOR_BRIGHTNESS = 1,
    TWK_COLOR_MODE_BRIGHTNESS = 2
};

/* Booleans are 32-bit: the caller writes -1 for true and 0 for false; the engine reads any
   non-zero value as true. */
typedef int32_t TWKBool;

/* An opaque region handle (a platform region); 0 means none. */
typedef void* TWKRegionHandle;

/* A handle of a movable memory block; 0 means none. */
typedef void* TWKMemHandle;

/* Called once per finished row with the fraction of work done, in (0, 1]. Return 0 to stop
   the operation, anything else to go on. May be nil. */
typedef int32_t(TWK_CALL* TProgressProc)(double fraction);

#pragma pack(push, 1)

/* The picture an operation reads. Colours and rectangles always use image coordinates: x to
   the right, y downwards from the picture's top row, whatever the row order in memory. */
typedef struct TImageDesc {
    int32_t Width;         /* pixels, > 0 */
    int32_t Height;        /* pixels, > 0 */
    int32_t Stride;        /* bytes per row, at least Width * BytesPerPixel */
    int32_t RowOrder;      /* TWK_ROWS_BOTTOM_UP: row y at (Height - 1 - y) * Stride;
                              TWK_ROWS_TOP_DOWN: row y at y * Stride */
    int32_t BytesPerPixel; /* 3 (blue, green, red) or 4 */
    void* Pixels;          /* source pixels */
} TImageDesc;

/* A rectangle (right and bottom exclusive) and an optional region handle. A pixel belongs
   when it lies in the rectangle and, with a handle, in the region. */
typedef struct TImageRegion {
    int32_t Left;
    int32_t Top;
    int32_t Right;
    int32_t Bottom;
    TWKRegionHandle Region;
} TImageRegion;

typedef struct TRefArea {
    int32_t Left;
    int32_t Top;
    int32_t Right;
    int32_t Bottom;
    int32_t Reserved1; /* not read; the program writes 0 */
    int32_t RefClass;  /* TWK_REF_WHITE .. TWK_REF_COLOR */
    int32_t Reserved2; /* not read */
} TRefArea;

typedef struct TLayerSample {
    TImageRegion Area; /* the sample rectangle and optional region handle */
    TImageDesc Image;  /* the image the sample is taken from */
    int32_t Range;     /* percent the layer box is widened (> 0) or narrowed (< 0) */
} TLayerSample;

/* Operations 0 (image correction) and 1 (layer correction). */
typedef struct TCorrectionParams {
    uint32_t Size;
    TImageDesc Image;
    void* Dest;   /* destination pixels, laid out as the source; may be the source */
    TWKBool Auto; /* search white and black points when their area is missing */
    TRefArea* RefAreas;
    int32_t RefCount;
    int32_t WhiteMode;     /* 0 = no white point; 1..4 how the white point is measured */
    int32_t BlackMode;     /* same coding for the black point */
    uint8_t LightLevel[4]; /* the same level in all four bytes */
    uint8_t DarkLevel[4];
    int32_t WhiteTargetMode; /* 1 = light level as it stands, 2 = measured hue at that level */
    int32_t BlackTargetMode;
    uint8_t TargetColor[4]; /* blue, green, red, pad */
    int32_t ColorMode;      /* TWK_COLOR_MODE_* */
    TLayerSample* Samples;  /* operation 1 only */
    int32_t SampleCount;    /* operation 1 only */
    TImageRegion* Region;   /* limits the operation; nil = whole image */
    double Gamma;           /* 1.0 = no gamma step */
} TCorrectionParams;

/* Operations 2 to 5 (layer operations and colour filter). */
typedef struct TLayerParams {
    uint32_t Size;
    TImageDesc Image;
    void* Dest;
    TLayerSample* Samples;
    int32_t SampleCount;
    TImageRegion* Region;
    union {
        uint8_t Color[4]; /* operations 2 and 3: blue, green, red, pad; operation 4: 255 x 4 */
        int32_t Passes;   /* operation 5: number of passes (the program offers 1..10) */
    } Value;
} TLayerParams;

/* Operation 6: a light or dark sample of a reference area. */
typedef struct TColorSampleParams {
    uint32_t Size;
    TImageDesc Image;
    TImageRegion* Area; /* only the rectangle is used; nil = whole image */
    int32_t SampleMode; /* 1..4, see TWKDoImageOperation */
    TWKBool Light;      /* true = light sample, false = dark sample */
    uint8_t Color[4];   /* result */
} TColorSampleParams;

typedef struct TExtractColorParams {
    uint32_t Size;
    TImageDesc Image;
    TImageRegion* Area; /* only the rectangle is used; nil = whole image */
    uint8_t Color[4];   /* result */
} TExtractColorParams;

typedef struct TRepeatParams {
    uint32_t Size;
    TImageDesc Image;
    void* Dest;
    TImageRegion* Region;
} TRepeatParams;

#pragma pack(pop)

#if defined(__cplusplus)
#define TWK_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define TWK_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

#if UINTPTR_MAX == 0xFFFFFFFFu
TWK_STATIC_ASSERT(sizeof(TImageDesc) == 24, "TImageDesc layout");
TWK_STATIC_ASSERT(sizeof(TImageRegion) == 20, "TImageRegion layout");
TWK_STATIC_ASSERT(sizeof(TLayerSample) == 48, "TLayerSample layout");
TWK_STATIC_ASSERT(sizeof(TCorrectionParams) == 96, "TCorrectionParams layout");
TWK_STATIC_ASSERT(sizeof(TLayerParams) == 48, "TLayerParams layout");
TWK_STATIC_ASSERT(sizeof(TColorSampleParams) == 44, "TColorSampleParams layout");
TWK_STATIC_ASSERT(sizeof(TExtractColorParams) == 36, "TExtractColorParams layout");
TWK_STATIC_ASSERT(sizeof(TRepeatParams) == 36, "TRepeatParams layout");
#else
TWK_STATIC_ASSERT(sizeof(TImageDesc) == 28, "TImageDesc layout");
TWK_STATIC_ASSERT(sizeof(TImageRegion) == 24, "TImageRegion layout");
TWK_STATIC_ASSERT(sizeof(TLayerSample) == 56, "TLayerSample layout");
TWK_STATIC_ASSERT(sizeof(TCorrectionParams) == 116, "TCorrectionParams layout");
TWK_STATIC_ASSERT(sizeof(TLayerParams) == 64, "TLayerParams layout");
TWK_STATIC_ASSERT(sizeof(TColorSampleParams) == 52, "TColorSampleParams layout");
TWK_STATIC_ASSERT(sizeof(TExtractColorParams) == 44, "TExtractColorParams layout");
TWK_STATIC_ASSERT(sizeof(TRepeatParams) == 48, "TRepeatParams layout");
#endif
TWK_STATIC_ASSERT(sizeof(TRefArea) == 28, "TRefArea layout");

/*
 * Runs operation `type` (TWK_OP_*) with the record `params` of that type:
 *   0, 1: TCorrectionParams; 2..5: TLayerParams; 6: TColorSampleParams.
 * Returns TWK_INVALID_PARAMS for a nil record, an unknown type or an image that cannot be
 * processed (before any pixel is written), TWK_NO_MEMORY, TWK_CANCELLED (rows already done
 * stay written), or TWK_OK. Operations 0 to 5 keep their processing in repeat slot `type`
 * on success; a failed or cancelled operation changes no slot.
 */
TWK_EXPORT int32_t TWK_CALL TWKDoImageOperation(int32_t type, void* params, TProgressProc progress);

/* Replays the processing kept in slot `type` (0..5) on another image. TWK_NOT_AVAILABLE
   when the slot is empty, TWK_INVALID_PARAMS for another type. */
TWK_EXPORT int32_t TWK_CALL TWKDoRepeatedImageOperation(int32_t type, TRepeatParams* params,
                                                        TProgressProc progress);

/* -1 when slot `type` holds a processing, 0 when not or for a type outside 0..5. */
TWK_EXPORT int32_t TWK_CALL TWKIsRepeatedOperationAvailable(int32_t type);

/* The typical colour of the rectangle params->Area (nil = whole image): the mean of the
   pixels that share the rectangle's most frequent channel order. Written to params->Color;
   TWK_INVALID_PARAMS for a nil record or an image that cannot be read. */
TWK_EXPORT int32_t TWK_CALL TWKExtractImageColor(TExtractColorParams* params);

/* Writes slot `type` (0..5) to a processing file. */
TWK_EXPORT int32_t TWK_CALL TWKSaveLastProcessing(const char* fileName, int32_t type);

/* Reads a processing file into the slot of its type, which is written to *type. A file that is
   truncated or holds values no program writes (a gamma that is not a finite number above 0,
   a colour filter with passes outside 0..TWK_MAX_FILE_PASSES) is refused with
   TWK_FILE_READ_ERROR before anything of it is kept or replayed; the slot is left as it was. */
TWK_EXPORT int32_t TWK_CALL TWKLoadLastProcessing(const char* fileName, int32_t* type);

/* Loads a processing file as the preset; refused as TWKLoadLastProcessing refuses it. */
TWK_EXPORT int32_t TWK_CALL TWKSetPresetFile(const char* fileName);

/* Applies the preset in place to a packed 24-bit bitmap held in a movable memory block. */
TWK_EXPORT int32_t TWK_CALL TWKApplyPresetCorrection(TWKMemHandle bitmap);

#ifdef __cplusplus
}
#endif

#endif /* TINTWORKS_H */
