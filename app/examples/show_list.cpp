#include "show_list.h"

#include "show_file_io.h"
#include "show_writer.h"

#include <QBuffer>
#include <QFileInfo>

void TShowList::Clear() {
    TMyList<TShowItem>::Clear();
    languages_.clear();
    currentLanguage_ = -1;
    StateBlock.clear();
    Header = TShowHeader();
    headerOnly_ = false;
}

void TShowList::Assign(const TShowList& other) {
    if (&other == this) {
        return;
    }
    Header = other.Header;
    StateBlock = other.StateBlock;
    languages_ = other.languages_;
    headerOnly_ = other.headerOnly_;
    copyItems(other);
    SetCurrentLanguage(0);
}

void TShowList::copyItems(const TShowList& other) {
    TMyList<TShowItem>::Clear();
    for (int i = 0; i < other.Count(); ++i) {
        Add(other[i]->Clone());
    }
}

int TShowList::insertItem(std::unique_ptr<TShowItem> item, int index) {
    if (index < 0 || index > Count()) {
        index = Count();
    }
    Insert(index, std::move(item));
    return index;
}

int TShowList::AddCommand(const TShowCmd& command) {
    return insertItem(command.Clone(), Count());
}

int TShowList::AddDelay(std::uint32_t milliseconds, int index) {
    return insertItem(std::make_unique<TShowDelay>(milliseconds), index);
}

int TShowList::AddOpenFile(const QString& picturePath, int index) {
    return insertItem(std::make_unique<TShowCmdOpenFile>(picturePath), index);
}

TShowLoadResult TShowList::Load(QIODevice& stream, const QString& pictureFolder) {
    TShowList loaded;
    const TShowLoadResult result = loaded.loadWhole(stream, pictureFolder);
    if (result == TShowLoadResult::Loaded) {
        takeLoaded(loaded);
    }
    return result;
}

TShowLoadResult TShowList::LoadHeader(QIODevice& stream) {
    TShowList loaded;
    const TShowLoadResult result = readShowPreamble(stream, loaded.Header, loaded.languages_);
    if (result == TShowLoadResult::Loaded) {
        takeLoaded(loaded);
        headerOnly_ = true;
    }
    return result;
}

TShowLoadResult TShowList::LoadFromFile(const QString& path) {
    QFile file;
    if (!openRegularFile(file, path)) {
        return TShowLoadResult::CannotOpen;
    }
    const TShowLoadResult result = Load(file, QFileInfo(path).absolutePath());
    if (result == TShowLoadResult::Loaded) {
        fileName_ = path;
    }
    return result;
}

TShowLoadResult TShowList::LoadHeaderFromFile(const QString& path) {
    QFile file;
    if (!openRegularFile(file, path)) {
        return TShowLoadResult::CannotOpen;
    }
    const TShowLoadResult result = LoadHeader(file);
    if (result == TShowLoadResult::Loaded) {
        fileName_ = path;
    }
    return result;
}

bool TShowList::Save(QIODevice& stream) const {
    return !headerOnly_ && SaveToStream(stream);
}

bool TShowList::SaveToFile(const QString& path) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!Save(buffer) || !replaceFileWith(path, buffer.data())) {
        return false;
    }
    fileName_ = path;
    return true;
}

TShowLoadResult TShowList::loadWhole(QIODevice& stream, const QString& pictureFolder) {
    loadResult_ = TShowLoadResult::Loaded;
    reading_ = TShowItemReading();
    reading_.pictureFolder = pictureFolder;
    // Notes that lack entries get empty ones, at most one per byte of the file in all.
    reading_.paddingLeft = stream.isSequential() ? stream.bytesAvailable() : stream.size();
    if (LoadFromStream(stream)) {
        return TShowLoadResult::Loaded;
    }
    return loadResult_ == TShowLoadResult::Loaded ? TShowLoadResult::Damaged : loadResult_;
}

void TShowList::takeLoaded(const TShowList& loaded) {
    Header = loaded.Header;
    StateBlock = loaded.StateBlock;
    languages_ = loaded.languages_;
    headerOnly_ = false;
    copyItems(loaded);
    currentLanguage_ = languages_.isEmpty() ? -1 : 0;
}

bool TShowList::ReadHeader(QIODevice& stream) {
    loadResult_ = readShowPreamble(stream, Header, languages_);
    if (loadResult_ != TShowLoadResult::Loaded) {
        return false;
    }
    if (!readShowStateBlock(stream, StateBlock)) {
        loadResult_ = TShowLoadResult::Damaged;
        return false;
    }
    reading_.languageCount = LanguageCount();
    return true;
}

bool TShowList::WriteHeader(QIODevice& stream) const {
    return writeShowPreamble(stream, Header, languages_) && writeShowStateBlock(stream, StateBlock);
}

std::unique_ptr<TShowItem> TShowList::ReadItem(QIODevice& stream) {
    return readShowItem(stream, reading_);
}

bool TShowList::WriteItem(QIODevice& stream, const TShowItem& item) const {
    return writeShowItem(stream, item, LanguageCount());
}
