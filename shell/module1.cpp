#include "module1.h"

#include "twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace Module1 {

QPointF centredTopLeft(QSizeF screenTwips, QSizeF windowTwips)
{
    const float left = (static_cast<float>(screenTwips.width()) - static_cast<float>(windowTwips.width())) / 2.0f;
    const float top = (static_cast<float>(screenTwips.height()) - static_cast<float>(windowTwips.height())) / 2.0f;
    return QPointF(left, top);
}

void CenterForm(QWidget& form)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect screenRect = screen->geometry();
    // Before the window is first shown the window system has not reported its frame yet;
    // the frame geometry is then the client geometry.
    const QRect outer = form.frameGeometry();
    const QPointF at = centredTopLeft(
        QSizeF(screenRect.width() * Twips::kPerPixel, screenRect.height() * Twips::kPerPixel),
        QSizeF(outer.width() * Twips::kPerPixel, outer.height() * Twips::kPerPixel));
    // The window system places whole pixels; a half twip or pixel is rounded away from zero.
    const auto toPixel = [](double twips) {
        return static_cast<int>(std::lround(twips / Twips::kPerPixel));
    };
    // QWidget::move places a top-level window's outer rectangle.
    form.move(screenRect.left() + toPixel(at.x()), screenRect.top() + toPixel(at.y()));
}

} // namespace Module1
