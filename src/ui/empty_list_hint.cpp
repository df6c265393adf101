#include "ui/empty_list_hint.h"

#include <QAbstractItemView>
#include <QEvent>

namespace quillon::ui {

EmptyListHint::EmptyListHint(QAbstractItemView* view)
    : QLabel(QString::fromLatin1(kEmptyListHintText), view->viewport()), view_(view) {
    setObjectName(QStringLiteral("emptyListHint"));
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette quiet = palette();
    quiet.setColor(QPalette::WindowText, QColor(0x8a, 0x96, 0xa8));
    setPalette(quiet);
    setStyleSheet(QStringLiteral("color: #8a96a8; background: transparent;"));
    QFont larger = font();
    larger.setPixelSize(15);
    setFont(larger);
    view->viewport()->installEventFilter(this);
    const auto refresh = [this] { Refresh(); };
    QAbstractItemModel* model = view->model();
    connect(model, &QAbstractItemModel::rowsInserted, this, refresh);
    connect(model, &QAbstractItemModel::rowsRemoved, this, refresh);
    connect(model, &QAbstractItemModel::modelReset, this, refresh);
    connect(model, &QAbstractItemModel::layoutChanged, this, refresh);
    Refresh();
}

bool EmptyListHint::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_->viewport() && event->type() == QEvent::Resize) Refresh();
    return QLabel::eventFilter(watched, event);
}

void EmptyListHint::Refresh() {
    const QRect area = view_->viewport()->rect();
    setGeometry(area.adjusted(16, 0, -16, 0));
    setVisible(view_->model()->rowCount() == 0);
}

}  // namespace quillon::ui
