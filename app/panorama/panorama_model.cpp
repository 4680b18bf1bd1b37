#include "panorama_model.h"

#include "dib_image.h"
#include "language.h"
#include "zoom.h"

#include <algorithm>
#include <cmath>

namespace {
// A position on one axis that keeps a picture of that side on the plane.
std::int32_t clampedPosition(std::int64_t position, int pictureSide) {
    const std::int64_t last =
        std::max<std::int64_t>(0, std::int64_t{PanoramaModel::PlaneSize} - pictureSide);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(position, 0, last));
}
} // namespace

PanoramaRect PanoramaRect::Normalized() const {
    return {std::min(Left, Right), std::min(Top, Bottom), std::max(Left, Right),
            std::max(Top, Bottom)};
}

PanoramaRect PanoramaRect::Intersected(const PanoramaRect& other) const {
    const PanoramaRect common{std::max(Left, other.Left), std::max(Top, other.Top),
                              std::min(Right, other.Right), std::min(Bottom, other.Bottom)};
    return common.IsEmpty() ? PanoramaRect{} : common;
}

PanoramaRect PanoramaRect::United(const PanoramaRect& other) const {
    if (IsEmpty()) {
        return other.IsEmpty() ? PanoramaRect{} : other;
    }
    if (other.IsEmpty()) {
        return *this;
    }
    return {std::min(Left, other.Left), std::min(Top, other.Top), std::max(Right, other.Right),
            std::max(Bottom, other.Bottom)};
}

QRect PanoramaRect::ToQRect() const {
    if (IsEmpty()) {
        return {};
    }
    return {Left, Top, static_cast<int>(Width()), static_cast<int>(Height())};
}

