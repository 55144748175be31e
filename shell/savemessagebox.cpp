// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "savemessagebox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kApplicationTitle = u"Cantorel"_s;
// Room beside a centred caption for a title bar's icon on one side and its three buttons
// on the other, in pixels.
constexpr int kTitleBarSideRoom = 96;

} // namespace

SaveMessageBox::SaveMessageBox(Icon icon, const QString& text, QWidget* mainWindow)
    : QMessageBox(icon, kApplicationTitle, text, QMessageBox::Ok, mainWindow)
{
    // A title bar the program draws itself (Qt's, on Wayland) centres the caption between
    // the window icon and three buttons; a box only as wide as "Saved" would cut it off.
    // The box sizes itself to its layout when shown, so the room is a spacer in it.
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        const QFontMetrics caption(QApplication::font("QMdiSubWindowTitleBar"));
        const int width = caption.horizontalAdvance(kApplicationTitle) + 2 * kTitleBarSideRoom;
        grid->addItem(new QSpacerItem(width, 0), grid->rowCount(), 0, 1, grid->columnCount());
    }
}
