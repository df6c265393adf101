#pragma once
// Pictures of the real windows for the documentation: taken only when QUILLON_SCREENSHOT_DIR
// names a folder (scripts/screenshots.sh runs them on Xvfb).

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPixmap>
#include <QRect>
#include <QScreen>
#include <QString>
#include <QTest>

#include <cstdlib>

namespace quillon::test {

// Where the pictures go; empty when none are wanted.
inline QString ShotFolder() {
    const char* folder = std::getenv("QUILLON_SCREENSHOT_DIR");
    return folder ? QString::fromUtf8(folder) : QString();
}

inline void Save(const QPixmap& picture, const QString& name) {
    ASSERT_FALSE(picture.isNull());
    ASSERT_TRUE(picture.save(ShotFolder() + "/" + name, "PNG")) << name.toStdString();
}

// The screen's pixels under a rectangle: shows every window over it, as the user sees them.
inline QPixmap Screen(const QRect& area) {
    QTest::qWait(300);
    return QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
}

}  // namespace quillon::test
