#pragma once
// The about box: product name and version, links to the home page and to support, and buttons
// to look for updates and to recommend the program.

#include <QDialog>

namespace quillon::ui {

class LinkLabel;

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

    LinkLabel* HomePageLink() const { return homePage_; }
    LinkLabel* SupportLink() const { return support_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    LinkLabel* homePage_ = nullptr;
    LinkLabel* support_ = nullptr;
};

// "Quillon v5.0.0".
QString AboutVersionLine();

}  // namespace quillon::ui
