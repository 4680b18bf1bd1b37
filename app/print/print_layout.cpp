#include "print_layout.h"

#include "dib_image.h"

#include <algorithm>
#include <cmath>

namespace {
// Pixels per metre of a picture's header as pixels per inch.
constexpr long double inchesPerMetre = 25.4L * 0.001L;

long double held(long double value, const TPrintLayout::Range& range) {
    return std::clamp(value, range.Min, std::max(range.Min, range.Max));
}

std::int32_t scaled(std::int32_t pixels, int to, int from) {
    return from > 0 ? static_cast<std::int32_t>(
                          std::llround(static_cast<long double>(pixels) * to / from))
                    : pixels;
}
} // namespace

void TPrintLayout::SetMetrics(const PrinterMetrics& metrics) {
    const PrinterMetrics before = metrics_;
    metrics_ = metrics;
    forgetTypedValues();
    for (int i = 0; i < Count(); ++i) {
        keepPhysicalPlace(*images_->Items(i), before);
        applyOptions(*images_->Items(i));
    }
}

void TPrintLayout::SetImages(TPrintedImageList& list) {
    images_ = &list;
    forgetTypedValues();
    for (int i = 0; i < list.Count(); ++i) {
        placeAnew(*list[i], i);
    }
}

void TPrintLayout::placeAnew(TPrintedImage& image, int index) const {
    image.Left = metrics_.OffsetX + CascadeStep * index;
    image.Top = metrics_.OffsetY + CascadeStep * index;
    takeResolution(image);
    const QSize natural = NaturalSize(image);
    image.Width = natural.width();
    image.Height = natural.height();
    image.Title = image.Name;
    image.KeepAspectRatio = image.FitToPage = image.OneToOne = false;
    image.CenterHorizontally = image.CenterVertically = false;
}

// The header's resolution, or the printer's where the header has none; and the shape the
// picture has at it.
void TPrintLayout::takeResolution(TPrintedImage& image) const {
    const BITMAPINFOHEADER& header = *image.Image->Header;
    if (header.biXPelsPerMeter > 0 && header.biYPelsPerMeter > 0) {
        image.ResolutionX = header.biXPelsPerMeter * inchesPerMetre;
        image.ResolutionY = header.biYPelsPerMeter * inchesPerMetre;
    } else {
        image.ResolutionX = metrics_.PpiX;
        image.ResolutionY = metrics_.PpiY;
    }
    const long double physicalWidth = image.Image->Width() / image.ResolutionX;
    const long double physicalHeight = image.Image->Height() / image.ResolutionY;
    image.Aspect = physicalWidth > 0 ? physicalHeight / physicalWidth : 1.0L;
}

TPrintedImage* TPrintLayout::Active() const {
    return Count() > 0 ? images_->Items(0) : nullptr;
}

void TPrintLayout::Activate(int index) {
    if (images_ != nullptr) {
        images_->MoveToFront(index);
        forgetTypedValues();
    }
}

void TPrintLayout::DeleteActive() {
    if (CanDelete()) {
        images_->DeleteItem(0);
        forgetTypedValues();
    }
}

void TPrintLayout::SetUnit(PrintUnit unit) {
    unit_ = unit;
    forgetTypedValues();
}

TPrintLayout::Range TPrintLayout::FieldRange(Field field) const {
    const bool millimetres = unit_ == PrintUnit::Millimetres;
    const long double step = millimetres ? 1.0L : 0.1L;
    const long double smallestSide = millimetres ? 1.0L : 0.1L;
    const int ppi = ppiOf(field);
    switch (field) {
    case LeftField:
        return {unitsOf(metrics_.OffsetX, ppi, unit_),
                unitsOf(metrics_.OffsetX + metrics_.PrintableWidth, ppi, unit_), step};
    case TopField:
        return {unitsOf(metrics_.OffsetY, ppi, unit_),
                unitsOf(metrics_.OffsetY + metrics_.PrintableHeight, ppi, unit_), step};
    case WidthField:
        return {smallestSide, unitsOf(metrics_.PrintableWidth, ppi, unit_), step};
    case HeightField:
        return {smallestSide, unitsOf(metrics_.PrintableHeight, ppi, unit_), step};
    }
    return {0, 0, step};
}

