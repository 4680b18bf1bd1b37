// TPalettePanel: a colour collection as a strip of cells, each a colour swatch or the entry's
// small picture, with scroll arrows on both sides and a pair of arrows that move the selected
// entry. It owns the collection and reports selection, clicks and double clicks.
#pragma once

#include "palette_list.h"

#include <QWidget>

class QToolButton;

class TPalettePanel : public QWidget {
    Q_OBJECT

public:
    explicit TPalettePanel(QWidget* parent = nullptr);

    int Buttons() const { return buttons_; }
    void SetButtons(int count);
    int ButtonWidth() const { return buttonWidth_; }
    void SetButtonWidth(int width);
    int ButtonHeight() const { return buttonHeight_; }
    void SetButtonHeight(int height);
    int PressedButton() const { return pressed_; }
    // Clamped to the list (-1 when it is empty); always repaints and reports colorChanged.
    void SetPressedButton(int index);
    int Position() const { return position_; }
    void SetPosition(int index);
    QString ScrollHint() const;
    void SetScrollHint(const QString& hint);
    QString MoveHint() const;
    void SetMoveHint(const QString& hint);
    bool MoveVisible() const { return moveVisible_; }
    void SetMoveVisible(bool visible);
    bool MoveLeft() const { return moveLeft_; }
    void SetMoveLeft(bool left);
    bool DrawPictures() const { return drawPictures_; }
    void SetDrawPictures(bool draw);
    int PictureWidth() const { return buttonWidth_ - 8; }
    int PictureHeight() const { return buttonHeight_ - 10; }

    bool Modified = false;
    TPaletteList& List() { return list_; }
    const TPaletteList& List() const { return list_; }

    // A copy of the selected entry; false without a selection.
    bool GetSelected(TPaletteColor& entry) const;
    void AddEntry(const TPaletteColor& entry);
    void ReplaceSelected(const TPaletteColor& entry);
    void DeleteSelected();
    void MoveSelected(int step);
    bool IsEmpty() const { return list_.Count() == 0; }
    void Reset();

    QToolButton* ScrollLeftButton() const { return scrollLeft_; }
    QToolButton* ScrollRightButton() const { return scrollRight_; }
    QToolButton* MoveLeftButton() const { return moveLeftButton_; }
    QToolButton* MoveRightButton() const { return moveRightButton_; }
    QWidget* Cells() const { return cells_; }

signals:
    void colorChanged();
    void colorClick();
    void dblClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layOut();
    void paintCells();
    void updateArrows();
    static QIcon arrowGlyph(QSize button, bool pointsLeft, const QColor& background);

    TPaletteList list_;
    int buttons_ = 5;
    int buttonWidth_ = 32;
    int buttonHeight_ = 32;
    int pressed_ = -1;
    int position_ = 0;
    bool moveVisible_ = true;
    bool moveLeft_ = false;
    bool drawPictures_ = false;
    QToolButton* scrollLeft_;
    QToolButton* scrollRight_;
    QToolButton* moveLeftButton_;
    QToolButton* moveRightButton_;
    QWidget* cells_;
};
