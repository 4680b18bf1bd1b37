// The library's state from the moment it is loaded: each test loads its own private copy of
// libtintworks.so, so earlier tests in this process cannot have filled any slot.
#include "correction_params.h"

#include "fresh_library.h"

#include <gtest/gtest.h>

namespace {

int32_t TWK_CALL stopAtOnce(double) {
    return 0;
}

} // namespace

TEST(FreshLibrary, EverySlotIsEmptyAfterLoad) {
    FreshLibrary lib;
    ASSERT_TRUE(lib.loaded()) << dlerror();
    for (int type = -2; type <= 8; ++type) {
        EXPECT_EQ(lib.isAvailable(type), 0) << type;
    }
}

TEST(FreshLibrary, FailedAndCancelledOperationsLeaveTheSlotsEmpty) {
    FreshLibrary lib;
    ASSERT_TRUE(lib.loaded()) << dlerror();
    TestImage image(4, 4);
    image.randomize(1);
    std::vector<TRefArea> areas = {refArea(0, 0, 2, 2, TWK_REF_COLOR)};
    std::vector<TLayerSample> samples = {layerSample(image, 0, 0, 2, 2, 20)};
    TCorrectionParams p = correctionParams(image, image.data(), areas);
    p.Samples = samples.data();
    p.SampleCount = 1;
    p.Auto = -1;

    for (int type : {TWK_OP_IMAGE_CORRECTION, TWK_OP_LAYER_CORRECTION}) {
        EXPECT_EQ(lib.doOperation(type, &p, stopAtOnce), TWK_CANCELLED);
        p.Dest = nullptr;
        EXPECT_EQ(lib.doOperation(type, &p, nullptr), TWK_INVALID_PARAMS);
        p.Dest = image.data();
        EXPECT_EQ(lib.isAvailable(type), 0);
    }
    ASSERT_EQ(lib.doOperation(TWK_OP_IMAGE_CORRECTION, &p, nullptr), TWK_OK);
    EXPECT_EQ(lib.isAvailable(TWK_OP_IMAGE_CORRECTION), -1);
    EXPECT_EQ(lib.isAvailable(TWK_OP_LAYER_CORRECTION), 0) << "each operation fills its own slot";
    ASSERT_EQ(lib.doOperation(TWK_OP_LAYER_CORRECTION, &p, nullptr), TWK_OK);
    EXPECT_EQ(lib.isAvailable(TWK_OP_LAYER_CORRECTION), -1);
    EXPECT_EQ(lib.doOperation(TWK_OP_IMAGE_CORRECTION, &p, stopAtOnce), TWK_CANCELLED);
    EXPECT_EQ(lib.isAvailable(TWK_OP_IMAGE_CORRECTION), -1)
        << "a cancelled run keeps the stored one";
    for (int type = 2; type <= 5; ++type) {
        EXPECT_EQ(lib.isAvailable(type), 0);
    }
}

TEST(FreshLibrary, CancelledLayerOperationsKeepTheirSlotsEmpty) {
    FreshLibrary lib;
    ASSERT_TRUE(lib.loaded()) << dlerror();
    TestImage image(4, 4);
    image.randomize(3, 0, 3);
    TestImage dest(4, 4);
    dest.fill(bgr(9, 9, 9));
    std::vector<TLayerSample> samples = {layerSample(image, 0, 0, 2, 2, 50)};
    TLayerParams p{};
    p.Size = sizeof(p);
    p.Image = image.desc();
    p.Dest = dest.data();
    p.Samples = samples.data();
    p.SampleCount = 1;
    p.Value.Passes = 2;
    for (int type = TWK_OP_LAYER_REPLACE_COLOR; type <= TWK_OP_COLOR_FILTER; ++type) {
        EXPECT_EQ(lib.doOperation(type, &p, stopAtOnce), TWK_CANCELLED);
        EXPECT_EQ(lib.isAvailable(type), 0);
        for (int y = 1; y < 4; ++y) {
            EXPECT_EQ(dest.get(0, y), bgr(9, 9, 9)) << "only the first row was written";
        }
    }
}
