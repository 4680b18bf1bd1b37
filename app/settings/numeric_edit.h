// TIntEdit and TRealEdit: a number field with up and down arrows stacked at its right edge.
// The arrows add or subtract Increment within Min..Max; typed text is taken when committed
// (Enter or leaving the field): a valid number is clamped, anything else beeps and shows the
// previous value. OnValueChanged (valueChanged) follows either way.
#pragma once

#include <QLineEdit>
#include <QToolButton>
#include <QWidget>

class QKeyEvent;

class TNumericEditBase : public QWidget {
    Q_OBJECT

public:
    explicit TNumericEditBase(QWidget* parent = nullptr);
    ~TNumericEditBase() override;

    bool FlatArrow() const { return up_->autoRaise(); }
    void SetFlatArrow(bool flat);
    int ArrowWidth() const { return arrowWidth_; }
    void SetArrowWidth(int width);
    QLineEdit* Field() const { return field_; }

signals:
    // OnValueChanged: after the arrows or committed text set the value.
    void valueChanged();
    // OnClickEdit: the field was clicked.
    void clickEdit();

protected:
    // Steps the value by one increment (direction +1 or -1).
    virtual void Step(int direction) = 0;
    // Parses committed text; false leaves the value alone.
    virtual bool Accept(const QString& text) = 0;
    // Rewrites the field from the value.
    virtual void ShowValue() = 0;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void commitText();
    void step(int direction);
    bool leavesKeyToWindow(const QKeyEvent& key) const;

    QLineEdit* field_;
    QToolButton* up_;
    QToolButton* down_;
    int arrowWidth_ = 16;
};

class TIntEdit : public TNumericEditBase {
    Q_OBJECT

public:
    explicit TIntEdit(QWidget* parent = nullptr);

    // Reading clamps the stored value into Min..Max.
    int Value() const;
    void SetValue(int value);
    int Min() const { return min_; }
    int Max() const { return max_; }
    void SetMin(int min);
    void SetMax(int max);
    int Increment() const { return increment_; }
    // 0 is stored as 1.
    void SetIncrement(int increment);

protected:
    void Step(int direction) override;
    bool Accept(const QString& text) override;
    void ShowValue() override;

private:
    int value_ = 0;
    int min_ = 0;
    int max_ = 100;
    int increment_ = 1;
};

class TRealEdit : public TNumericEditBase {
    Q_OBJECT

public:
    explicit TRealEdit(QWidget* parent = nullptr);

    long double Value() const;
    void SetValue(long double value);
    long double Min() const { return min_; }
    long double Max() const { return max_; }
    void SetMin(long double min);
    void SetMax(long double max);
    long double Increment() const { return increment_; }
    void SetIncrement(long double increment);
    // Display width and number of decimals; the shown text has no blanks.
    int BeforePoint() const { return beforePoint_; }
    int AfterPoint() const { return afterPoint_; }
    void SetBeforePoint(int digits);
    void SetAfterPoint(int digits);

protected:
    void Step(int direction) override;
    bool Accept(const QString& text) override;
    void ShowValue() override;

private:
    long double value_ = 0;
    long double min_ = 0;
    long double max_ = 100;
    long double increment_ = 1;
    int beforePoint_ = 5;
    int afterPoint_ = 2;
};
