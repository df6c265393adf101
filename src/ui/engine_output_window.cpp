#include "ui/engine_output_window.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/product_info.h"
#include "ui/file_list_view.h"
#include "ui/main_window.h"

namespace quillon::ui {

EngineOutputWindow::EngineOutputWindow(QWidget* parent, const QString& fileName, const QString& output)
    : QDialog(parent, Qt::Dialog | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("engineOutputWindow"));
    setWindowTitle(QStringLiteral("Engine Output - %1").arg(fileName));
    setAttribute(Qt::WA_DeleteOnClose);
    setSizeGripEnabled(true);

    text_ = new QPlainTextEdit(this);
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text_->setPlainText(output);
    // The reason of a failure is at the end.
    text_->moveCursor(QTextCursor::End);

    copy_ = new QPushButton(QStringLiteral("&Copy"), this);
    close_ = new QPushButton(QStringLiteral("Close"), this);
    close_->setDefault(true);
    connect(copy_, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(text_->toPlainText()); });
    connect(close_, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout();
    buttons->addStretch();
    buttons->addWidget(copy_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_, 1);
    layout->addLayout(buttons);
    resize(720, 420);
}

EngineOutputWindow* ShowEngineOutput(MainWindow& window, int row) {
    app::FileList& files = window.Files();
    if (row < 0 || static_cast<std::size_t>(row) >= files.RowCount()) return nullptr;
    const engine::SourceItem& item = files.Item(static_cast<std::size_t>(row));
    if (item.engineOutput.empty()) return nullptr;
    auto* shown = new EngineOutputWindow(&window, QString::fromStdString(files.FileText(static_cast<std::size_t>(row))),
                                         QString::fromStdString(item.engineOutput));
    shown->show();
    return shown;
}

void AddEngineOutputEntry(QMenu& menu, MainWindow& window) {
    const int row = window.Files().FocusedRow();
    const bool recorded = row >= 0 && static_cast<std::size_t>(row) < window.Files().RowCount() &&
                          !window.Files().Item(static_cast<std::size_t>(row)).engineOutput.empty();
    menu.addSeparator();
    QAction* action = menu.addAction(QString::fromLatin1(kShowEngineOutputText));
    action->setEnabled(recorded);
    QObject::connect(action, &QAction::triggered, &window, [&window, row] { ShowEngineOutput(window, row); });
}

}  // namespace quillon::ui
