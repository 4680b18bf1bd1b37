// LevelPicker: what the correction commands need of a light or dark point picker, a pop-up
// beside the operation panel that holds the target level and marks the level measured in the
// active picture.
#pragma once

class QWidget;

class LevelPicker {
public:
    virtual ~LevelPicker() = default;
    // The pop-up window itself.
    virtual QWidget& popup() = 0;
    // The chosen level, 0 to 255.
    virtual int Level() const = 0;
    // Marks the level measured in the picture; a negative level removes the mark.
    virtual void SetMeasuredLevel(int level) = 0;
};
