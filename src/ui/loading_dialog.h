#pragma once
// The loading window of adding and preparing sources.

#include "engine/loading_window.h"
#include "ui/captionless_dialog.h"

class QPushButton;

namespace quillon::ui {

class LoadingDialog final : public CaptionlessDialog, public engine::LoadingWindow {
    Q_OBJECT
public:
    explicit LoadingDialog(QWidget* parent);
    ~LoadingDialog() override;

    void SetStatus(const std::string& text) override;
    void SetPercentText(const std::string& text) override;
    int BarWidth() const override;
    void SetBarPosition(int position) override;
    void ProcessPendingMessages() override;
    bool Cancelled() const override { return cancelled_; }

    QLabel* StatusLine() const { return status_; }
    QPushButton* CancelButton() const { return cancel_; }

private:
    QPushButton* cancel_ = nullptr;
    bool cancelled_ = false;
};

}  // namespace quillon::ui
