// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "accessiblefactory.h"

#include "clickarea.h"
#include "filelistaccessible.h"
#include "filelistview.h"
#include "frmsplash.h"
#include "lineeditaccessible.h"
#include "playlisttextaccessible.h"
#include "playlisttextedit.h"
#include "pressaccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace {

// Qt asks with each class name of the object's chain in turn, most derived first.
QAccessibleInterface* programAccessible(const QString& className, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == u"frmSplash"_s)
        // No key passes the splash; the press does what a click does.
        return new PressAccessible(widget, QAccessible::Window,
            [](QWidget* splash) { static_cast<frmSplash*>(splash)->Form_Click(); });
    if (className == u"frmmain"_s)
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (className == u"ClickArea"_s)
        return new PressAccessible(
            widget, QAccessible::Button, [](QWidget* area) { static_cast<ClickArea*>(area)->press(); });
    if (className == u"FileListView"_s)
        return new FileListAccessible(static_cast<FileListView*>(widget));
    if (className == u"PlaylistTextEdit"_s)
        return new PlaylistTextAccessible(static_cast<PlaylistTextEdit*>(widget));
    if (className == u"QLineEdit"_s)
        return new LineEditAccessible(static_cast<QLineEdit*>(widget));
    return nullptr;
}

} // namespace

void AccessibleFactory::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(programAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}
