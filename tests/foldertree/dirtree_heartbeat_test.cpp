// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// A host's GUI thread is never held by a read that hangs: a FUSE file system holds a
// listing (or the attributes) of a folder, the host does what a user does beside it, and
// its 10 ms heartbeat goes on beating while the read is still held. The longest stall is
// printed; the held read is what is asserted, as a stall's length depends on the machine.
#include "DirTree/dirtree.h"
#include "dirtreeprivate.h"
#include "rooteddrivesystem.h"
#include "testfsmount.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <iostream>

using namespace Cantorel;
using namespace Qt::Literals::StringLiterals;

namespace {

enum class Step { GoList, F5, ExpandStalled, F5WhileStalled, Star, SetCurrentPathBeside };

struct StallCase {
    const char* name;
    const char* hold; // the command that holds a read
    Step step;
};

class Heartbeat : public ::testing::TestWithParam<StallCase>
{ };

QTreeWidgetItem* childNamed(QTreeWidgetItem* parent, const QString& text)
{
    for (int i = 0; i < parent->childCount(); ++i) {
        if (parent->child(i)->text(0) == text)
            return parent->child(i);
    }
    return nullptr;
}

TEST_P(Heartbeat, BeatsWhileTheReadIsHeld)
{
    const StallCase& c = GetParam();
    // fast/x, slow/a/deep, slow/b
    TestFsMount fs;
    for (const QString& folder : {u"fast/x"_s, u"slow/a/deep"_s, u"slow/b"_s})
        QDir().mkpath(fs.backing(folder));
    if (!fs.mount())
        GTEST_SKIP() << fs.skipReason().toStdString();
    DirTree tree(std::make_unique<RootedDriveSystem>(QFile::encodeName(fs.mounted()).toStdString()));
    tree.resize(300, 300);
    tree.show();
    QStringList clicks;
    QObject::connect(&tree, &DirTree::Click, &tree, [&] { clicks << tree.nativePath(); });
    if (c.step != Step::GoList)
        tree.GoList();
    QTreeWidgetItem* drive = tree.tree()->topLevelItem(0);
    if (c.step == Step::ExpandStalled || c.step == Step::F5WhileStalled) {
        // The node is listed; its children's listings (the look-ahead) are what is held.
        Q_EMIT tree.tree()->itemClicked(childNamed(drive, u"Slow"_s), 0);
    }
    tree.tree()->setCurrentItem(drive);
    tree.tree()->setFocus();
    clicks.clear();

    int beats = 0;
    qint64 longest = 0;
    QElapsedTimer sinceBeat;
    QTimer heart;
    QObject::connect(&heart, &QTimer::timeout, &heart, [&] {
        longest = std::max(longest, sinceBeat.restart());
        ++beats;
    });
    heart.start(10);
    sinceBeat.start();
    QCoreApplication::processEvents();

    fs.command(c.hold);
    switch (c.step) {
    case Step::GoList: tree.GoList(); break;
    case Step::F5: QTest::keyClick(tree.tree(), Qt::Key_F5); break;
    case Step::ExpandStalled: childNamed(drive, u"Slow"_s)->setExpanded(true); break;
    case Step::F5WhileStalled:
        childNamed(drive, u"Slow"_s)->setExpanded(true);
        QTest::keyClick(tree.tree(), Qt::Key_F5);
        break;
    case Step::Star: QTest::keyClick(tree.tree(), Qt::Key_Asterisk, Qt::KeypadModifier); break;
    case Step::SetCurrentPathBeside: EXPECT_TRUE(tree.setCurrentPath(fs.mounted(u"fast/x"_s))); break;
    }
    const QByteArray hold(c.hold);
    ASSERT_FALSE(fs.waitFor("held " + hold.mid(4)).isEmpty());
    // The heartbeat beats on while the read is held: the step did not wait for it.
    const int before = beats;
    const QDeadlineTimer patience(20000);
    while (beats < before + 3 && !patience.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_GE(beats, before + 3);
    EXPECT_FALSE(fs.hasSaid("gave up")) << "the step waited for the held read";
    if (c.step == Step::F5WhileStalled) {
        // The drive table does not wait for the held listing: the drive is shown meanwhile.
        const QDeadlineTimer shown(20000);
        while (tree.tree()->topLevelItemCount() == 0 && !shown.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        EXPECT_EQ(tree.tree()->topLevelItemCount(), 1);
        EXPECT_FALSE(fs.hasSaid("gave up")) << "the listing was not held throughout";
    }
    if (c.step == Step::SetCurrentPathBeside) {
        // The folder beside the held one is reached meanwhile.
        EXPECT_EQ(clicks, QStringList {fs.mounted(u"fast/x/"_s)});
    }
    std::cout << "longest stall of " << c.name << ": " << longest << " ms\n";

    fs.command("releaseread");
    const QDeadlineTimer settling(20000);
    while (DirTreePrivate::of(tree)->reading() && !settling.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_FALSE(DirTreePrivate::of(tree)->reading());
    EXPECT_EQ(tree.tree()->topLevelItem(0)->childCount(), 2);
}

INSTANTIATE_TEST_SUITE_P(Steps, Heartbeat,
    ::testing::Values(StallCase {"GoList", "holdreaddir /", Step::GoList},
        StallCase {"F5", "holdreaddir /", Step::F5},
        StallCase {"ExpandStalled", "holdreaddir /slow/a", Step::ExpandStalled},
        StallCase {"ExpandStalledByAttributes", "holdgetattr /slow/a", Step::ExpandStalled},
        StallCase {"F5WhileStalled", "holdreaddir /slow/a", Step::F5WhileStalled},
        StallCase {"Star", "holdreaddir /slow", Step::Star},
        StallCase {"SetCurrentPathBeside", "holdreaddir /slow", Step::SetCurrentPathBeside}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
