#include "ui/typed_combo.h"

#include <QComboBox>
#include <QCompleter>

namespace quillon::ui {

void KeepTypedText(QComboBox* box) {
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    if (QCompleter* completer = box->completer()) {
        completer->setCompletionMode(QCompleter::PopupCompletion);
        // Enter picks an entry only when it equals the text exactly, case included.
        completer->setCaseSensitivity(Qt::CaseSensitive);
    }
}

}  // namespace quillon::ui
