#include "printed_image.h"

TPrintedImage* TPrintedImageList::AddPicture(const QString& name, const TDIBImage& image) {
    auto entry = std::make_unique<TPrintedImage>();
    entry->Name = name;
    entry->Title = name;
    entry->Image = &image;
    return Add(std::move(entry));
}

void TPrintedImageList::MoveToFront(int index) {
    if (index <= 0 || index >= Count()) {
        return;
    }
    for (int i = index; i > 0; --i) {
        Exchange(i, i - 1);
    }
}
