// The items of an example, in the order they play: a recorded mouse command, a note explained
// in every language of the example, a pause, and the opening of a picture.
#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// The first byte of every item in the file.
enum class TShowKind : std::uint8_t { Command = 0, Note = 1, Delay = 2, OpenFile = 3 };

class TShowItem {
public:
    virtual ~TShowItem() = default;
    TShowKind Kind() const { return kind_; }
    virtual std::unique_ptr<TShowItem> Clone() const = 0;

protected:
    explicit TShowItem(TShowKind kind) : kind_(kind) {}
    TShowItem(const TShowItem&) = default;
    TShowItem& operator=(const TShowItem&) = default;

private:
    TShowKind kind_;
};

// A mouse action at a located point (codes in show_codes.h).
class TShowCmd : public TShowItem {
public:
    static constexpr TShowKind kind = TShowKind::Command;
    TShowCmd() : TShowItem(kind) {}
    std::unique_ptr<TShowItem> Clone() const override;

    std::uint8_t Action = 0;
    std::uint8_t Target = 0;
    std::int32_t X = 0; // meaning set by the target
    std::int32_t Y = 0;
    std::int32_t Window = -1; // number of the image window active when recorded, -1 for none
    std::uint8_t ScaleX = 0;  // 1: X is window-relative and rescaled when played
    std::uint8_t ScaleY = 0;  // likewise for Y
    std::array<std::uint8_t, 20> TargetData{};

    // For snPanorama the target data starts with the panorama zone (1 to 8) and zoom.
    std::int32_t PanoramaZone() const;
    std::int32_t PanoramaZoom() const;
    void SetPanorama(std::int32_t zone, std::int32_t zoom);
};

// One language's text of a note and how long it shows.
struct TNoteItem {
    std::uint32_t Time = 0; // milliseconds
    QByteArray Text;        // as stored, see show_text.h

    bool operator==(const TNoteItem&) const = default;
};

// A note: one entry per language of its example, in the example's language order.
class TNoteList : public TShowItem {
public:
    static constexpr TShowKind kind = TShowKind::Note;
    TNoteList() : TShowItem(kind) {}
    std::unique_ptr<TShowItem> Clone() const override;

    std::vector<TNoteItem> Entries;
};

class TShowDelay : public TShowItem {
public:
    static constexpr TShowKind kind = TShowKind::Delay;
    explicit TShowDelay(std::uint32_t milliseconds = 0)
        : TShowItem(kind), Milliseconds(milliseconds) {}
    std::unique_ptr<TShowItem> Clone() const override;

    std::uint32_t Milliseconds;
};

// Opens a picture. The file keeps only the picture's name; a loaded example refers to the
// picture of that name beside the example file.
class TShowCmdOpenFile : public TShowItem {
public:
    static constexpr TShowKind kind = TShowKind::OpenFile;
    explicit TShowCmdOpenFile(QString path = {}) : TShowItem(kind), Path(std::move(path)) {}
    std::unique_ptr<TShowItem> Clone() const override;

    QString Path; // empty when the file named no picture
};

// The item as its own class, or null when it is of another kind.
template <typename T> T* showItemAs(TShowItem* item) {
    return item != nullptr && item->Kind() == T::kind ? static_cast<T*>(item) : nullptr;
}
template <typename T> const T* showItemAs(const TShowItem* item) {
    return item != nullptr && item->Kind() == T::kind ? static_cast<const T*>(item) : nullptr;
}
