#pragma once
// A spin box that moves by a chosen step, one step per click or key press.

#include <QSpinBox>

namespace quillon::ui {

class StepSpinCtrl : public QSpinBox {
    Q_OBJECT
public:
    explicit StepSpinCtrl(QWidget* parent = nullptr);

    // 1 when the step is below the span of the range, else 0 and the step stays.
    int SetStep(int step);
    int Step() const { return singleStep(); }

    void stepBy(int steps) override;
};

}  // namespace quillon::ui
