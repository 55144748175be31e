// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// DirTree in Qt Designer: the built plugin loads, offers the control in a group of its
// own with its picture, and its createWidget gives a working control; a form that uses
// the control compiles with uic and runs.
#include "ui_hostform.h"

#include <QPluginLoader>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

// The plugin carries a copy of the control of its own, so the test reaches it through
// Qt's meta-object system, as Designer does.
TEST(DesignerPlugin, CreatesAWorkingDirTree)
{
    QPluginLoader loader(QString::fromUtf8(DIRTREE_DESIGNER_PLUGIN));
    ASSERT_TRUE(loader.load()) << loader.errorString().toStdString();
    auto* plugin = qobject_cast<QDesignerCustomWidgetInterface*>(loader.instance());
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(plugin->name(), u"Cantorel::DirTree"_s);
    EXPECT_EQ(plugin->group(), u"DirTree"_s);
    EXPECT_EQ(plugin->includeFile(), u"<DirTree/dirtree.h>"_s);
    EXPECT_FALSE(plugin->icon().isNull());
    EXPECT_FALSE(plugin->isContainer());
    EXPECT_TRUE(plugin->domXml().contains(u"<widget class=\"Cantorel::DirTree\""_s));

    QWidget form;
    QWidget* widget = plugin->createWidget(&form);
    ASSERT_NE(widget, nullptr);
    EXPECT_STREQ(widget->metaObject()->className(), "Cantorel::DirTree");
    ASSERT_TRUE(QMetaObject::invokeMethod(widget, "GoList"));
    auto* view = widget->findChild<QTreeWidget*>();
    ASSERT_NE(view, nullptr);
    // C: is the root folder, on every machine; the drives come from the control's reader.
    ASSERT_TRUE(QTest::qWaitFor([view] { return view->topLevelItemCount() > 0; }, 30000));
    QSignalSpy clicks(widget, SIGNAL(Click()));
    Q_EMIT view->itemClicked(view->topLevelItem(0), 0);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_TRUE(widget->property("path").toString().endsWith(u":\\"_s));
}

TEST(DesignerForm, CompiledByUicHostsTheControl)
{
    QWidget form;
    Ui::HostForm ui;
    ui.setupUi(&form);
    Cantorel::DirTree* tree = ui.dirTree;
    ASSERT_NE(tree, nullptr);
    QObject::connect(tree, &Cantorel::DirTree::Click, ui.chosen, [&] { ui.chosen->setText(tree->path()); });
    tree->GoList();
    ASSERT_TRUE(QTest::qWaitFor([tree] { return tree->tree()->topLevelItemCount() > 0; }, 30000));
    Q_EMIT tree->tree()->itemClicked(tree->tree()->topLevelItem(0), 0);
    EXPECT_EQ(ui.chosen->text(), tree->path());
    EXPECT_FALSE(tree->path().isEmpty());
}

} // namespace
