// TShowList: an example in memory. Its items play in order; its notes carry one text per
// language of the example; the header and the state block say how the program looked when
// recording began, so that playing can start from the same state.
//
// Loading goes into a new list that replaces this one only when the whole file was read: a
// failed load leaves the list and its file name as they were, so that a later save cannot
// overwrite the damaged file with a half-read example.
#pragma once

#include "my_list.h"
#include "show_header.h"
#include "show_items.h"
#include "show_reader.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QIODevice>
#include <QString>

#include <cstdint>

// A note's text in the current language, for display.
struct TNoteText {
    std::uint32_t Time = 0;
    QString Text;
};

class TShowList : public TMyList<TShowItem> {
public:
    TShowHeader Header;
    // The program's state when recording began, as the recorder captured it: the configuration
    // block, the colour collection and the gamma window's state. Kept and stored as it is.
    QByteArray StateBlock;

    // Frees the items, forgets the languages and the state, zeroes the header. The file name
    // stays.
    void Clear();
    // A deep copy of the header, state, languages and items of `other`; the first language
    // becomes current. The file name stays.
    void Assign(const TShowList& other);

    // Languages, in the order the entries of every note follow.
    int LanguageCount() const { return int(languages_.size()); }
    const QByteArrayList& StoredLanguages() const { return languages_; }
    // The display name of a language; empty for an index outside the list.
    QString Language(int index) const;
    int IndexOfLanguage(const QString& name) const;
    bool HasSeveralLanguages() const { return languages_.size() >= 2; }
    // Appends a language with an empty entry in every note and makes it current; a name that
    // is there already changes nothing.
    void AddLanguage(const QString& name);
    // False for an index outside the list or a name another language has.
    bool RenameLanguage(int index, const QString& name);
    // Removes the language and its entry from every note. The current language stays the same
    // language where it remains; otherwise the first one becomes current.
    void DeleteLanguage(int index);
    // -1 when there is no language.
    int CurrentLanguage() const { return currentLanguage_; }
    // A valid index is taken; any other makes the first language current (none without any).
    void SetCurrentLanguage(int index);

    // Adding items; each returns the index the item got. An index outside the list appends.
    int AddCommand(const TShowCmd& command);
    int AddDelay(std::uint32_t milliseconds, int index = -1);
    int AddOpenFile(const QString& picturePath, int index = -1);
    // A note with an empty entry per language whose entry in the current language is
    // (time, text); -1 (and nothing inserted) without a current language.
    int InsertNote(const QString& text, std::uint32_t time, int index);
    // The current language's entry of a note; (0, empty) for another item or without a
    // current language.
    TNoteText GetNote(int item) const;
    // Changes the current language's entry of a note only.
    void SetNote(int item, std::uint32_t time, const QString& text);

    // Reading and writing. Pictures to open are looked for in `pictureFolder` (the example
    // file's folder when loading a file). The file name is set when a load or save succeeds.
    TShowLoadResult Load(QIODevice& stream, const QString& pictureFolder);
    // The header and languages only, for listing examples quickly; the items may be damaged.
    TShowLoadResult LoadHeader(QIODevice& stream);
    TShowLoadResult LoadFromFile(const QString& path);
    TShowLoadResult LoadHeaderFromFile(const QString& path);
    // Refused for a list loaded header-only: it lacks the state and the items of its file.
    bool Save(QIODevice& stream) const;
    // Writes beside the old file and replaces it only when complete.
    bool SaveToFile(const QString& path);
    const QString& FileName() const { return fileName_; }
    // A new recording belongs to no file yet.
    void ForgetFileName() { fileName_.clear(); }
    // True after LoadHeader until the list is cleared, assigned or loaded whole.
    bool HeaderOnly() const { return headerOnly_; }

protected:
    bool ReadHeader(QIODevice& stream) override;
    bool WriteHeader(QIODevice& stream) const override;
    std::unique_ptr<TShowItem> ReadItem(QIODevice& stream) override;
    bool WriteItem(QIODevice& stream, const TShowItem& item) const override;

private:
    // The list's own loading and saving replace the plain ones of the list base.
    using TMyList<TShowItem>::LoadFromStream;
    using TMyList<TShowItem>::SaveToStream;

    TShowLoadResult loadWhole(QIODevice& stream, const QString& pictureFolder);
    void takeLoaded(const TShowList& loaded);
    void copyItems(const TShowList& other);
    TNoteList* noteAt(int item) const;
    bool hasCurrentLanguage() const;
    int insertItem(std::unique_ptr<TShowItem> item, int index);

    QByteArrayList languages_;
    int currentLanguage_ = -1;
    QString fileName_;
    bool headerOnly_ = false;
    // While loading.
    TShowLoadResult loadResult_ = TShowLoadResult::Loaded;
    TShowItemReading reading_;
};
