// Feeds arbitrary bytes to the example file reader: no crash, no unbounded allocation; a failed
// load leaves the list as it was; a loaded example has one entry per language in every note,
// refers to no picture outside its folder, and saves to bytes that load and save unchanged.
#include "show_list.h"

#include <QBuffer>

#include <cstdlib>

namespace {
const QString folder = "/examples";

QByteArray saved(const TShowList& list) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!list.Save(buffer)) {
        std::abort();
    }
    return buffer.data();
}

TShowLoadResult loadInto(TShowList& list, QByteArray bytes, bool headerOnly) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return headerOnly ? list.LoadHeader(buffer) : list.Load(buffer, folder);
}

void checkLoaded(TShowList& list) {
    for (int i = 0; i < list.Count(); ++i) {
        if (const auto* note = showItemAs<TNoteList>(list[i])) {
            if (note->Entries.size() != std::size_t(list.LanguageCount())) {
                std::abort();
            }
        }
        if (const auto* openFile = showItemAs<TShowCmdOpenFile>(list[i])) {
            const QString& path = openFile->Path;
            if (!path.isEmpty() &&
                (!path.startsWith(folder + '/') || path.indexOf('/', folder.size() + 1) >= 0 ||
                 path.endsWith("/..") || path.endsWith("/."))) {
                std::abort();
            }
        }
    }
    for (int language = 0; language < list.LanguageCount(); ++language) {
        list.SetCurrentLanguage(language);
        for (int i = 0; i < list.Count(); ++i) {
            list.GetNote(i);
        }
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    TShowList list;
    list.AddLanguage("before");
    list.AddDelay(1);
    const QByteArray before = saved(list);
    const TShowLoadResult result = loadInto(list, bytes, false);

    TShowList header;
    const TShowLoadResult headerResult = loadInto(header, bytes, true);
    if (result == TShowLoadResult::Loaded && headerResult != TShowLoadResult::Loaded) {
        std::abort();
    }
    if (result != TShowLoadResult::Loaded) {
        if (saved(list) != before || list.CurrentLanguage() != 0) {
            std::abort();
        }
        return 0;
    }
    checkLoaded(list);
    const QByteArray first = saved(list);
    TShowList reloaded;
    if (loadInto(reloaded, first, false) != TShowLoadResult::Loaded || saved(reloaded) != first) {
        std::abort();
    }
    return 0;
}
