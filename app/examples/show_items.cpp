#include "show_items.h"

#include <QtEndian>

std::unique_ptr<TShowItem> TShowCmd::Clone() const {
    return std::make_unique<TShowCmd>(*this);
}

std::int32_t TShowCmd::PanoramaZone() const {
    return qFromLittleEndian<std::int32_t>(TargetData.data());
}

std::int32_t TShowCmd::PanoramaZoom() const {
    return qFromLittleEndian<std::int32_t>(TargetData.data() + 4);
}

void TShowCmd::SetPanorama(std::int32_t zone, std::int32_t zoom) {
    qToLittleEndian(zone, TargetData.data());
    qToLittleEndian(zoom, TargetData.data() + 4);
}

std::unique_ptr<TShowItem> TNoteList::Clone() const {
    return std::make_unique<TNoteList>(*this);
}

std::unique_ptr<TShowItem> TShowDelay::Clone() const {
    return std::make_unique<TShowDelay>(*this);
}

std::unique_ptr<TShowItem> TShowCmdOpenFile::Clone() const {
    return std::make_unique<TShowCmdOpenFile>(*this);
}
