// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "frmsplash.h"

#include "module1.h"
#include "twips.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>

using namespace Qt::StringLiterals;

namespace {

const QString kPicture = u":/assets/splash.png"_s;
constexpr int kClientWidth = 4470;
constexpr int kClientHeight = 2220;
const QString kSpokenName = u"Cantorel"_s;
const char* const kSpokenDescription
    = QT_TRANSLATE_NOOP("frmSplash", "The start-up picture; press it to continue to the playlist maker");

// The second click of a double click on the splash window lands on the main window, which
// has just opened under the pointer; it would pick whatever file lies there. This filter
// swallows that second click (press, double click and release) when it follows the first
// within the double-click time and distance, and then removes itself.
class DoubleClickTail : public QObject
{
public:
    explicit DoubleClickTail(const QMouseEvent& click)
        : QObject(QCoreApplication::instance()), m_clickTimestamp(click.timestamp()),
          m_clickAt(click.globalPosition())
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (m_swallowing || isSecondClick(*mouse)) {
                m_swallowing = true;
                return true;
            }
            finish();
            return false;
        }
        case QEvent::MouseButtonRelease: {
            const bool ownRelease = m_swallowing;
            finish();
            return ownRelease;
        }
        default: return false;
        }
    }

private:
    bool isSecondClick(const QMouseEvent& press) const
    {
        const QPointF moved = press.globalPosition() - m_clickAt;
        const int distance = QGuiApplication::styleHints()->mouseDoubleClickDistance();
        return press.timestamp() - m_clickTimestamp
            <= static_cast<quint64>(QApplication::doubleClickInterval())
            && qAbs(moved.x()) <= distance && qAbs(moved.y()) <= distance;
    }

    void finish()
    {
        QCoreApplication::instance()->removeEventFilter(this);
        deleteLater();
    }

    quint64 m_clickTimestamp;
    QPointF m_clickAt;
    bool m_swallowing = false;
};

} // namespace

frmSplash::frmSplash(std::function<void()> showMainWindow, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_picture(kPicture),
      m_showMainWindow(std::move(showMainWindow))
{
    setAccessibleName(kSpokenName);
    setAccessibleDescription(tr(kSpokenDescription));
    setFixedSize(Twips::toPixels(kClientWidth), Twips::toPixels(kClientHeight));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::NoFocus);
    Module1::CenterForm(*this);
}

void frmSplash::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    m_picture.paint(painter); // unscaled; two columns and two rows are never seen
}

void frmSplash::mousePressEvent(QMouseEvent* event) { m_click.press(event); }

void frmSplash::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_click.release(event, *this)) {
        new DoubleClickTail(*event);
        Form_Click();
    }
}

void frmSplash::Form_Click()
{
    // Presses that were queued behind the first click (a double click) find the window
    // already unloaded.
    if (m_unloaded)
        return;
    m_unloaded = true;
    // Hidden first, so that its window is gone before the main window appears; closed
    // (and so deleted) only once the main window is up, since closing the last open
    // window would end the program.
    hide();
    if (m_showMainWindow)
        m_showMainWindow();
    close();
}
