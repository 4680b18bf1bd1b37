// The languages of an example and the note texts kept in them.
#include "show_list.h"

#include "stored_text.h"

QString TShowList::Language(int index) const {
    return index >= 0 && index < LanguageCount() ? displayTextOf(languages_[index]) : QString();
}

int TShowList::IndexOfLanguage(const QString& name) const {
    for (int i = 0; i < LanguageCount(); ++i) {
        if (Language(i) == name) {
            return i;
        }
    }
    return -1;
}

void TShowList::AddLanguage(const QString& name) {
    if (IndexOfLanguage(name) >= 0) {
        return;
    }
    languages_.push_back(storedTextOf(name));
    for (int i = 0; i < Count(); ++i) {
        if (TNoteList* note = noteAt(i)) {
            note->Entries.resize(LanguageCount());
        }
    }
    currentLanguage_ = LanguageCount() - 1;
}

bool TShowList::RenameLanguage(int index, const QString& name) {
    const int holder = IndexOfLanguage(name);
    if (index < 0 || index >= LanguageCount() || (holder >= 0 && holder != index)) {
        return false;
    }
    languages_[index] = storedTextOf(name);
    return true;
}

void TShowList::DeleteLanguage(int index) {
    if (index < 0 || index >= LanguageCount()) {
        return;
    }
    languages_.removeAt(index);
    for (int i = 0; i < Count(); ++i) {
        TNoteList* note = noteAt(i);
        if (note != nullptr && std::size_t(index) < note->Entries.size()) {
            note->Entries.erase(note->Entries.begin() + index);
        }
    }
    if (currentLanguage_ > index) {
        --currentLanguage_;
    } else if (currentLanguage_ == index) {
        SetCurrentLanguage(0);
    }
}

void TShowList::SetCurrentLanguage(int index) {
    if (index >= 0 && index < LanguageCount()) {
        currentLanguage_ = index;
    } else {
        currentLanguage_ = languages_.isEmpty() ? -1 : 0;
    }
}

bool TShowList::hasCurrentLanguage() const {
    return currentLanguage_ >= 0 && currentLanguage_ < LanguageCount();
}

TNoteList* TShowList::noteAt(int item) const {
    return item >= 0 && item < Count() ? showItemAs<TNoteList>(Items(item)) : nullptr;
}

int TShowList::InsertNote(const QString& text, std::uint32_t time, int index) {
    if (!hasCurrentLanguage()) {
        return -1;
    }
    auto note = std::make_unique<TNoteList>();
    note->Entries.resize(LanguageCount());
    note->Entries[currentLanguage_] = TNoteItem{time, storedTextOf(text)};
    return insertItem(std::move(note), index);
}

TNoteText TShowList::GetNote(int item) const {
    const TNoteList* note = noteAt(item);
    if (note == nullptr || !hasCurrentLanguage() ||
        std::size_t(currentLanguage_) >= note->Entries.size()) {
        return {};
    }
    const TNoteItem& entry = note->Entries[currentLanguage_];
    return {entry.Time, displayTextOf(entry.Text)};
}

void TShowList::SetNote(int item, std::uint32_t time, const QString& text) {
    TNoteList* note = noteAt(item);
    if (note == nullptr || !hasCurrentLanguage()) {
        return;
    }
    if (note->Entries.size() < std::size_t(LanguageCount())) {
        note->Entries.resize(LanguageCount()); // a note added by hand without all its entries
    }
    note->Entries[currentLanguage_] = TNoteItem{time, storedTextOf(text)};
}
