#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

namespace quillon::ui {

// A work window without a caption that the left button drags from any free spot. Only the
// end of its work closes it.
class CaptionlessDialog : public QDialog {
    Q_OBJECT
public:
    explicit CaptionlessDialog(QWidget* parent);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;  // the work windows' light face and accent
    void CentreOnParent();

    // Names the window, gives it the product's title and a fixed size, and makes the parts both
    // work windows have: a status line, a percent label and a bar.
    void BuildWorkParts(const QString& objectName, int width, int height);

    QLabel* status_ = nullptr;
    QLabel* percent_ = nullptr;
    QProgressBar* bar_ = nullptr;

private:
    QPoint dragOffset_;
    bool dragging_ = false;
};

}  // namespace quillon::ui