long double TPrintLayout::FieldValue(Field field) const {
    TPrintedImage* image = Active();
    if (image == nullptr) {
        return 0;
    }
    const std::int32_t pixels = storedPixels(*image, field);
    const TypedValue& typed = typed_[field];
    if (typed.image == image && typed.unit == unit_ &&
        ::pixelsOf(typed.value, ppiOf(field), unit_) == pixels) {
        return typed.value;
    }
    return unitsOf(pixels, ppiOf(field), unit_);
}

bool TPrintLayout::FieldEnabled(Field field) const {
    const TPrintedImage* image = Active();
    if (image == nullptr) {
        return false;
    }
    switch (field) {
    case LeftField:
        return !image->CenterHorizontally;
    case TopField:
        return !image->CenterVertically;
    case WidthField:
    case HeightField:
        return !image->OneToOne && !image->FitToPage;
    }
    return false;
}

void TPrintLayout::SetLeft(long double value) {
    if (TPrintedImage* image = Active()) {
        store(*image, LeftField, value);
    }
}

void TPrintLayout::SetTop(long double value) {
    if (TPrintedImage* image = Active()) {
        store(*image, TopField, value);
    }
}

void TPrintLayout::SetWidth(long double value) {
    if (TPrintedImage* image = Active()) {
        resizeByWidth(*image, value);
        if (FieldEnabled(WidthField)) {
            applyOptions(*image);
        }
    }
}

void TPrintLayout::SetHeight(long double value) {
    if (TPrintedImage* image = Active()) {
        resizeByHeight(*image, value);
        if (FieldEnabled(HeightField)) {
            applyOptions(*image);
        }
    }
}

bool TPrintLayout::OptionOn(Option option) const {
    const TPrintedImage* image = Active();
    if (image == nullptr) {
        return false;
    }
    switch (option) {
    case KeepAspectRatio:
        return image->KeepAspectRatio;
    case FitToPage:
        return image->FitToPage;
    case OneToOne:
        return image->OneToOne;
    case CenterHorizontally:
        return image->CenterHorizontally;
    case CenterVertically:
        return image->CenterVertically;
    }
    return false;
}

void TPrintLayout::SetOption(Option option, bool on) {
    TPrintedImage* image = Active();
    if (image == nullptr) {
        return;
    }
    switch (option) {
    case KeepAspectRatio:
        image->KeepAspectRatio = on;
        if (on) {
            image->OneToOne = false;
            matchAspect(*image);
        }
        break;
    case FitToPage:
        image->FitToPage = on;
        if (on) {
            image->OneToOne = false;
        }
        break;
    case OneToOne:
        image->OneToOne = on;
        if (on) {
            image->KeepAspectRatio = image->FitToPage = false;
        } else {
            const QSize natural = NaturalSize(*image);
            image->Width = natural.width();
            image->Height = natural.height();
        }
        break;
    case CenterHorizontally:
        image->CenterHorizontally = on;
        break;
    case CenterVertically:
        image->CenterVertically = on;
        break;
    }
    applyOptions(*image);
}

void TPrintLayout::SetTitle(const QString& title) {
    if (TPrintedImage* image = Active()) {
        image->Title = title;
    }
}

void TPrintLayout::MoveActiveTo(std::int32_t left, std::int32_t top) {
    TPrintedImage* image = Active();
    if (image == nullptr) {
        return;
    }
    image->Left =
        std::clamp(left, metrics_.OffsetX,
                   std::max(metrics_.OffsetX, metrics_.OffsetX + metrics_.PrintableWidth));
    image->Top =
        std::clamp(top, metrics_.OffsetY,
                   std::max(metrics_.OffsetY, metrics_.OffsetY + metrics_.PrintableHeight));
    image->CenterHorizontally = image->CenterVertically = false;
}

QSize TPrintLayout::NaturalSize(const TPrintedImage& image) const {
    return QSize(
        ::pixelsOf(image.Image->Width() / image.ResolutionX, metrics_.PpiX, PrintUnit::Inches),
        ::pixelsOf(image.Image->Height() / image.ResolutionY, metrics_.PpiY, PrintUnit::Inches));
}

int TPrintLayout::ppiOf(Field field) const {
    return field == LeftField || field == WidthField ? metrics_.PpiX : metrics_.PpiY;
}

