// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// Every change of DirTree's current node is reported once, in order, and a host may
// delete the control from any Click of any action (ASan and valgrind see every read of
// the freed control).
#include "dirtreefixture.h"

#include <QPointer>

using namespace Qt::Literals::StringLiterals;

namespace {

class DirTreeActionTest : public DirTreeTest
{
protected:
    // Fills the tree (standard machine) and readies it for `action`.
    void start(Trigger action)
    {
        make(standardMachine);
        tree->resize(300, 300);
        readyForTrigger(*tree, action);
        clicks.clear();
    }

    // Runs `action` as the user (or the host) does it; stops as soon as the control is
    // gone, as the events would then go to a deleted widget.
    void act(Trigger action)
    {
        // `tree` may be let go of by a handler: the view and node are taken first.
        fireTrigger(action, tree->tree(), find(u"System (C:)"_s), tree.get());
    }
};

struct DeleteCase {
    std::string name;
    Trigger action;
    int deleteOnClick;
    bool later; // deleteLater() instead of delete
    int clicks; // Clicks raised in all
};

class DeleteFromClick : public DirTreeActionTest, public ::testing::WithParamInterface<DeleteCase>
{ };

TEST_P(DeleteFromClick, EndsTheHandlingCleanly)
{
    const DeleteCase& c = GetParam();
    start(c.action);
    const QPointer<DirTree> alive(tree.get());
    QObject::connect(tree.get(), &DirTree::Click, tree.get(), [&] {
        if (clicks.size() != c.deleteOnClick)
            return;
        if (c.later)
            tree.release()->deleteLater();
        else
            tree.reset();
    });
    act(c.action);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    EXPECT_EQ(clicks.size(), c.clicks);
    EXPECT_TRUE(alive.isNull());
}

std::vector<DeleteCase> deleteCases()
{
    std::vector<DeleteCase> cases;
    for (const TriggerClicks& a : kTriggerClicks) {
        for (int at = 1; at <= a.clicks; ++at)
            cases.push_back({std::string(a.name) + "OnClick" + std::to_string(at), a.trigger, at, false, at});
        // deleteLater: the action runs to its end, and the control goes afterwards.
        cases.push_back({std::string(a.name) + "LaterOnClick1", a.trigger, 1, true, a.clicks});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Actions, DeleteFromClick, ::testing::ValuesIn(deleteCases()),
    [](const auto& info) { return info.param.name; });

// The Clicks of each action, in order, when nobody deletes: the counts above hold, and
// '*' reports every node after the nodes below it and the current node last, once.
struct SequenceCase {
    const char* name;
    Trigger action;
    QStringList expected;
};

class ClickSequence : public DirTreeActionTest, public ::testing::WithParamInterface<SequenceCase>
{ };

TEST_P(ClickSequence, ReportsEachNodeInOrder)
{
    start(GetParam().action);
    act(GetParam().action);
    EXPECT_EQ(clicks, GetParam().expected);
    EXPECT_EQ(tree->tree()->currentItem(), find(u"System (C:)"_s));
}

const QString kPf = u"C:\\Program Files\\"_s;
const QString kCf = u"C:\\Program Files\\Common Files\\"_s;
const QString kUsers = u"C:\\Users\\"_s;
const QString kAnn = u"C:\\Users\\Ann\\"_s;
const QString kWin = u"C:\\Windows\\"_s;
const QString kC = u"C:\\"_s;

INSTANTIATE_TEST_SUITE_P(Actions, ClickSequence,
    ::testing::Values(SequenceCase {"LeftClick", Trigger::LeftClick, {kC}},
        SequenceCase {"ExpandMark", Trigger::ExpandMark, {kPf, kUsers, kWin, kC}},
        SequenceCase {"DoubleClick", Trigger::DoubleClick, {kC, kPf, kUsers, kWin, kC}},
        SequenceCase {"KeyDown", Trigger::KeyDown, {kC}},
        SequenceCase {"Right", Trigger::Right, {kPf, kUsers, kWin, kC}},
        SequenceCase {
            "StarCollapsed", Trigger::StarCollapsed, {kCf, kPf, kAnn, kUsers, kPf, kUsers, kWin, kC}},
        SequenceCase {"StarExpanded", Trigger::StarExpanded, {kCf, kPf, kAnn, kUsers, kC}}),
    [](const auto& info) { return std::string(info.param.name); });

// Mouse actions that are not a left click on one node leave the current node, and path,
// as they were; a left click moves both.
struct MouseCase {
    const char* name;
    Qt::MouseButton button;
    const char* pressOn;   // full path of the node pressed, or nullptr below the rows
    const char* releaseOn; // likewise
    QStringList expected;
    const char* current;
};

class MouseMoves : public DirTreeTest, public ::testing::WithParamInterface<MouseCase>
{ };

TEST_P(MouseMoves, CurrentNodeMovesOnlyWithAClick)
{
    const MouseCase& c = GetParam();
    make(standardMachine);
    tree->GoList();
    find(u"System (C:)"_s)->setExpanded(true);
    tree->resize(300, 300);
    mouseClick(find(u"System (C:)\\Windows"_s));
    clicks.clear();
    QWidget* viewport = tree->tree()->viewport();
    const auto at = [&](const char* node) {
        return node ? tree->tree()->visualItemRect(find(QString::fromUtf8(node))).center()
                    : QPoint(viewport->width() / 2, viewport->height() - 2);
    };
    QTest::mousePress(viewport, c.button, {}, at(c.pressOn));
    QMouseEvent drag(QEvent::MouseMove, at(c.releaseOn), viewport->mapToGlobal(at(c.releaseOn)), Qt::NoButton,
        c.button, {});
    QCoreApplication::sendEvent(viewport, &drag);
    QTest::mouseRelease(viewport, c.button, {}, at(c.releaseOn));
    EXPECT_EQ(clicks, c.expected);
    EXPECT_EQ(tree->tree()->currentItem(), find(QString::fromUtf8(c.current)));
    EXPECT_EQ(tree->tree()->selectedItems(), QList<QTreeWidgetItem*> {tree->tree()->currentItem()});
}

INSTANTIATE_TEST_SUITE_P(Mouse, MouseMoves,
    ::testing::Values(MouseCase {"LeftClick", Qt::LeftButton, "System (C:)\\Users", "System (C:)\\Users",
                          {kUsers}, "System (C:)\\Users"},
        MouseCase {"RightClick", Qt::RightButton, "System (C:)\\Users", "System (C:)\\Users", {},
            "System (C:)\\Windows"},
        MouseCase {"MiddleClick", Qt::MiddleButton, "System (C:)\\Users", "System (C:)\\Users", {},
            "System (C:)\\Windows"},
        MouseCase {"DragOntoAnotherNode", Qt::LeftButton, "System (C:)\\Users", "System (C:)\\Program Files",
            {}, "System (C:)\\Windows"},
        MouseCase {"PressOnTheCurrentNodeReleasedOnAnother", Qt::LeftButton, "System (C:)\\Windows",
            "System (C:)\\Users", {}, "System (C:)\\Windows"},
        MouseCase {"ReleasedBelowTheRows", Qt::LeftButton, "System (C:)\\Users", nullptr, {},
            "System (C:)\\Windows"}),
    [](const auto& info) { return std::string(info.param.name); });

// Drives without labels read ' (C:)', ' (D:)': Space must not search for a blank and
// jump to the next of them, nor report anything.
TEST_F(DirTreeTest, SpaceOnDrivesWithEmptyLabelsDoesNothing)
{
    make([](FakeDriveSystem& fs) {
        for (const char letter : {'C', 'D', 'E'})
            fs.addDrive(letter, DriveSystem::Fixed, "");
    });
    tree->GoList();
    tree->show();
    tree->tree()->setFocus();
    tree->tree()->setCurrentItem(find(u" (C:)"_s));
    for (int i = 0; i < 2; ++i)
        QTest::keyClick(tree->tree(), Qt::Key_Space);
    EXPECT_EQ(clicks, QStringList {});
    EXPECT_EQ(tree->tree()->currentItem(), find(u" (C:)"_s));
}

} // namespace
