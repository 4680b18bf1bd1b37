// What every save of a camera's photo keeps: the camera, the capture date, the title and the
// colour profile, with both orientations saying upright and no thumbnail left.
#pragma once

#include "metadata_pictures.h"

#include <gtest/gtest.h>

inline void expectCameraDataKeptUpright(const camera_metadata::Found& found,
                                        const std::string& where) {
    EXPECT_EQ(found.model, camera_metadata::model) << where;
    EXPECT_EQ(found.captureDate, camera_metadata::captureDate) << where;
    EXPECT_EQ(found.title, camera_metadata::title) << where;
    EXPECT_EQ(found.orientation, 1) << where;
    EXPECT_EQ(found.xmpOrientation, 1) << where;
    EXPECT_EQ(found.icc, camera_metadata::iccProfile()) << where;
    EXPECT_FALSE(found.thumbnail) << where;
}
