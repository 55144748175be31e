// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// Reads that do not come back at once: the control goes on without them, marks the node,
// and fills it in when the read comes back, with the same tree and the same Clicks as a
// disk that answers at once; a read that comes back after a refresh, or after the control
// has gone, is dropped (ASan sees any use of what was freed); a drive whose read is held
// holds no other drive.
#include "dirtreefixture.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QSignalSpy>

using namespace Qt::Literals::StringLiterals;

namespace {

enum class Action { Expand, GoList, SetCurrentPath };
enum class After { Land, DeleteControl, Refresh, RefreshBeside };

struct InFlightCase {
    const char* name;
    const char* held; // the folder whose listing waits
    Action action;
    After after;
};

// Hands over what has come back, and every batch, until `done` holds.
bool settleUntil(const std::function<bool()>& done)
{
    const QDeadlineTimer patience(30000);
    while (!done() && !patience.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    return done();
}

// Until every read has come back and been handed over.
bool settle(DirTree& control)
{
    return settleUntil([&] { return !DirTreePrivate::of(control)->reading(); });
}

bool marked(const QTreeWidgetItem* node)
{
    return !node->data(0, Qt::AccessibleDescriptionRole).toString().isEmpty();
}

// Whether `node` and every node below it are in, none of them being read.
bool allIn(const QTreeWidgetItem* node)
{
    for (int i = 0; i < node->childCount(); ++i) {
        if (!allIn(node->child(i)))
            return false;
    }
    return !marked(node);
}

// The usual machine with a second fixed drive, which answers while C: does not.
void besideMachine(FakeDriveSystem& fs)
{
    standardMachine(fs);
    fs.addDrive('D', DriveSystem::Fixed, "DATA");
    fs.addFolder("D:\\Music\\Live");
    fs.addFolder("D:\\Photos");
}

// The tree without the nodes' indexes, which follow the order the listings came back in.
std::string shape(const DirTree& tree)
{
    static const QRegularExpression index(u"^( *)\\d+ "_s, QRegularExpression::MultilineOption);
    return QString::fromStdString(dump(tree)).replace(index, u"\\1"_s).toStdString();
}

class ReadInFlight : public DirTreeTest, public ::testing::WithParamInterface<InFlightCase>
{
protected:
    // Runs the action on `control`, which has been listed unless the action lists.
    static void act(Action action, DirTree& control)
    {
        switch (action) {
        case Action::Expand: control.tree()->topLevelItem(1)->setExpanded(true); break;
        case Action::GoList: control.GoList(); break;
        case Action::SetCurrentPath: EXPECT_TRUE(control.setCurrentPath(u"C:\\Users\\ann\\Music"_s)); break;
        }
    }
};

TEST_P(ReadInFlight, GoesOnAndFillsInOrDropsTheRead)
{
    const InFlightCase& c = GetParam();
    const Machine machine = c.after == After::RefreshBeside ? besideMachine : standardMachine;
    // The same steps on a disk that answers at once.
    make(machine);
    tree->GoList();
    const std::string listedTree = dump(*tree);
    make(machine);
    if (c.action != Action::GoList)
        tree->GoList();
    act(c.action, *tree);
    const QStringList actClicks = clicks;
    if (c.after == After::RefreshBeside) {
        tree->GoList();
        tree->tree()->topLevelItem(2)->setExpanded(true);
    }
    const std::string expectedTree = c.after == After::RefreshBeside ? shape(*tree) : dump(*tree);
    const QStringList expectedClicks = clicks;

    make(machine);
    if (c.action != Action::GoList)
        tree->GoList();
    clicks.clear();
    // Nothing is waited for from here on.
    DirTreePrivate::of(*tree)->m_budget = std::chrono::milliseconds(0);
    fs->holdEnumeration(c.held);
    act(c.action, *tree);
    // The held listing may be asked for only once an earlier read has been handed over.
    const QDeadlineTimer patience(30000);
    while (!fs->held() && !patience.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_TRUE(fs->held());
    EXPECT_TRUE(DirTreePrivate::of(*tree)->reading());
    if (c.action == Action::Expand) {
        // Every Click came without waiting; the node whose listing is out says so.
        EXPECT_EQ(clicks, actClicks);
        EXPECT_FALSE(
            find(u"System (C:)\\Users"_s)->data(0, Qt::AccessibleDescriptionRole).toString().isEmpty());
    }
    if (c.action == Action::GoList) {
        EXPECT_EQ(tree->tree()->topLevelItemCount(), c.after == After::RefreshBeside ? 3 : 2);
        EXPECT_FALSE(
            tree->tree()->topLevelItem(1)->data(0, Qt::AccessibleDescriptionRole).toString().isEmpty());
    }
    FakeDriveSystem* const held = fs;
    switch (c.after) {
    case After::Land:
        held->release();
        ASSERT_TRUE(settle(*tree));
        EXPECT_EQ(dump(*tree), expectedTree);
        EXPECT_EQ(clicks, expectedClicks);
        for (int i = 1; QTreeWidgetItem* node = tree->node(i); ++i)
            EXPECT_TRUE(node->data(0, Qt::AccessibleDescriptionRole).toString().isEmpty()) << i;
        break;
    case After::DeleteControl:
        // The machine lives on with the read that holds it, and goes with it.
        tree.reset();
        held->release();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        break;
    case After::Refresh:
        // What the read brings is dropped, and a path asked for is opened in the fresh tree.
        tree->GoList();
        held->release();
        ASSERT_TRUE(settle(*tree));
        EXPECT_EQ(dump(*tree), c.action == Action::SetCurrentPath ? expectedTree : listedTree);
        EXPECT_EQ(clicks, c.action == Action::SetCurrentPath ? expectedClicks : clicks);
        break;
    case After::RefreshBeside: {
        // A drive that does not answer holds only itself: F5 lists the drives at once,
        // the held one marked, and the other is listed and opened with its Clicks.
        QTest::keyClick(tree->tree(), Qt::Key_F5);
        ASSERT_TRUE(settleUntil([&] {
            const QTreeWidgetItem* other = tree->tree()->topLevelItem(2);
            return other && other->childCount() > 0 && !marked(other);
        }));
        tree->tree()->topLevelItem(2)->setExpanded(true);
        ASSERT_TRUE(settleUntil([&] { return allIn(tree->tree()->topLevelItem(2)); }));
        EXPECT_EQ(clicks, expectedClicks);
        EXPECT_TRUE(held->held());
        EXPECT_TRUE(marked(tree->tree()->topLevelItem(1)));
        // The held drive is filled in once it answers.
        held->release();
        ASSERT_TRUE(settle(*tree));
        EXPECT_EQ(shape(*tree), expectedTree);
        EXPECT_EQ(clicks, expectedClicks);
        for (int i = 1; QTreeWidgetItem* node = tree->node(i); ++i)
            EXPECT_FALSE(marked(node)) << i;
        break;
    }
    }
}

INSTANTIATE_TEST_SUITE_P(Reads, ReadInFlight,
    ::testing::Values(InFlightCase {"ExpandLands", "C:\\Users", Action::Expand, After::Land},
        InFlightCase {"ExpandThenControlDeleted", "C:\\Users", Action::Expand, After::DeleteControl},
        InFlightCase {"ExpandThenRefreshed", "C:\\Users", Action::Expand, After::Refresh},
        InFlightCase {"GoListLands", "C:", Action::GoList, After::Land},
        InFlightCase {"GoListThenControlDeleted", "C:", Action::GoList, After::DeleteControl},
        InFlightCase {"SetCurrentPathLands", "C:\\Users", Action::SetCurrentPath, After::Land},
        InFlightCase {"SetCurrentPathThenRefreshed", "C:\\Users", Action::SetCurrentPath, After::Refresh},
        InFlightCase {"GoListThenOtherDriveBeside", "C:", Action::GoList, After::RefreshBeside},
        InFlightCase {"ExpandThenOtherDriveBeside", "C:\\Users", Action::Expand, After::RefreshBeside}),
    [](const auto& info) { return std::string(info.param.name); });

// An expansion wider than a batch is filled in from the event loop: the same Clicks in
// the same order as in one go, the chosen folder reported once at the end, and what the
// user does meanwhile heard after it; Esc stops '*', and a refresh or the control's end
// drops the batches still to come.
enum class Opening { Expand, Star };
enum class Meanwhile { Nothing, ClickAnother, Escape, DeleteControl, Refresh };

struct BatchCase {
    const char* name;
    Opening opening;
    Meanwhile meanwhile;
};

class Batches : public DirTreeTest, public ::testing::WithParamInterface<BatchCase>
{
protected:
    static void widerMachine(FakeDriveSystem& fs)
    {
        standardMachine(fs);
        fs.addFolder("C:\\Temp");
        fs.addFolder("C:\\Users\\bob");
    }

    void open(Opening opening)
    {
        QTreeWidgetItem* drive = find(u"System (C:)"_s);
        if (opening == Opening::Expand) {
            drive->setExpanded(true);
            return;
        }
        tree->tree()->setCurrentItem(drive);
        QTest::keyClick(tree->tree(), Qt::Key_Asterisk, Qt::KeypadModifier);
    }
};

TEST_P(Batches, KeepTheClicksOrDropTheRest)
{
    const BatchCase& c = GetParam();
    make(widerMachine);
    tree->GoList();
    clicks.clear();
    open(c.opening);
    const QStringList whole = clicks;
    ASSERT_EQ(whole.size(), 5); // four children, then the node
    const std::string wholeTree = dump(*tree);

    make(widerMachine);
    // C:'s listing shows two folders at once and holds the rest for the expansion.
    DirTreePrivate::of(*tree)->m_shownAtOnce = 2;
    tree->GoList();
    EXPECT_EQ(find(u"System (C:)"_s)->childCount(), 2);
    clicks.clear();
    DirTreePrivate::of(*tree)->m_batchSize = 2;
    QSignalSpy changed(tree.get(), &DirTree::currentPathChanged);
    open(c.opening);
    // The first batch is in; the node says it is still being read.
    EXPECT_EQ(clicks, whole.mid(0, 2));
    EXPECT_TRUE(DirTreePrivate::of(*tree)->reading());
    EXPECT_FALSE(find(u"System (C:)"_s)->data(0, Qt::AccessibleDescriptionRole).toString().isEmpty());
    EXPECT_EQ(changed.count(), 0);
    QStringList expected = whole;
    switch (c.meanwhile) {
    case Meanwhile::Nothing: break;
    case Meanwhile::ClickAnother:
        tree->tree()->setCurrentItem(find(u"System (C:)\\Windows"_s));
        click(find(u"System (C:)\\Windows"_s));
        expected << whole.last().left(whole.last().size() - 1) + u"\\Windows\\"_s;
        break;
    case Meanwhile::Escape:
        QTest::keyClick(tree->tree(), Qt::Key_Escape);
        if (c.opening == Opening::Star)
            expected = whole.mid(0, 2) << whole.last();
        break;
    case Meanwhile::DeleteControl:
        tree.reset();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(clicks, whole.mid(0, 2));
        return;
    case Meanwhile::Refresh:
        QTest::keyClick(tree->tree(), Qt::Key_F5);
        ASSERT_TRUE(settle(*tree));
        EXPECT_EQ(clicks, whole.mid(0, 2));
        EXPECT_EQ(changed.count(), 0);
        return;
    }
    ASSERT_TRUE(settle(*tree));
    EXPECT_EQ(clicks, expected);
    ASSERT_EQ(changed.count(), c.meanwhile == Meanwhile::ClickAnother ? 2 : 1);
    EXPECT_EQ(tree->path(), expected.last());
    // The highlight is where the last Click said.
    EXPECT_EQ(tree->tree()->currentItem(),
        find(c.meanwhile == Meanwhile::ClickAnother ? u"System (C:)\\Windows"_s : u"System (C:)"_s));
    EXPECT_TRUE(find(u"System (C:)"_s)->data(0, Qt::AccessibleDescriptionRole).toString().isEmpty());
    if (c.meanwhile == Meanwhile::Nothing) {
        EXPECT_EQ(dump(*tree), wholeTree);
    }
}

INSTANTIATE_TEST_SUITE_P(Wide, Batches,
    ::testing::Values(BatchCase {"ExpandLands", Opening::Expand, Meanwhile::Nothing},
        BatchCase {"StarLands", Opening::Star, Meanwhile::Nothing},
        BatchCase {"ClickWaitsForTheExpansion", Opening::Expand, Meanwhile::ClickAnother},
        BatchCase {"EscapeStopsStar", Opening::Star, Meanwhile::Escape},
        BatchCase {"ControlDeleted", Opening::Star, Meanwhile::DeleteControl},
        BatchCase {"RefreshDropsTheRest", Opening::Expand, Meanwhile::Refresh}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
