#include "settings_records.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

const QString dirSection = "DirSection";
const QString recentSection = "Recent File List";
const QByteArray signature = "HMCONF";
constexpr int blockHeaderSize = 4 + 6 + 4;

void appendLittleEndian(QByteArray& out, std::uint32_t value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

} // namespace

TLocalSettings defaultLocalSettings() {
    TLocalSettings s{};
    s.OpenFilterIndex = 1;
    s.SaveFilterIndex = 1;
    s.PrintFontCharset = 1;
    s.PrintFontColor = 0x80000008u; // the system's window-text colour
    const char font[] = "Times New Roman";
    s.PrintFontName[0] = sizeof font - 1;
    std::memcpy(s.PrintFontName + 1, font, sizeof font - 1);
    s.PrintFontSize = 8;
    s.Copies = 1;
    s.NextTip = 1;
    s.DisplayTips = 1;
    s.JpegQuality = 8;
    s.DisplayJPEGOptions = 1;
    s.DisplayTIFFOptions = 1;
    s.PngInterlaced = 1;
    s.DisplayPNGOptions = 1;
    s.Speed = 7;
    return s;
}

TConfigSettings defaultConfigSettings() {
    TConfigSettings s{};
    s.CreateNewWindow = 1;
    s.LayerRange = 5;
    s.FilterRange = 5;
    s.FilterPasses = 5;
    s.PromptToSave = 1; // a new user's unsaved corrections are never closed away silently
    s.ProgressDelay = 1;
    s.ReferenceColour[0] = s.ReferenceColour[1] = s.ReferenceColour[2] = 128;
    return s;
}

QByteArray encodeConfigBlock(const TConfigSettings& record, const QByteArray& extra) {
    QByteArray block;
    appendLittleEndian(block, static_cast<std::uint32_t>(signature.size()));
    block.append(signature);
    appendLittleEndian(block, static_cast<std::uint32_t>(sizeof record + extra.size()));
    block.append(reinterpret_cast<const char*>(&record), sizeof record);
    block.append(extra);
    return block;
}

bool decodeConfigBlock(const QByteArray& block, TConfigSettings& record, QByteArray& extra) {
    if (block.size() < blockHeaderSize ||
        qFromLittleEndian<std::uint32_t>(block.constData()) != 6 || block.mid(4, 6) != signature) {
        return false;
    }
    const std::uint32_t storedSize = qFromLittleEndian<std::uint32_t>(block.constData() + 10);
    const auto available = static_cast<std::size_t>(block.size() - blockHeaderSize);
    const std::size_t present = std::min<std::size_t>(storedSize, available);
    std::memcpy(&record, block.constData() + blockHeaderSize, std::min(present, sizeof record));
    extra = present > sizeof record
                ? block.mid(blockHeaderSize + static_cast<qsizetype>(sizeof record),
                            static_cast<qsizetype>(present - sizeof record))
                : QByteArray();
    return true;
}

void PersistedSettings::load(const SettingsStore& store) {
    store.readString(dirSection, "LanguageFileName", languageFileName);
    store.readString(dirSection, "HelpFileName", helpFileName);
    store.readString(dirSection, "ImageDirectory", imageDirectory);
    store.readString(dirSection, "ProcessingDirectory", processingDirectory);
    store.readString(dirSection, "PaletteFileName", paletteFileName);
    store.readString(dirSection, "PaletteDirectory", paletteDirectory);
    store.readBinary("", "LocalSettings", &local, sizeof local);

    int blockSize = 0;
    QByteArray block;
    if (store.readInteger("", "ConfigSettingsSize", blockSize) &&
        store.readBytes("", "ConfigSettings", block) && block.size() == blockSize) {
        decodeConfigBlock(block, config, configExtra);
    }
    int gammaSize = 0;
    QByteArray stored;
    if (store.readInteger("", "GammasBufSize", gammaSize) && gammaSize > 0 &&
        store.readBytes("", "GammasBuffer", stored) && stored.size() == gammaSize) {
        gammas = stored;
    }
    int megabytes = 0;
    if (store.readInteger("", "UndoMegabytes", megabytes) && megabytes >= 0) {
        undoMegabytes = megabytes;
    }
    int ask = 1;
    if (store.readInteger("", "AskBeforeReplacingOriginals", ask)) {
        askBeforeReplacingOriginals = ask != 0;
    }
    recentFiles.clear();
    for (int i = 1; i <= maxRecentFiles; ++i) {
        QString file;
        if (!store.readString(recentSection, QString("File%1").arg(i), file) || file.isEmpty()) {
            break;
        }
        recentFiles.push_back(file);
    }
}

void PersistedSettings::save(SettingsStore& store) const {
    const QByteArray block = encodeConfigBlock(config, configExtra);
    store.writeInteger("", "ConfigSettingsSize", static_cast<int>(block.size()));
    store.writeBinary("", "ConfigSettings", block.constData(),
                      static_cast<std::size_t>(block.size()));
    store.writeString(dirSection, "ImageDirectory", imageDirectory);
    store.writeString(dirSection, "ProcessingDirectory", processingDirectory);
    store.writeString(dirSection, "PaletteFileName", paletteFileName);
    store.writeString(dirSection, "PaletteDirectory", paletteDirectory);
    store.writeBinary("", "LocalSettings", &local, sizeof local);
    store.writeInteger("", "UndoMegabytes", undoMegabytes);
    store.writeInteger("", "AskBeforeReplacingOriginals", askBeforeReplacingOriginals ? 1 : 0);
    store.writeInteger("", "GammasBufSize", static_cast<int>(gammas.size()));
    store.writeBinary("", "GammasBuffer", gammas.constData(),
                      static_cast<std::size_t>(gammas.size()));
    const int count = std::min<int>(static_cast<int>(recentFiles.size()), maxRecentFiles);
    for (int i = 1; i <= maxRecentFiles; ++i) {
        const QString name = QString("File%1").arg(i);
        if (i <= count) {
            store.writeString(recentSection, name, recentFiles[i - 1]);
        } else {
            store.remove(recentSection, name);
        }
    }
    store.sync();
}

void PersistedSettings::saveFileChoices(SettingsStore& store) const {
    if (!languageFileName.isEmpty()) {
        store.writeString(dirSection, "LanguageFileName", languageFileName);
    }
    if (!helpFileName.isEmpty()) {
        store.writeString(dirSection, "HelpFileName", helpFileName);
    }
    store.sync();
}
