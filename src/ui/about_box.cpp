#include "ui/about_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/product_info.h"
#include "quillon_version.h"
#include "ui/link_label.h"
#include "ui/skin.h"
#include "ui/ui_services.h"

namespace quillon::ui {

QString AboutVersionLine() {
    return QStringLiteral("%1 v%2").arg(QString::fromUtf8(app::kProductName), QString::fromUtf8(kVersion));
}

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(QStringLiteral("About %1").arg(QString::fromUtf8(app::kProductName)));
    setFixedSize(400, 250);

    auto* version = new QLabel(AboutVersionLine(), this);
    QFont big = version->font();
    big.setPixelSize(20);
    big.setBold(true);
    version->setFont(big);
    version->setStyleSheet(QStringLiteral("color: #1d2b3f;"));

    auto* blurb = new QLabel(QStringLiteral("Converts video and audio files to the formats your "
                                            "players, phones and editors want."),
                             this);
    blurb->setWordWrap(true);
    blurb->setStyleSheet(QStringLiteral("color: #4b5a6e;"));

    homePage_ = new LinkLabel(QStringLiteral("Visit %1 Homepage").arg(QString::fromUtf8(app::kProductName)), this);
    homePage_->SetTarget(QString::fromUtf8(app::kHomePageUrl));
    homePage_->SetUnderlineMode(LinkLabel::UnderlineAlways);
    support_ = new LinkLabel(QStringLiteral("Feedback and Support"), this);
    support_->SetTarget(QString::fromUtf8(app::kSupportMail));
    support_->SetUnderlineMode(LinkLabel::UnderlineAlways);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* updates = new QPushButton(QStringLiteral("&Check Updates"), this);
    auto* tell = new QPushButton(QStringLiteral("Tell a Friend"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(updates, &QPushButton::clicked, this, [this] { OpenHyperlink(this, QString::fromUtf8(app::kUpdatesUrl)); });
    connect(tell, &QPushButton::clicked, this,
            [this] { OpenHyperlink(this, QString::fromUtf8(app::kTellAFriendMail)); });

    auto* text = new QVBoxLayout();
    text->setSpacing(6);
    text->addWidget(version);
    text->addWidget(blurb);
    text->addSpacing(6);
    text->addWidget(homePage_, 0, Qt::AlignLeft);
    text->addWidget(support_, 0, Qt::AlignLeft);
    text->addStretch();

    auto* top = new QHBoxLayout();
    top->addSpacing(84);
    top->addLayout(text, 1);

    auto* buttons = new QHBoxLayout();
    buttons->addWidget(updates);
    buttons->addWidget(tell);
    buttons->addStretch();
    buttons->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 24, 20, 16);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
}

void AboutBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0xf6, 0xf8, 0xfb));
    painter.fillRect(QRect(0, height() - 58, width(), 58), QColor(0xe9, 0xee, 0xf5));
    skin::PaintLogo(painter, QRectF(22, 26, 64, 64));
}

}  // namespace quillon::ui
