#include "frmsplash.h"

#include "module1.h"
#include "twips.h"

#include <QMouseEvent>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace {

const QString kPicture = u":/assets/splash.png"_s;
constexpr int kClientWidth = 4470;
constexpr int kClientHeight = 2220;

} // namespace

frmSplash::frmSplash(std::function<void()> showMainWindow, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_picture(kPicture)
    , m_showMainWindow(std::move(showMainWindow))
{
    setFixedSize(Twips::toPixels(kClientWidth), Twips::toPixels(kClientHeight));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::NoFocus);
    Module1::CenterForm(*this);
}

void frmSplash::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture); // unscaled; two columns and two rows are never seen
}

void frmSplash::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void frmSplash::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton
                       && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        Form_Click();
}

void frmSplash::Form_Click()
{
    // Presses that were queued behind the first click (a double click) find the window
    // already unloaded.
    if (m_unloaded)
        return;
    m_unloaded = true;
    // Hidden first, so that its window is gone before the main window appears; closed
    // (and so deleted) only once the main window is up, so that for a moment no window
    // is open and the program would end.
    hide();
    if (m_showMainWindow)
        m_showMainWindow();
    close();
}
