#pragma once
// Editable combo boxes that keep exactly what a person types.

class QComboBox;

namespace quillon::ui {

// Qt completes typed text inline with the first longer entry ("150" becomes "1500"), and OK then
// stores that. Matching entries are offered in a popup instead, taken only when picked there.
void KeepTypedText(QComboBox* box);

}  // namespace quillon::ui
