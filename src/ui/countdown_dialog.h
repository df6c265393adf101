#pragma once
// The countdown before the computer shuts down.

#include <QDialog>
#include <QTimer>

#include "app/after_conversion.h"

class QLabel;
class QPushButton;

namespace quillon::ui {

// The 30-second countdown: accepted when it runs out, rejected by Cancel.
class CountdownDialog final : public QDialog {
    Q_OBJECT
public:
    CountdownDialog(QWidget* parent, app::ShutdownCountdown& countdown, int tickMs = app::ShutdownCountdown::kTickMs);

    QLabel* MessageLabel() const { return message_; }
    QLabel* CountdownLabel() const { return countdownText_; }
    QPushButton* CancelButton() const { return cancel_; }

private:
    void OnTick();

    app::ShutdownCountdown& countdown_;
    QLabel* message_ = nullptr;
    QLabel* countdownText_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTimer timer_;
};

}  // namespace quillon::ui