PanoramaRect PanoramaRect::FromQRect(const QRect& rect) {
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

QSize TImagePanoramaData::PictureSize() const {
    if (Header == nullptr || Bits == nullptr || Header->biBitCount != 24 ||
        Header->biCompression != 0 || Header->biWidth <= 0 || Header->biHeight <= 0 ||
        Header->biWidth > PanoramaModel::PlaneSize || Header->biHeight > PanoramaModel::PlaneSize) {
        return {0, 0};
    }
    return {Header->biWidth, Header->biHeight};
}

PanoramaRect TImagePanoramaData::UsedFrame() const {
    const QSize size = PictureSize();
    return Frame.Intersected({0, 0, size.width(), size.height()});
}

PanoramaRect TImagePanoramaData::PlacedFrame() const {
    const PanoramaRect used = UsedFrame();
    return used.IsEmpty() ? PanoramaRect{} : used.Translated(Left, Top);
}

PanoramaRect TImagePanoramaData::PlacedArea() const {
    const QSize size = PictureSize();
    return size.isEmpty() ? PanoramaRect{}
                          : PanoramaRect{Left, Top, Left + size.width(), Top + size.height()};
}

PanoramaRect framesBoundsOf(const std::vector<TImagePanoramaData>& items) {
    PanoramaRect bounds;
    for (const TImagePanoramaData& item : items) {
        if (item.Checked) {
            bounds = bounds.United(item.PlacedFrame());
        }
    }
    return bounds;
}

QImage panoramaThumbnail(const TImagePanoramaData& item) {
    if (item.PictureSize().isEmpty()) {
        return {};
    }
    constexpr int centred = 2;
    return TDIBImage::MakeThumbnail(
        item.Header, item.Bits, QSize(PanoramaModel::ThumbnailSide, PanoramaModel::ThumbnailSide),
        centred, centred, true);
}

void PanoramaModel::LoadImages(const std::vector<PanoramaSource>& sources) {
    constexpr std::int64_t cascadeStep = 20;
    for (const PanoramaSource& source : sources) {
        TImagePanoramaData item;
        item.Name = source.Name;
        item.Header = source.Header;
        item.Bits = source.Bits;
        const QSize size = item.PictureSize();
        const std::int64_t cascade = cascadeStep * ImageCount();
        item.Left = clampedPosition(cascade, size.width());
        item.Top = clampedPosition(cascade, size.height());
        item.Frame = {0, 0, size.width(), size.height()};
        item.Checked = true;
        item.ListIndex = ImageCount();
        items_.push_back(item);
    }
    keepScrollInRange();
}

const TImagePanoramaData* PanoramaModel::Current() const {
    return items_.empty() ? nullptr : &items_.front();
}

int PanoramaModel::IndexOfListEntry(int listIndex) const {
    const auto found = std::find_if(items_.begin(), items_.end(),
                                    [&](const auto& item) { return item.ListIndex == listIndex; });
    return found == items_.end() ? -1 : static_cast<int>(found - items_.begin());
}

void PanoramaModel::SetZoom(int z) {
    zoom_ = zoom::clamp(z);
    keepScrollInRange();
}

void PanoramaModel::ZoomIn() {
    SetZoom(zoom::stepIn(zoom_));
}

void PanoramaModel::ZoomOut() {
    SetZoom(zoom::stepOut(zoom_));
}

QString PanoramaModel::Caption(const QString& title) const {
    return title + zoom::captionSuffix(zoom_);
}

QString PanoramaModel::Caption(const TLanguage& language) const {
    return Caption(language.Text("Panorama", 0));
}

int PanoramaModel::ToScreenLength(int plane) const {
    return zoom_ >= 1 ? plane * zoom_ : plane / -zoom_;
}

int PanoramaModel::ToPlaneLength(int screen) const {
    return zoom_ >= 1 ? screen / zoom_ : screen * -zoom_;
}

QPoint PanoramaModel::PlaneToScreen(QPoint plane) const {
    return zoom::imageToClient(plane, scroll_, zoom_);
}

QPoint PanoramaModel::ScreenToPlane(QPoint screen) const {
    return zoom::clientToImage(screen, scroll_, zoom_);
}

QRect PanoramaModel::PlaneToScreen(const PanoramaRect& plane) const {
    if (plane.IsEmpty()) {
        return {};
    }
    return zoom::imageToClient(plane.ToQRect(), scroll_, zoom_);
}

PanoramaRect PanoramaModel::ScreenToPlane(const QRect& screen) const {
    return PanoramaRect::FromQRect(zoom::clientToImage(screen.normalized(), scroll_, zoom_));
}

void PanoramaModel::SetClientSize(QSize client) {
    client_ = client.expandedTo({0, 0});
    keepScrollInRange();
}

void PanoramaModel::SetScrollPosition(QPoint scroll) {
    scroll_ = scroll;
    keepScrollInRange();
}

PanoramaRect PanoramaModel::Bounds() const {
    PanoramaRect bounds;
    for (const TImagePanoramaData& item : items_) {
        if (item.Checked) {
            bounds = bounds.United(item.PlacedArea());
        }
    }
    return bounds;
}

QSize PanoramaModel::Extent() const {
    const PanoramaRect bounds = Bounds();
    return bounds.IsEmpty() ? QSize(0, 0) : QSize(bounds.Right, bounds.Bottom);
}

QSize PanoramaModel::ScreenExtent() const {
    const QSize extent = Extent();
    return {ToScreenLength(extent.width()), ToScreenLength(extent.height())};
}

QSize PanoramaModel::ScrollRange() const {
    return ScreenExtent() + QSize(ScrollMargin, ScrollMargin);
}

QSize PanoramaModel::ScrollMaximum() const {
    return (ScrollRange() - client_).expandedTo({0, 0});
}

int PanoramaModel::LineStep() const {
    constexpr int step = 3;
    return zoom_ < 1 ? step : step * zoom_;
}

int PanoramaModel::NudgeStep() const {
    return zoom_ < 1 ? -zoom_ : 1;
}

void PanoramaModel::SetInitialZoom() {
    const PanoramaRect bounds = Bounds();
    // A side of the client area without pixels cannot show anything, so it sets no ratio.
    double ratio = 0.0;
    if (client_.width() > 0) {
        ratio = std::max(ratio, static_cast<double>(bounds.Width()) / client_.width());
    }
    if (client_.height() > 0) {
        ratio = std::max(ratio, static_cast<double>(bounds.Height()) / client_.height());
    }
    const double whole = std::floor(ratio);
    const double reduction = whole + (ratio - whole > 0.1 ? 2.0 : 1.0);
    // Anything beyond 1:16 is 1:16; the cap keeps the conversion to int defined.
    SetZoom(-static_cast<int>(std::min(reduction, static_cast<double>(-zoom::smallest) + 1)));
}

void PanoramaModel::CentreOn(QPoint plane) {
    const auto scrollFor = [this](int planeCoordinate, int clientSide) {
        const int position = std::max(ToScreenLength(planeCoordinate) - clientSide / 2, 0);
        return position - position % LineStep();
    };
    SetScrollPosition(
        {scrollFor(plane.x(), client_.width()), scrollFor(plane.y(), client_.height())});
}

void PanoramaModel::ZoomToRect(const PanoramaRect& plane) {
    const PanoramaRect r = plane.Normalized();
    const QRect band(QPoint(r.Left, r.Top),
                     QSize(static_cast<int>(std::min<std::int64_t>(r.Width(), PlaneSize)),
                           static_cast<int>(std::min<std::int64_t>(r.Height(), PlaneSize))));
    SetZoom(zoom::zoomForRect(band, client_, zoom_));
    CentreOn({static_cast<int>((std::int64_t{r.Left} + r.Right) / 2),
              static_cast<int>((std::int64_t{r.Top} + r.Bottom) / 2)});
}

PanoramaRect PanoramaModel::FramesBounds() const {
    return framesBoundsOf(items_);
}

PanoramaRect PanoramaModel::OverallFrameOrBounds() const {
    return overallFrame_.IsEmpty() ? FramesBounds() : overallFrame_;
}

void PanoramaModel::ApplyOverallFrame() {
    // Kept on the plane, so that no edge less a position can overflow.
    const PanoramaRect o = OverallFrameOrBounds().Intersected({0, 0, PlaneSize, PlaneSize});
    overallFrame_ = {};
    if (o.IsEmpty()) {
        return;
    }
    for (TImagePanoramaData& item : items_) {
        if (!item.Checked) {
            continue;
        }
        PanoramaRect& frame = item.Frame;
        frame.Left = std::max(frame.Left, o.Left - item.Left);
        frame.Top = std::max(frame.Top, o.Top - item.Top);
        frame.Right = std::min(frame.Right, o.Right - item.Left);
        frame.Bottom = std::min(frame.Bottom, o.Bottom - item.Top);
    }
}

void PanoramaModel::SetFrame(int index, const PanoramaRect& frame) {
    if (!validIndex(index)) {
        return;
    }
    TImagePanoramaData& item = items_[index];
    const QSize size = item.PictureSize();
    item.Frame = {std::clamp(frame.Left, 0, size.width()), std::clamp(frame.Top, 0, size.height()),
                  std::clamp(frame.Right, 0, size.width()),
                  std::clamp(frame.Bottom, 0, size.height())};
}

void PanoramaModel::MoveBy(int index, QPoint offset) {
    if (!validIndex(index)) {
        return;
    }
    TImagePanoramaData& item = items_[index];
    const QSize size = item.PictureSize();
    item.Left = clampedPosition(std::int64_t{item.Left} + offset.x(), size.width());
    item.Top = clampedPosition(std::int64_t{item.Top} + offset.y(), size.height());
    keepScrollInRange();
}

QRect PanoramaModel::DisplayedFrame(int index) const {
    return validIndex(index) ? PlaneToScreen(items_[index].PlacedFrame()) : QRect();
}

int PanoramaModel::ItemAt(QPoint screen) const {
    for (int i = 0; i < ImageCount(); ++i) {
        if (items_[i].Checked && DisplayedFrame(i).contains(screen)) {
            return i;
        }
    }
    return -1;
}

int PanoramaModel::BringToTop(int index) {
    if (!validIndex(index) || !items_[index].Checked) {
        return index;
    }
    return moveItem(index, 0);
}

int PanoramaModel::SetChecked(int index, bool checked) {
    if (!validIndex(index)) {
        return index;
    }
    items_[index].Checked = checked;
    const int moved = moveItem(index, checked ? 0 : ImageCount() - 1);
    keepScrollInRange();
    return moved;
}

int PanoramaModel::moveItem(int from, int to) {
    const auto first = items_.begin();
    if (from > to) {
        std::rotate(first + to, first + from, first + from + 1);
    } else {
        std::rotate(first + from, first + from + 1, first + to + 1);
    }
    return to;
}

void PanoramaModel::keepScrollInRange() {
    const QSize maximum = ScrollMaximum();
    scroll_ = {std::clamp(scroll_.x(), 0, maximum.width()),
               std::clamp(scroll_.y(), 0, maximum.height())};
}
