#include "ui/step_spin_ctrl.h"

namespace quillon::ui {

StepSpinCtrl::StepSpinCtrl(QWidget* parent) : QSpinBox(parent) { setSingleStep(1); }

int StepSpinCtrl::SetStep(int step) {
    const qint64 span = static_cast<qint64>(maximum()) - minimum();
    // A step below 1 would leave the box unable to move while claiming success.
    if (step < 1 || step >= span) return 0;
    setSingleStep(step);
    return 1;
}

void StepSpinCtrl::stepBy(int steps) {
    // Page Up/Down and wheel bursts still move one step at a time.
    QSpinBox::stepBy(steps > 0 ? 1 : -1);
}

}  // namespace quillon::ui
