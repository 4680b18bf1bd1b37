// TMyList: the program's owning list of items that can be kept in a stream: an optional header,
// a 32-bit item count, then the items, each read and written by the list's own kind. The
// colour collection, the printed areas and an image window's regions and hatch areas are such
// lists.
#pragma once

#include <QFile>
#include <QIODevice>
#include <QSaveFile>

#include <QtEndian>

#include <cstdint>
#include <memory>
#include <vector>

template <typename Item> class TMyList {
public:
    TMyList() = default;
    TMyList(const TMyList&) = delete;
    TMyList& operator=(const TMyList&) = delete;
    virtual ~TMyList() = default;

    int Count() const { return static_cast<int>(items_.size()); }
    Item* operator[](int index) const { return items_[index].get(); }
    Item* Items(int index) const { return items_[index].get(); }
    int IndexOf(const Item* item) const {
        for (int i = 0; i < Count(); ++i) {
            if (items_[i].get() == item) {
                return i;
            }
        }
        return -1;
    }
    Item* Add(std::unique_ptr<Item> item) {
        items_.push_back(std::move(item));
        return items_.back().get();
    }
    Item* Insert(int index, std::unique_ptr<Item> item) {
        return items_.insert(items_.begin() + index, std::move(item))->get();
    }
    // Swaps the items at two positions.
    void Exchange(int a, int b) { std::swap(items_[a], items_[b]); }

    // Frees the item at `index`; an index outside the list does nothing.
    void DeleteItem(int index) {
        if (index >= 0 && index < Count()) {
            items_.erase(items_.begin() + index);
        }
    }
    void DeleteItemPtr(const Item* item) {
        if (item != nullptr) {
            DeleteItem(IndexOf(item));
        }
    }
    void Clear() { TrimTo(0); }
    // Deletes from the end while the list holds more than n items.
    void TrimTo(int n) {
        while (Count() > std::max(n, 0)) {
            items_.pop_back();
        }
    }

    // The list from a stream: header, count, items. On any error the list is empty and the
    // result false; a count beyond what the stream holds fails at the first missing item.
    bool LoadFromStream(QIODevice& stream) {
        Clear();
        std::uint32_t count = 0;
        if (!ReadHeader(stream) || !readValue(stream, count)) {
            Clear();
            return false;
        }
        for (std::uint32_t i = 0; i < count; ++i) {
            std::unique_ptr<Item> item = ReadItem(stream);
            if (item == nullptr) {
                Clear();
                return false;
            }
            Add(std::move(item));
        }
        return true;
    }
    bool SaveToStream(QIODevice& stream) const {
        if (!WriteHeader(stream) || !writeValue(stream, static_cast<std::uint32_t>(Count()))) {
            return false;
        }
        for (const auto& item : items_) {
            if (!WriteItem(stream, *item)) {
                return false;
            }
        }
        return true;
    }
    bool LoadFromFile(const QString& name) {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly)) {
            Clear();
            return false;
        }
        return LoadFromStream(file);
    }
    // Writes a new file beside the old one and puts it in its place only when complete, so a
    // failed save leaves the previous file as it was.
    bool SaveToFile(const QString& name) const {
        QSaveFile file(name);
        return file.open(QIODevice::WriteOnly) && SaveToStream(file) && file.commit();
    }

    // Little-endian values, as every stored list keeps them.
    template <typename T> static bool readValue(QIODevice& stream, T& value) {
        T stored;
        if (stream.read(reinterpret_cast<char*>(&stored), sizeof stored) != sizeof stored) {
            return false;
        }
        value = qFromLittleEndian(stored);
        return true;
    }
    template <typename T> static bool writeValue(QIODevice& stream, T value) {
        const T stored = qToLittleEndian(value);
        return stream.write(reinterpret_cast<const char*>(&stored), sizeof stored) == sizeof stored;
    }

protected:
    virtual bool ReadHeader(QIODevice&) { return true; }
    virtual bool WriteHeader(QIODevice&) const { return true; }
    // A new item from the stream, or null on a stream error.
    virtual std::unique_ptr<Item> ReadItem(QIODevice& stream) = 0;
    virtual bool WriteItem(QIODevice& stream, const Item& item) const = 0;

private:
    std::vector<std::unique_ptr<Item>> items_;
};
