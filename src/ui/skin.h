#pragma once
// Quillon's own look, painted at run time so that it stays sharp at any screen scale: the main
// window's background, the main buttons' pictures, the title-bar and program icons, and the
// style sheet of the lists, boxes and small windows (a Qt resource).

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

class QApplication;
class QPainter;

namespace quillon::ui::skin {

inline constexpr int kWindowWidth = 950;
inline constexpr int kWindowHeight = 650;
inline constexpr int kHeaderHeight = 52;
inline constexpr int kSidebarWidth = 129;

inline const QColor kCaptionColor{53, 53, 53};
inline const QColor kLinkColor{0, 0, 255};
inline const QColor kLinkHoverColor{255, 0, 0};

// The main window's background at the given device pixel ratio and window size (at least
// kWindowWidth x kWindowHeight).
QPixmap MainBackground(qreal ratio, QSize size = QSize(kWindowWidth, kWindowHeight));
// The pictures of a main button (106 x 26), normal and under the mouse.
QPixmap MainButtonPicture(bool hover, qreal ratio);
// Title-bar icons, 21 x 21: "help", "minimize", "close"; hover draws the lit form.
QIcon TitleBarIcon(const QString& name, bool hover);
// The program icon at every size.
QIcon ProgramIcon();
void PaintLogo(QPainter& painter, const QRectF& box);

// The style sheet from the resources.
QString StyleSheet();
// Sets the style sheet and the program icon on the application.
void Install(QApplication& app);

}  // namespace quillon::ui::skin
