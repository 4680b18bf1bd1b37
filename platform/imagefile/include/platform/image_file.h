/*
 * The image-file library: reads BMP, JPEG, TIFF, PNG and PCX files into packed 24-bit
 * device-independent bitmaps held in movable memory blocks (platform/memory_block.h), and
 * writes such bitmaps back. Both entry points take one parameter block by address.
 *
 * Import recognises the format by the file's content, whatever its name; export chooses it
 * by the file name's extension (.bmp, .jpg, .jpeg, .jpe, .tif, .tiff, .png, .pcx, any case).
 * Every picture that can be decoded comes back as 24 bits per pixel: palettes and grey are
 * expanded, 16-bit samples reduced, alpha composed onto white. Resolution travels between the
 * file and the bitmap header's pixels per metre. A save goes to a temporary file in the same
 * folder that replaces the target only when complete.
 *
 * Files are read, never mapped, so one that shrinks while it is read is a truncated file, not
 * a crash. A file whose data cannot hold the picture its header claims is refused before the
 * picture is allocated; one cut off after a fair part of its rows comes back as IP_INCOMPLETE.
 */
#ifndef PLATFORM_IMAGE_FILE_H
#define PLATFORM_IMAGE_FILE_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define IP_CALL __stdcall
#else
#define IP_CALL
#endif

#if defined(_WIN32)
#define IP_API __declspec(dllexport)
#else
#define IP_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. Stable: the program's language files give each its text. */
enum {
    IP_OK = 0,
    IP_CANCELLED = 1,      /* the progress callback returned -1 */
    IP_FILE_NOT_FOUND = 2, /* no file of that name */
    IP_CANNOT_OPEN = 3,    /* the file or its folder cannot be opened or created */
    IP_UNKNOWN_FORMAT = 4, /* not a BMP, JPEG, TIFF, PNG or PCX file (or extension) */
    IP_DAMAGED_FILE = 5,   /* truncated or inconsistent file */
    IP_NO_MEMORY = 6,      /* not enough memory */
    IP_WRITE_FAILED = 7,   /* writing failed (disk full, I/O error) */
    IP_BAD_PARAMETERS = 8, /* no block, wrong size or flags, no file name */
    IP_UNSUPPORTED = 9,    /* a variant of a known format this library does not decode */
    IP_TOO_LARGE = 12,     /* the picture's 24-bit pixel area would exceed 1 GiB */
    IP_INCOMPLETE = 13,    /* import only: the file ends (or its data breaks off) before the
                              picture does. The part that could be read is delivered at
                              Bitmap as on success, the rest black; the caller owns it */
    IP_BAD_BITMAP = 16     /* the block given for export is not a packed 24-bit bitmap */
};

/* Flags: the base value of each direction, plus the export format bits. */
enum {
    IP_IMPORT = 776, /* 0x308 */
    IP_EXPORT = 778, /* 0x30A */
    IP_TIFF_UNCOMPRESSED = 0x20,
    IP_TIFF_PACKBITS = 0xC0,
    IP_TIFF_DEFLATE = 0x10000000, /* zlib (Deflate) with horizontal differencing of the samples:
                                     lossless, and on photographs, where PackBits saves next to
                                     nothing, typically a quarter smaller than uncompressed;
                                     takes the place of PackBits when both are given */
    IP_PNG_INTERLACED = 0x10000,
    IP_PNG_SMALLEST = 0x20000,  /* zlib's slow default level and every row filter tried, for
                                   the smallest file; without it a fast level and the cheaper
                                   filters, about three times as fast and a few percent larger
                                   on photographs */
    IP_JPEG_QUALITY_SHIFT = 12, /* quality step 1..9 (10 % .. 90 %); 0 means 75 % */
    IP_JPEG_QUALITY_MASK = 0xF000,
    IP_JPEG_PERCENT_SHIFT = 20, /* quality 1..100 in percent, taking the place of the step
                                   when not 0: a camera's file is written again at its own
                                   quality (values above 100 write 100) */
    IP_JPEG_PERCENT_MASK = 0x7F00000,
    IP_JPEG_FULL_CHROMA = 0x8000000 /* colour at full resolution (4:4:4); without it the colour
                                       is halved in both directions (4:2:0), which loses fine
                                       coloured detail and makes the file about a quarter
                                       smaller */
};

/* Called with the percentage done (0..100) and a value to ignore; return 0 to go on, -1 to
   stop the work (the call then returns IP_CANCELLED and writes nothing). May be nil. */
typedef int32_t(IP_CALL* TImportExportProgress)(int32_t percent, int32_t unused);

#pragma pack(push, 1)
/* Zero-filled before use. Pointers and handles have the native width, so the block is 152
   bytes with 4-byte pointers and 168 with 8-byte ones. */
typedef struct TImportExportParams {
    uint32_t Size; /* sizeof(TImportExportParams) */
    uint32_t Reserved0;
    TImportExportProgress Progress; /* may be nil */
    uint32_t Flags;                 /* IP_IMPORT, or IP_EXPORT plus format bits */
    uint8_t Reserved1[8];
    const char* FileName; /* zero-terminated */
    uint8_t Reserved2[16];
    void* Window; /* owner window of the caller; not used */
    uint8_t Reserved3[8];
    void* Bitmap; /* movable memory block with a packed bitmap: written by
                     import (the caller then owns it), read by export */
    uint8_t Reserved4[92];
} TImportExportParams;
#pragma pack(pop)

#if defined(__cplusplus)
static_assert(sizeof(TImportExportParams) == (sizeof(void*) == 4 ? 152 : 168), "block layout");
#else
_Static_assert(sizeof(TImportExportParams) == (sizeof(void*) == 4 ? 152 : 168), "block layout");
#endif

/* Reads the file named in the block into a new block at params->Bitmap (on IP_OK and on
   IP_INCOMPLETE). */
IP_API int32_t IP_CALL ipImportInd(TImportExportParams* params);

/* Writes the packed 24-bit bitmap at params->Bitmap to the named file. */
IP_API int32_t IP_CALL ipExportInd(TImportExportParams* params);

#ifdef __cplusplus
}
#endif

#endif /* PLATFORM_IMAGE_FILE_H */
