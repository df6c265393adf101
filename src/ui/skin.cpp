#include "ui/skin.h"

#include <QApplication>
#include <QFile>
#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>

#include <algorithm>
#include <functional>

// Resources of a static library must be registered by name from outside any namespace.
static void InitSkinResources() { Q_INIT_RESOURCE(quillon); }

namespace quillon::ui::skin {

namespace {

using PaintFunction = std::function<void(QPainter&, const QRectF&, QIcon::Mode)>;

// An icon drawn with vectors at whatever size and scale it is asked for.
class PaintedIconEngine final : public QIconEngine {
public:
    PaintedIconEngine(PaintFunction paint, QList<QSize> sizes) : paint_(std::move(paint)), sizes_(std::move(sizes)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        paint_(*painter, QRectF(rect), mode);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        QPixmap picture(size * scale);
        picture.setDevicePixelRatio(scale);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return picture;
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return sizes_; }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine* clone() const override { return new PaintedIconEngine(paint_, sizes_); }
    QString key() const override { return QStringLiteral("quillon-painted"); }

private:
    PaintFunction paint_;
    QList<QSize> sizes_;
};

const QColor kHeaderTop(0x1d, 0x2b, 0x3f);
const QColor kHeaderBottom(0x27, 0x3b, 0x57);
const QColor kAccent(0x2f, 0x80, 0xed);
const QColor kSidebarTop(0xee, 0xf2, 0xf8);
const QColor kSidebarBottom(0xe3, 0xe9, 0xf2);
const QColor kContent(0xf6, 0xf8, 0xfb);
const QColor kLine(0xc9, 0xd3, 0xe1);

QPixmap NewPicture(QSize size, qreal ratio) {
    QPixmap picture(size * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    return picture;
}

}  // namespace

void PaintLogo(QPainter& painter, const QRectF& box) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = qMin(box.width(), box.height());
    const QRectF square(box.center().x() - s / 2, box.center().y() - s / 2, s, s);
    QLinearGradient fill(square.topLeft(), square.bottomRight());
    fill.setColorAt(0, QColor(0x37, 0xc6, 0xf4));
    fill.setColorAt(1, QColor(0x2a, 0x5f, 0xdc));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(square, s * 0.22, s * 0.22);

    // Two arrows chasing each other round a play mark: media going in and coming out.
    const QRectF ring = square.adjusted(s * 0.2, s * 0.2, -s * 0.2, -s * 0.2);
    QPen pen(Qt::white, s * 0.075, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(ring, 30 * 16, 130 * 16);
    painter.drawArc(ring, 210 * 16, 130 * 16);
    const auto head = [&](qreal angleDegrees, qreal direction) {
        const qreal a = qDegreesToRadians(angleDegrees);
        const QPointF tip(ring.center().x() + ring.width() / 2 * std::cos(a),
                          ring.center().y() - ring.height() / 2 * std::sin(a));
        const qreal h = s * 0.11;
        // Tangent of the circle at the tip, pointing along the arc's direction.
        const QPointF along(-std::sin(a) * direction, -std::cos(a) * direction);
        const QPointF across(std::cos(a), -std::sin(a));
        QPainterPath arrow;
        arrow.moveTo(tip + along * h);
        arrow.lineTo(tip - along * h * 0.2 + across * h * 0.8);
        arrow.lineTo(tip - along * h * 0.2 - across * h * 0.8);
        arrow.closeSubpath();
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawPath(arrow);
    };
    head(160, 1);
    head(340, 1);
    QPainterPath play;
    const QPointF c = ring.center();
    const qreal p = s * 0.13;
    play.moveTo(c.x() - p * 0.7, c.y() - p);
    play.lineTo(c.x() + p, c.y());
    play.lineTo(c.x() - p * 0.7, c.y() + p);
    play.closeSubpath();
    painter.setBrush(Qt::white);
    painter.drawPath(play);
    painter.restore();
}

QPixmap MainBackground(qreal ratio, QSize size) {
    // Painted at the window's size: the side bar keeps its width, the list's frame grows.
    const int width = std::max(size.width(), kWindowWidth);
    const int height = std::max(size.height(), kWindowHeight);
    QPixmap picture = NewPicture(QSize(width, height), ratio);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF all(0, 0, width, height);
    painter.fillRect(all, kContent);

    QLinearGradient header(0, 0, 0, kHeaderHeight);
    header.setColorAt(0, kHeaderTop);
    header.setColorAt(1, kHeaderBottom);
    painter.fillRect(QRectF(0, 0, width, kHeaderHeight), header);
    painter.fillRect(QRectF(0, kHeaderHeight - 2, width, 2), kAccent);

    PaintLogo(painter, QRectF(12, 9, 32, 32));
    QFont title = QApplication::font();
    title.setPixelSize(21);
    title.setWeight(QFont::DemiBold);
    painter.setFont(title);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(54, 6, 300, 26), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Quillon"));
    QFont subtitle = QApplication::font();
    subtitle.setPixelSize(11);
    painter.setFont(subtitle);
    painter.setPen(QColor(0xa9, 0xbe, 0xd9));
    painter.drawText(QRectF(55, 29, 300, 16), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Video and audio converter"));

    QLinearGradient side(0, kHeaderHeight, 0, height);
    side.setColorAt(0, kSidebarTop);
    side.setColorAt(1, kSidebarBottom);
    painter.fillRect(QRectF(0, kHeaderHeight, kSidebarWidth, height - kHeaderHeight), side);
    painter.fillRect(QRectF(kSidebarWidth, kHeaderHeight, 1, height - kHeaderHeight), kLine);

    // Section captions and rules in the side bar.
    QFont small = QApplication::font();
    small.setPixelSize(9);
    small.setWeight(QFont::Bold);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 0.8);
    painter.setFont(small);
    painter.setPen(QColor(0x7a, 0x8a, 0xa0));
    painter.drawText(QRectF(12, 56, 110, 14), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("SOURCES"));
    painter.drawText(QRectF(12, 327, 110, 11), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("OUTPUT FORMAT"));
    painter.fillRect(QRectF(12, 244, 105, 1), kLine);
    painter.fillRect(QRectF(12, 371, 105, 1), kLine);
    painter.fillRect(QRectF(12, height - 50, 105, 1), kLine);

    // A soft frame round the list.
    painter.setPen(kLine);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(136.5, 62.5, width - 146, height - 74), 3, 3);