std::int32_t& TPrintLayout::storedPixels(TPrintedImage& image, Field field) {
    switch (field) {
    case LeftField:
        return image.Left;
    case TopField:
        return image.Top;
    case WidthField:
        return image.Width;
    case HeightField:
        break;
    }
    return image.Height;
}

long double TPrintLayout::clampTo(Field field, long double value) const {
    return held(value, FieldRange(field));
}

void TPrintLayout::store(TPrintedImage& image, Field field, long double value) {
    const long double kept = clampTo(field, value);
    storedPixels(image, field) = ::pixelsOf(kept, ppiOf(field), unit_);
    if (&image == Active()) {
        typed_[field] = {&image, unit_, kept};
    }
}

void TPrintLayout::resizeByWidth(TPrintedImage& image, long double width) {
    long double kept = clampTo(WidthField, width);
    if (image.KeepAspectRatio) {
        const long double height = clampTo(HeightField, kept * image.Aspect);
        if (height != kept * image.Aspect) {
            kept = clampTo(WidthField, height / image.Aspect);
        }
        store(image, HeightField, height);
    }
    store(image, WidthField, kept);
}

void TPrintLayout::resizeByHeight(TPrintedImage& image, long double height) {
    long double kept = clampTo(HeightField, height);
    if (image.KeepAspectRatio) {
        const long double width = clampTo(WidthField, kept / image.Aspect);
        if (width != kept / image.Aspect) {
            kept = clampTo(HeightField, width * image.Aspect);
        }
        store(image, WidthField, width);
    }
    store(image, HeightField, kept);
}

// The side that is too long for the shape gives way.
void TPrintLayout::matchAspect(TPrintedImage& image) {
    const long double width = FieldValue(WidthField);
    const long double height = FieldValue(HeightField);
    if (height >= width * image.Aspect) {
        resizeByWidth(image, width);
    } else {
        resizeByHeight(image, height);
    }
}

void TPrintLayout::applyOptions(TPrintedImage& image) {
    if (image.FitToPage) {
        fitToPage(image);
    }
    if (image.OneToOne) {
        image.Width = image.Image->Width();
        image.Height = image.Image->Height();
    }
    if (image.CenterHorizontally) {
        image.Left = std::max((metrics_.SheetWidth - image.Width) / 2, metrics_.OffsetX);
    }
    if (image.CenterVertically) {
        image.Top = std::max((metrics_.SheetHeight - image.Height) / 2, metrics_.OffsetY);
    }
}

// The largest size within the printable area (with the picture's shape when kept), and the
// picture moved as little as needed to lie wholly on the printable area.
void TPrintLayout::fitToPage(TPrintedImage& image) {
    const long double width = unitsOf(metrics_.PrintableWidth, metrics_.PpiX, unit_);
    const long double height = unitsOf(metrics_.PrintableHeight, metrics_.PpiY, unit_);
    if (!image.KeepAspectRatio) {
        store(image, HeightField, height);
        store(image, WidthField, width);
    } else if (height >= width * image.Aspect) {
        store(image, HeightField, width * image.Aspect);
        store(image, WidthField, width);
    } else {
        store(image, HeightField, height);
        store(image, WidthField, height / image.Aspect);
    }
    pullOntoPrintableArea(image);
}

void TPrintLayout::pullOntoPrintableArea(TPrintedImage& image) const {
    const std::int32_t right = metrics_.OffsetX + metrics_.PrintableWidth;
    const std::int32_t bottom = metrics_.OffsetY + metrics_.PrintableHeight;
    image.Left =
        std::clamp(image.Left, metrics_.OffsetX, std::max(metrics_.OffsetX, right - image.Width));
    image.Top =
        std::clamp(image.Top, metrics_.OffsetY, std::max(metrics_.OffsetY, bottom - image.Height));
}

void TPrintLayout::keepPhysicalPlace(TPrintedImage& image, const PrinterMetrics& before) const {
    image.Left = scaled(image.Left, metrics_.PpiX, before.PpiX);
    image.Width = scaled(image.Width, metrics_.PpiX, before.PpiX);
    image.Top = scaled(image.Top, metrics_.PpiY, before.PpiY);
    image.Height = scaled(image.Height, metrics_.PpiY, before.PpiY);
}

void TPrintLayout::forgetTypedValues() {
    typed_.fill({});
}
