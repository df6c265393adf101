#pragma once
// The engine's output of a row's last conversion, read-only, with a Copy button; opened from
// the list's context menu.

#include <QDialog>

class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace quillon::ui {

class MainWindow;

class EngineOutputWindow final : public QDialog {
    Q_OBJECT
public:
    EngineOutputWindow(QWidget* parent, const QString& fileName, const QString& output);

    QPlainTextEdit* Text() const { return text_; }
    QPushButton* CopyButton() const { return copy_; }
    QPushButton* CloseButton() const { return close_; }

private:
    QPlainTextEdit* text_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* close_ = nullptr;
};

inline constexpr const char* kShowEngineOutputText = "Show Engine Output...";

// Adds "Show Engine Output..." for the focused row to the list's context menu; enabled when
// that row has a record.
void AddEngineOutputEntry(QMenu& menu, MainWindow& window);
// Opens the window for a row (modeless; it deletes itself when closed). Null without a record.
EngineOutputWindow* ShowEngineOutput(MainWindow& window, int row);

}  // namespace quillon::ui
