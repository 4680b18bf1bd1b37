#include "repeat_slots.h"

#include <gtest/gtest.h>

using namespace tintworks;

TEST(RepeatSlots, EachOperationTypeHasItsOwnKindOfSlot) {
    RepeatSlots slots;
    EXPECT_NE(dynamic_cast<TRepeatColorCorrection*>(slots.slot(0)), nullptr);
    EXPECT_NE(dynamic_cast<TRepeatLayerCorrection*>(slots.slot(1)), nullptr);
    for (int type = 2; type <= 4; ++type) {
        EXPECT_NE(dynamic_cast<TRepeatLayerTransformation*>(slots.slot(type)), nullptr);
    }
    EXPECT_NE(dynamic_cast<TRepeatLayerJpegFilter*>(slots.slot(5)), nullptr);
    EXPECT_EQ(slots.slot(6), nullptr);
    EXPECT_EQ(slots.slot(-1), nullptr);
    for (int type = 0; type < repeatSlotCount; ++type) {
        EXPECT_EQ(slots.slot(type)->available, twkFalse);
    }
}

TEST(RepeatSlots, ClearForgetsTheProcessingAndFreesTheBounds) {
    RepeatSlots slots;
    auto& layer = static_cast<TRepeatLayerCorrection&>(*slots.slot(TWK_OP_LAYER_CORRECTION));
    layer.bounds.assign(3, LayerBounds{1, 2, 3, 4, 5, 6});
    layer.available = twkTrue;
    layer.Clear();
    EXPECT_EQ(layer.available, twkFalse);
    EXPECT_TRUE(layer.bounds.empty());
    EXPECT_EQ(layer.bounds.capacity(), 0u);

    TRepeatBase& filter = *slots.slot(5);
    static_cast<TRepeatLayerJpegFilter&>(filter).bounds.resize(2);
    filter.available = twkTrue;
    filter.Clear();
    EXPECT_EQ(filter.available, twkFalse);
    EXPECT_TRUE(static_cast<TRepeatLayerJpegFilter&>(filter).bounds.empty());
}
