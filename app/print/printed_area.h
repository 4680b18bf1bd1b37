// The printed areas: for each of the four sheets that may go through the printer again, the
// rectangles already printed on it, so that the print layout can show which paper is used.
//
// They are kept in the file "Huemark.prn" in the user's data folder (the program's own folder
// may be read-only): a 32-bit little-endian item count, then 20 bytes per item, in this order
// and each a 32-bit little-endian integer: left, top, right, bottom (printer pixels from the
// corner of the physical sheet, the frame of the print layout) and the sheet (0 to 3). There
// is no header.
#pragma once

#include "my_list.h"

#include <QString>

#include <cstdint>

struct TPrintedArea {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
    std::int32_t Sheet = 0;
};

class TPageFilling : public TMyList<TPrintedArea> {
public:
    static constexpr int SheetCount = 4;
    static constexpr int ItemSize = 20;
    // More areas than any paper holds; a count beyond it marks a damaged file, and the oldest
    // areas give way when a new one would pass it.
    static constexpr int MaxItems = 65536;
    static constexpr const char* FileName = "Huemark.prn";

    // The whole list from the rest of `stream`. False, and the list empty, unless the count
    // matches the bytes exactly and stays within MaxItems; items of a sheet outside 0 to 3 are
    // dropped.
    bool Load(QIODevice& stream);
    // False (empty) for a missing, unreadable or damaged file, or anything but a plain file.
    bool LoadFile(const QString& path);
    // Writes a new file and puts it in place only when complete: a failed write leaves the
    // previous file as it was.
    bool SaveFile(const QString& path) const;

    void AddArea(const TPrintedArea& area);
    // Deletes every area of one sheet.
    void ClearSheet(int sheet);
    int CountOnSheet(int sheet) const;

protected:
    std::unique_ptr<TPrintedArea> ReadItem(QIODevice& stream) override;
    bool WriteItem(QIODevice& stream, const TPrintedArea& item) const override;

private:
    void dropForeignSheets();
};
