// TPrintLayout: the print dialog's sheet without widgets. It places the pictures of a list on
// the printer's sheet, converts their positions and sizes to and from the unit of the number
// fields, and applies the per-picture options (keep aspect ratio, fit to page, 1:1 and the two
// centrings). Positions and sizes are stored in printer pixels from the corner of the physical
// sheet; the fields show them in millimetres or inches.
#pragma once

#include "print_units.h"
#include "printed_image.h"
#include "printer_metrics.h"

#include <QSize>

#include <array>
#include <cstdint>

class TPrintLayout {
public:
    enum Field { LeftField, TopField, WidthField, HeightField };
    enum Option { KeepAspectRatio, FitToPage, OneToOne, CenterHorizontally, CenterVertically };
    struct Range {
        long double Min;
        long double Max;
        long double Step;
    };
    // Each further picture of a list starts this many printer pixels right of and below the one
    // before it.
    static constexpr int CascadeStep = 20;

    // The printer's metrics. Pictures already placed keep their physical place and size, and
    // their options are applied again on the new sheet.
    void SetMetrics(const PrinterMetrics& metrics);
    const PrinterMetrics& Metrics() const { return metrics_; }

    // Lays out a list (owned by the caller): each picture at its own resolution (the printer's
    // where the picture has none), cascaded from the printable area's corner, titled with its
    // name, every option off. The first entry becomes the active picture.
    void SetImages(TPrintedImageList& list);
    TPrintedImageList* Images() const { return images_; }
    int Count() const { return images_ != nullptr ? images_->Count() : 0; }
    TPrintedImage* Active() const;
    // Makes the entry at `index` the active one by moving it to the front.
    void Activate(int index);
    // The active picture may be taken off the sheet while another one stays.
    bool CanDelete() const { return Count() >= 2; }
    void DeleteActive();

    PrintUnit Unit() const { return unit_; }
    void SetUnit(PrintUnit unit);
    // The limits of the four fields in the current unit: the printable area.
    Range FieldRange(Field field) const;
    // The active picture's value in the current unit: as last set through the field while
    // that still gives the stored pixels, otherwise converted from them.
    long double FieldValue(Field field) const;
    // Left and Top are off while centred that way, Width and Height with 1:1 or fit to page.
    bool FieldEnabled(Field field) const;

    // The setters of the active picture's fields (values in the current unit, held within the
    // fields' limits). With its aspect ratio kept, width and height are set together here, so
    // neither setter ever runs the other; should the other side leave its limits, both are
    // held so that the shape stays. A size change the user could make (neither 1:1 nor fit to
    // page) applies the options again, so that centring follows the new size.
    void SetLeft(long double value);
    void SetTop(long double value);
    void SetWidth(long double value);
    void SetHeight(long double value);

    bool OptionOn(Option option) const;
    // A click on an option's check box, then the options applied: keeping the aspect ratio
    // turns 1:1 off and gives the picture its shape again; fit to page turns 1:1 off; 1:1
    // turns both off, and turning it off returns the picture to its natural size.
    void SetOption(Option option, bool on);
    void SetTitle(const QString& title);

    // A drag put the active picture's corner at (left, top): held within the fields' limits,
    // and the picture is no longer centred either way.
    void MoveActiveTo(std::int32_t left, std::int32_t top);

    // The picture's printed size at its own resolution, in printer pixels.
    QSize NaturalSize(const TPrintedImage& image) const;

private:
    struct TypedValue {
        const TPrintedImage* image = nullptr;
        PrintUnit unit = PrintUnit::Millimetres;
        long double value = 0;
    };

    void placeAnew(TPrintedImage& image, int index) const;
    void takeResolution(TPrintedImage& image) const;
    int ppiOf(Field field) const;
    static std::int32_t& storedPixels(TPrintedImage& image, Field field);
    long double clampTo(Field field, long double value) const;
    // Stores a field's value (held within its limits) as pixels.
    void store(TPrintedImage& image, Field field, long double value);
    void resizeByWidth(TPrintedImage& image, long double width);
    void resizeByHeight(TPrintedImage& image, long double height);
    void matchAspect(TPrintedImage& image);
    void applyOptions(TPrintedImage& image);
    void fitToPage(TPrintedImage& image);
    void pullOntoPrintableArea(TPrintedImage& image) const;
    void keepPhysicalPlace(TPrintedImage& image, const PrinterMetrics& before) const;
    void forgetTypedValues();

    PrinterMetrics metrics_;
    TPrintedImageList* images_ = nullptr;
    PrintUnit unit_ = PrintUnit::Millimetres;
    std::array<TypedValue, 4> typed_{};
};