    painter.setPen(QColor(0x10, 0x18, 0x24));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(0.5, 0.5, width - 1, height - 1));
    return picture;
}

QPixmap MainButtonPicture(bool hover, qreal ratio) {
    const QSize size(106, 26);
    QPixmap picture = NewPicture(size, ratio);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(0.5, 0.5, size.width() - 1, size.height() - 1);
    QLinearGradient fill(0, 0, 0, size.height());
    if (hover) {
        fill.setColorAt(0, QColor(0xe9, 0xf3, 0xff));
        fill.setColorAt(1, QColor(0xc9, 0xe0, 0xff));
        painter.setPen(QPen(kAccent, 1));
    } else {
        fill.setColorAt(0, QColor(0xff, 0xff, 0xff));
        fill.setColorAt(1, QColor(0xea, 0xee, 0xf4));
        painter.setPen(QPen(QColor(0xb4, 0xc0, 0xd0), 1));
    }
    painter.setBrush(fill);
    painter.drawRoundedRect(box, 5, 5);
    if (hover) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(kAccent);
        painter.drawRoundedRect(QRectF(1.5, 6, 3, size.height() - 12), 1.5, 1.5);
    }
    return picture;
}

QIcon TitleBarIcon(const QString& name, bool hover) {
    PaintFunction paint = [name, hover](QPainter& painter, const QRectF& r, QIcon::Mode mode) {
        const QColor face = name == QStringLiteral("close") ? QColor(0xe8, 0x4a, 0x4a) : kAccent;
        if (hover) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(face);
            painter.drawEllipse(r.adjusted(1, 1, -1, -1));
        } else {
            painter.setPen(QPen(QColor(255, 255, 255, 70), 1));
            painter.setBrush(QColor(255, 255, 255, 18));
            painter.drawEllipse(r.adjusted(1.5, 1.5, -1.5, -1.5));
        }
        QColor ink = mode == QIcon::Disabled ? QColor(0x80, 0x88, 0x94) : QColor(Qt::white);
        const qreal w = r.width();
        QPen pen(ink, qMax<qreal>(1.4, w * 0.085), Qt::SolidLine, Qt::RoundCap);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        const QPointF c = r.center();
        const qreal d = w * 0.2;
        if (name == QStringLiteral("close")) {
            painter.drawLine(QPointF(c.x() - d, c.y() - d), QPointF(c.x() + d, c.y() + d));
            painter.drawLine(QPointF(c.x() + d, c.y() - d), QPointF(c.x() - d, c.y() + d));
        } else if (name == QStringLiteral("minimize")) {
            painter.drawLine(QPointF(c.x() - d, c.y() + d * 0.4), QPointF(c.x() + d, c.y() + d * 0.4));
        } else {
            QFont font = QApplication::font();
            font.setPixelSize(qRound(w * 0.62));
            font.setBold(true);
            painter.setFont(font);
            painter.drawText(r.translated(0, -0.5), Qt::AlignCenter, QStringLiteral("?"));
        }
    };
    return QIcon(new PaintedIconEngine(std::move(paint), {QSize(21, 21)}));
}

QIcon ProgramIcon() {
    PaintFunction paint = [](QPainter& painter, const QRectF& r, QIcon::Mode) {
        PaintLogo(painter, r.adjusted(r.width() * 0.04, r.height() * 0.04, -r.width() * 0.04, -r.height() * 0.04));
    };
    return QIcon(new PaintedIconEngine(std::move(paint), {QSize(16, 16), QSize(24, 24), QSize(32, 32), QSize(48, 48),
                                                          QSize(64, 64), QSize(128, 128), QSize(256, 256)}));
}

QString StyleSheet() {
    InitSkinResources();
    QFile file(QStringLiteral(":/quillon/quillon.qss"));
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(file.readAll());
}

namespace {

// Tooltips come up after 300 ms.
class QuillonStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == QStyle::SH_ToolTip_WakeUpDelay) return 300;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

void Install(QApplication& app) {
    app.setStyle(new QuillonStyle);
    app.setStyleSheet(StyleSheet());
    app.setWindowIcon(ProgramIcon());
}

}  // namespace quillon::ui::skin
