// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// DirTree against an in-memory machine: the nodes of the drive pass and of folder
// listings, clicks, expansions, the refresh key and resizing.
#include "dirtreefixture.h"
#include "dirtreeprivate.h"

#include <QAccessible>
#include <QScrollBar>
#include <QStyledItemDelegate>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TreeCase {
    const char* name;
    Machine machine;
    const char* expected;
};

std::string caseName(const ::testing::TestParamInfo<TreeCase>& info) { return info.param.name; }

// The tree right after GoList.
class DrivePass : public DirTreeTest, public ::testing::WithParamInterface<TreeCase>
{ };

TEST_P(DrivePass, BuildsTheDriveLevel)
{
    make(GetParam().machine);
    tree->GoList();
    EXPECT_EQ(dump(*tree), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Machines, DrivePass,
    ::testing::Values(TreeCase {"FloppySystemAndOpticalWithoutDisc",
                          [](FakeDriveSystem& fs) {
                              fs.addDrive('A', DriveSystem::Removable, "FLOPPY");
                              fs.addDrive('C', DriveSystem::Fixed, "SYSTEM");
                              fs.addFolder("C:\\Windows");
                              fs.addFolder("C:\\Program Files\\Common Files");
                              fs.addDrive('D', DriveSystem::CdRom, std::nullopt);
                          },
                          "1 root65 '(A:)' remove\n"
                          "2 root67 'System (C:)' fixed\n"
                          "  3 'Program Files' folder/open\n"
                          "  4 'Windows' folder/open\n"},
        TreeCase {"EmptyLabelKeepsItsBlank",
            [](FakeDriveSystem& fs) { fs.addDrive('E', DriveSystem::Fixed, ""); },
            "1 root69 ' (E:)' fixed\n"},
        TreeCase {"PictureOfEveryType",
            [](FakeDriveSystem& fs) {
                fs.addDrive('F', DriveSystem::Unknown, "misc");
                fs.addDrive('G', DriveSystem::NoRootDir, "gone");
                fs.addDrive('H', DriveSystem::Fixed, "MY DATA");
                fs.addDrive('I', DriveSystem::Remote, "share");
                fs.addDrive('J', DriveSystem::CdRom, "disc");
                fs.addDrive('K', DriveSystem::RamDisk, "ram");
                fs.addDrive('L', 7, "seven");
                fs.addDrive('M', -1, "negative");
            },
            "1 root70 'Misc (F:)' unknown\n"
            "2 root72 'My Data (H:)' fixed\n"
            "3 root73 'Share (I:)' remote\n"
            "4 root74 'Disc (J:)' cd\n"
            "5 root75 'Ram (K:)' ram\n"},
        TreeCase {"RootThatCannotBeListed",
            [](FakeDriveSystem& fs) {
                fs.addDrive('Z', DriveSystem::Remote, "NAS");
                fs.failEnumeration("Z:");
            },
            "1 root90 'Nas (Z:)' remote\n"}),
    caseName);

// The children one listing gives C:.
class Listing : public DirTreeTest, public ::testing::WithParamInterface<TreeCase>
{ };

TEST_P(Listing, AddsTheSubfoldersInOrder)
{
    make([](FakeDriveSystem& fs) {
        fs.addDrive('C', DriveSystem::Fixed, "C");
        GetParam().machine(fs);
    });
    tree->GoList();
    EXPECT_EQ(dump(*tree), std::string("1 root67 'C (C:)' fixed\n") + GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Folders, Listing,
    ::testing::Values(TreeCase {"SortedWithoutCaseFilesLeftOut",
                          [](FakeDriveSystem& fs) {
                              fs.addFolder("C:\\zeta");
                              fs.addFolder("C:\\Alpha");
                              fs.addFile("C:\\notes.txt");
                              fs.addFolder("C:\\beta");
                          },
                          "  2 'Alpha' folder/open\n  3 'Beta' folder/open\n  4 'Zeta' folder/open\n"},
        TreeCase {"HiddenAndSystemFoldersLeftOut",
            [](FakeDriveSystem& fs) {
                fs.addFolder("C:\\$RECYCLE.BIN", {true, true, true});
                fs.addFolder("C:\\System Volume Information", {true, false, true});
                fs.addFolder("C:\\Secret", {true, true, false});
                fs.addFolder("C:\\Music");
            },
            "  2 'Music' folder/open\n"},
        TreeCase {"NamesProperCased",
            [](FakeDriveSystem& fs) {
                fs.addFolder("C:\\MUSIC");
                fs.addFolder("C:\\my documents");
                fs.addFolder("C:\\cd-rom");
            },
            "  2 'Cd-rom' folder/open\n  3 'Music' folder/open\n  4 'My Documents' folder/open\n"},
        TreeCase {"UnreadableAttributesTakenAsFolder",
            [](FakeDriveSystem& fs) {
                fs.addFile("C:\\locked.sys");
                fs.failAttributes("C:\\locked.sys");
                fs.addFolder("C:\\Data");
            },
            "  2 'Data' folder/open\n  3 'Locked.sys' folder/open\n"},
        // A folder that can be read but not searched: no attributes, yet each entry's type.
        TreeCase {"EntryTypeDecidesBeforeUnreadableAttributes",
            [](FakeDriveSystem& fs) {
                fs.listEntryTypes();
                fs.addFile("C:\\locked.sys");
                fs.failAttributes("C:\\locked.sys");
                fs.addFolder("C:\\Data");
                fs.failAttributes("C:\\Data");
            },
            "  2 'Data' folder/open\n"},
        TreeCase {"ListingThatBreaksOffKeepsWhatItRead",
            [](FakeDriveSystem& fs) {
                fs.addFolder("C:\\zeta");
                fs.addFolder("C:\\Alpha");
                fs.addFolder("C:\\beta");
                fs.failEnumerationAfter("C:", 2);
            },
            "  2 'Alpha' folder/open\n  3 'Zeta' folder/open\n"},
        TreeCase {"NoSubfolders", [](FakeDriveSystem& fs) { fs.addFile("C:\\autoexec.bat"); }, ""}),
    caseName);

TEST_F(DirTreeTest, RemovableDriveIsNotTouchedByThePass)
{
    make(standardMachine);
    tree->GoList();
    EXPECT_EQ(fs->labelReads('A'), 0);
    EXPECT_EQ(fs->enumerations("A:"), 0);
    EXPECT_EQ(fs->enumerations("C:"), 1);
}

TEST_F(DirTreeTest, NodeIndexesFollowTheOrderOfAddition)
{
    make(standardMachine);
    tree->GoList();
    tree->node(2)->setExpanded(true);
    EXPECT_EQ(dump(*tree),
        "1 root65 '(A:)' remove\n"
        "2 root67 'System (C:)' fixed\n"
        "  3 'Program Files' folder/open\n"
        "    6 'Common Files' folder/open\n"
        "  4 'Users' folder/open\n"
        "    7 'Ann' folder/open\n"
        "  5 'Windows' folder/open\n");
}

TEST_F(DirTreeTest, ClicksSetThePathAndRaiseClick)
{
    make(standardMachine);
    tree->GoList();
    EXPECT_EQ(tree->path(), u""_s);
    EXPECT_EQ(tree->property("path").toString(), u""_s);

    mouseClick(find(u"System (C:)"_s));
    EXPECT_EQ(clicks, QStringList {u"C:\\"_s});
    EXPECT_EQ(tree->nativePath(), u"C:\\"_s);

    click(find(u"System (C:)\\Program Files"_s));
    click(find(u"System (C:)\\Program Files\\Common Files"_s));
    EXPECT_EQ(tree->path(), u"C:\\Program Files\\Common Files\\"_s);
    EXPECT_EQ(tree->property("path").toString(), tree->path());
    // The disk is reached, and named to the host, through the names as they are on disk.
    EXPECT_EQ(tree->nativePath(), u"C:\\Program Files\\COMMON FILES\\"_s);
    EXPECT_EQ(fs->enumerations("C:\\Program Files\\COMMON FILES"), 1);
    EXPECT_EQ(clicks.size(), 3);
}

TEST_F(DirTreeTest, EmptyRemovableDriveListsNothingYetReportsItsRoot)
{
    make(standardMachine);
    tree->GoList();
    click(find(u"(A:)"_s));
    EXPECT_EQ(clicks, QStringList {u"A:\\"_s});
    EXPECT_EQ(find(u"(A:)"_s)->childCount(), 0);
    // Listed once as a drive, and once more as a node without children.
    EXPECT_EQ(fs->enumerations("A:"), 2);
}

TEST_F(DirTreeTest, RemovableDriveWithMediumListsOnFirstClick)
{
    make([](FakeDriveSystem& fs) {
        fs.addDrive('A', DriveSystem::Removable, "FLOPPY");
        fs.addFolder("A:\\docs");
    });
    tree->GoList();
    click(find(u"(A:)"_s));
    EXPECT_EQ(dump(*tree), "1 root65 '(A:)' remove\n  2 'Docs' folder/open\n");
    click(find(u"(A:)\\Docs"_s));
    EXPECT_EQ(tree->path(), u"A:\\Docs\\"_s);
}

TEST_F(DirTreeTest, FolderIsReadAgainOnlyWhileItHasNoChildren)
{
    make(standardMachine);
    tree->GoList();
    for (int i = 0; i < 3; ++i) {
        click(find(u"System (C:)\\Windows"_s));
        click(find(u"System (C:)\\Program Files"_s));
    }
    EXPECT_EQ(fs->enumerations("C:\\Windows"), 3);
    EXPECT_EQ(fs->enumerations("C:\\Program Files"), 1);
    EXPECT_EQ(find(u"System (C:)\\Program Files"_s)->childCount(), 1);
}

TEST_F(DirTreeTest, FoldersThatDifferOnlyInCaseStayApart)
{
    make([](FakeDriveSystem& fs) {
        fs.addDrive('C', DriveSystem::Fixed, "");
        fs.addFolder("C:\\music\\jazz");
        fs.addFolder("C:\\Music\\rock");
    });
    tree->GoList();
    ASSERT_EQ(dump(*tree), "1 root67 ' (C:)' fixed\n  2 'Music' folder/open\n  3 'Music' folder/open\n");
    click(tree->node(2));
    EXPECT_EQ(tree->nativePath(), u"C:\\Music\\"_s);
    click(tree->node(3));
    EXPECT_EQ(tree->nativePath(), u"C:\\music\\"_s);
    EXPECT_EQ(tree->path(), u"C:\\Music\\"_s);
    EXPECT_EQ(tree->node(2)->child(0)->text(0), u"Rock"_s);
    EXPECT_EQ(tree->node(3)->child(0)->text(0), u"Jazz"_s);
}

// A name that is not valid UTF-8 is shown readably, and the host gets its exact bytes; no
// string claims to name it.
TEST_F(DirTreeTest, NamesThatAreNotUtf8KeepTheirBytes)
{
    make([](FakeDriveSystem& fs) {
        fs.addDrive('C', DriveSystem::Fixed, "DATA");
        fs.addFolder("C:\\caf\xe9\\na\xc3\xafve");
    });
    tree->GoList();
    click(find(u"Data (C:)\\Café"_s));
    EXPECT_EQ(tree->path(), u"C:\\Café\\"_s);
    EXPECT_EQ(tree->nativePathBytes(), QByteArray("C:\\caf\xe9\\"));
    EXPECT_EQ(tree->nativePath(), QString());
    EXPECT_EQ(fs->enumerations("C:\\caf\xe9"), 1);
    click(find(u"Data (C:)\\Café\\Naïve"_s));
    EXPECT_EQ(tree->nativePathBytes(), QByteArray("C:\\caf\xe9\\na\xc3\xafve\\"));
    EXPECT_EQ(tree->nativePath(), QString());
    EXPECT_EQ(find(u"Data (C:)\\Café\\Naïve"_s)->toolTip(0), u"naïve\nC:\\café\\naïve\\"_s);
}

// The tooltip names the folder as it is on disk, which the proper-cased text does not.
TEST_F(DirTreeTest, ToolTipHoldsTheNameOnDiskAndTheNativePath)
{
    make(standardMachine);
    tree->GoList();
    tree->node(2)->setExpanded(true);
    EXPECT_EQ(find(u"System (C:)"_s)->toolTip(0), u"System (C:)\nC:\\"_s);
    EXPECT_EQ(find(u"System (C:)\\Program Files\\Common Files"_s)->toolTip(0),
        u"COMMON FILES\nC:\\Program Files\\COMMON FILES\\"_s);
}

// Names wider than the control are not cut: the column takes the width of its widest row,
// indentation included, and the view scrolls sideways to it.
TEST_F(DirTreeTest, LongAndDeepNamesCanBeScrolledTo)
{
    const std::string longName(255, 'x');
    const std::string deep = "C:\\d1\\d2\\d3\\d4\\d5\\d6\\d7\\d8\\d9\\d10\\d11\\d12\\d13\\d14";
    make([&](FakeDriveSystem& fs) {
        fs.addDrive('C', DriveSystem::Fixed, "SYSTEM");
        fs.addFolder("C:\\" + longName);
        fs.addFolder(deep);
    });
    tree->GoList();
    tree->resize(300, 200);
    tree->show();
    QTreeWidgetItem* node = tree->node(1);
    for (int depth = 0; node; ++depth) {
        node->setExpanded(true);
        node = node->childCount() ? node->child(0) : nullptr;
    }
    QCoreApplication::processEvents();
    QTreeWidget* view = tree->tree();
    QTreeWidgetItem* deepest
        = find(u"System (C:)\\D1\\D2\\D3\\D4\\D5\\D6\\D7\\D8\\D9\\D10\\D11\\D12\\D13\\D14"_s);
    const QString longText = u'X' + QString(254, u'x');
    QTreeWidgetItem* longest = find(u"System (C:)\\"_s + longText);
    const QFontMetrics metrics(view->font());
    EXPECT_GE(view->columnWidth(0), 15 * view->indentation() + metrics.horizontalAdvance(deepest->text(0)));
    EXPECT_GE(view->columnWidth(0), view->indentation() + metrics.horizontalAdvance(longest->text(0)));
    EXPECT_GT(view->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(longest->text(0), longText);
}

// A line break inside a name would cut it after its first line in a row of one line: each
// break is drawn as a mark, and the column is wide enough for the whole name.
TEST_F(DirTreeTest, LineBreaksInNamesAreDrawnAsMarks)
{
    make([](FakeDriveSystem& fs) {
        fs.addDrive('C', DriveSystem::Fixed, "SYSTEM");
        fs.addFolder("C:\\new\nfolder");
        fs.addFolder("C:\\old\r\nfiles");
    });
    tree->GoList();
    tree->show();
    tree->node(1)->setExpanded(true);
    QTreeWidget* view = tree->tree();
    const auto shown = [view](int index) {
        return static_cast<QStyledItemDelegate*>(view->itemDelegate())
            ->displayText(view->topLevelItem(0)->child(index)->text(0), QLocale());
    };
    EXPECT_EQ(view->topLevelItem(0)->child(0)->text(0), u"New\nFolder"_s);
    EXPECT_EQ(shown(0), u"New\u21B5Folder"_s);
    EXPECT_EQ(shown(1), u"Old\u21B5Files"_s);
    EXPECT_GE(
        view->columnWidth(0), 2 * view->indentation() + view->fontMetrics().horizontalAdvance(shown(0)));
}

// The rows are measured with the font they are drawn in, also when it changes after the
// tree was filled (a host's font, the style's on first showing).
TEST_F(DirTreeTest, ColumnFollowsTheFont)
{
    make(standardMachine);
    tree->GoList();
    QFont big = tree->font();
    big.setPointSize(big.pointSize() * 3);
    tree->setFont(big);
    tree->show();
    QTreeWidget* view = tree->tree();
    EXPECT_GE(
        view->columnWidth(0), view->indentation() + QFontMetrics(big).horizontalAdvance(u"System (C:)"_s));
}

TEST_F(DirTreeTest, ColonInsideALabelDoesNotMisleadThePath)
{
    make([](FakeDriveSystem& fs) {
        fs.addDrive('D', DriveSystem::Fixed, "backup: 2020");
        fs.addFolder("D:\\photos");
    });
    tree->GoList();
    click(find(u"Backup: 2020 (D:)\\Photos"_s));
    EXPECT_EQ(tree->path(), u"D:\\Photos\\"_s);
}

TEST_F(DirTreeTest, ExpansionClicksEachChildThenTheNode)
{
    make(standardMachine);
    tree->GoList();
    QTreeWidgetItem* drive = find(u"System (C:)"_s);
    drive->setExpanded(true);
    EXPECT_EQ(
        clicks, (QStringList {u"C:\\Program Files\\"_s, u"C:\\Users\\"_s, u"C:\\Windows\\"_s, u"C:\\"_s}));
    EXPECT_EQ(tree->tree()->currentItem(), drive);
    // One level of look-ahead: a child shows an expand mark exactly when it has subfolders.
    EXPECT_EQ(find(u"System (C:)\\Program Files"_s)->childCount(), 1);
    EXPECT_EQ(find(u"System (C:)\\Users"_s)->childCount(), 1);
    EXPECT_EQ(find(u"System (C:)\\Windows"_s)->childCount(), 0);
}

TEST_F(DirTreeTest, ExpansionByTheMouse)
{
    make(standardMachine);
    tree->GoList();
    tree->show();
    QTreeWidgetItem* drive = find(u"System (C:)"_s);
    const QRect rect = tree->tree()->visualItemRect(drive);
    // The expand mark lies in the indentation left of the node.
    QTest::mouseClick(tree->tree()->viewport(), Qt::LeftButton, {},
        QPoint(rect.left() - tree->tree()->indentation() / 2, rect.center().y()));
    ASSERT_TRUE(drive->isExpanded());
    EXPECT_EQ(clicks.size(), 4);
    EXPECT_EQ(tree->path(), u"C:\\"_s);
}

// A host whose Click handler refreshes the tree, on the n-th Click.
struct RefreshCase {
    const char* name;
    int refreshOnClick;
    bool byMouse;
};

class RefreshInsideClick : public DirTreeTest, public ::testing::WithParamInterface<RefreshCase>
{ };

TEST_P(RefreshInsideClick, EndsTheHandlingCleanly)
{
    make(standardMachine);
    tree->GoList();
    const std::string driveLevel = dump(*tree);
    QObject::connect(tree.get(), &DirTree::Click, tree.get(), [this] {
        if (clicks.size() == GetParam().refreshOnClick)
            tree->GoList();
    });
    QTreeWidgetItem* drive = find(u"System (C:)"_s);
    if (GetParam().byMouse) {
        tree->show();
        const QRect rect = tree->tree()->visualItemRect(drive);
        QTest::mouseClick(tree->tree()->viewport(), Qt::LeftButton, {},
            QPoint(rect.left() - tree->tree()->indentation() / 2, rect.center().y()));
    } else {
        drive->setExpanded(true);
    }
    EXPECT_EQ(clicks.size(), GetParam().refreshOnClick);
    EXPECT_EQ(dump(*tree), driveLevel);
    EXPECT_EQ(tree->tree()->currentItem(), nullptr);
    // The removed nodes are freed from the event loop.
    QCoreApplication::sendPostedEvents();
    QTest::qWait(1);
}

INSTANTIATE_TEST_SUITE_P(Hosts, RefreshInsideClick,
    ::testing::Values(RefreshCase {"OnFirstChild", 1, false}, RefreshCase {"OnLastChild", 3, false},
        RefreshCase {"OnTheExpandedNode", 4, false}, RefreshCase {"OnTheMousesExpansion", 2, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DirTreeTest, RefreshInsideAPlainMouseClick)
{
    make(standardMachine);
    tree->GoList();
    QObject::connect(tree.get(), &DirTree::Click, tree.get(), [this] { tree->GoList(); });
    mouseClick(find(u"System (C:)"_s));
    EXPECT_EQ(clicks, QStringList {u"C:\\"_s});
    EXPECT_EQ(tree->tree()->topLevelItemCount(), 2);
    QTest::qWait(1);
}

struct KeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool refreshes;
};

class KeyDown : public DirTreeTest, public ::testing::WithParamInterface<KeyCase>
{ };

TEST_P(KeyDown, OnlyF5Refreshes)
{
    make(standardMachine);
    tree->GoList();
    click(find(u"System (C:)\\Program Files"_s));
    fs->addFolder("C:\\New Folder");
    const std::string before = dump(*tree);

    tree->tree()->setFocus();
    QTest::keyClick(tree->tree(), GetParam().key, GetParam().modifiers);

    if (GetParam().refreshes) {
        EXPECT_EQ(dump(*tree),
            "1 root65 '(A:)' remove\n"
            "2 root67 'System (C:)' fixed\n"
            "  3 'New Folder' folder/open\n"
            "  4 'Program Files' folder/open\n"
            "  5 'Users' folder/open\n"
            "  6 'Windows' folder/open\n");
    } else {
        EXPECT_EQ(dump(*tree), before);
    }
    EXPECT_EQ(tree->path(), u"C:\\Program Files\\"_s);
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyDown,
    ::testing::Values(KeyCase {"F5", Qt::Key_F5, Qt::NoModifier, true},
        KeyCase {"ShiftF5", Qt::Key_F5, Qt::ShiftModifier, true},
        KeyCase {"CtrlF5", Qt::Key_F5, Qt::ControlModifier, true},
        KeyCase {"AltF5", Qt::Key_F5, Qt::AltModifier, true},
        KeyCase {"CtrlShiftF5", Qt::Key_F5, Qt::ControlModifier | Qt::ShiftModifier, true},
        KeyCase {"F4", Qt::Key_F4, Qt::NoModifier, false}, KeyCase {"F6", Qt::Key_F6, Qt::NoModifier, false},
        KeyCase {"LetterT", Qt::Key_T, Qt::NoModifier, false},
        KeyCase {"Escape", Qt::Key_Escape, Qt::NoModifier, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DirTreeTest, TreeFollowsTheControlsSize)
{
    make(standardMachine);
    tree->show();
    tree->resize(300, 200);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(tree->tree()->geometry(), QRect(0, 0, 300, 200));
    tree->resize(520, 610);
    EXPECT_EQ(tree->tree()->geometry(), QRect(0, 0, 520, 610));
}

// The eight pictures in order, each also drawn at twice the size for dense screens.
TEST_F(DirTreeTest, EightPicturesInOrder)
{
    make(standardMachine);
    const ImageList& img = DirTreePrivate::of(*tree)->img;
    ASSERT_EQ(img.count(), 8);
    const QStringList keys {
        u"unknown"_s, u"fixed"_s, u"ram"_s, u"remove"_s, u"cd"_s, u"folder"_s, u"open"_s, u"remote"_s};
    for (int i = 1; i <= 8; ++i) {
        EXPECT_EQ(img.key(i), keys[i - 1]);
        EXPECT_EQ(img.indexOf(keys[i - 1]), i);
        EXPECT_EQ(img.picture(keys[i - 1]).size(), QSize(16, 16)) << keys[i - 1].toStdString();
        EXPECT_EQ(img.icon(keys[i - 1], u"open"_s).pixmap(QSize(16, 16), 2.0).size(), QSize(32, 32))
            << keys[i - 1].toStdString();
        EXPECT_EQ(img.icon(keys[i - 1], u"open"_s).pixmap(QSize(16, 16), 2.0, QIcon::Selected).size(),
            QSize(32, 32))
            << keys[i - 1].toStdString();
    }
}

// Assistive tools read the focusable tree: the name and description the host gives the
// control are its.
TEST_F(DirTreeTest, AccessibleTextOfTheControlIsTheTreesText)
{
    make(standardMachine);
    tree->setAccessibleName(u"Folders"_s);
    tree->setAccessibleDescription(u"The folder to add files from"_s);
    tree->GoList();
    tree->show();
    QAccessibleInterface* view = QAccessible::queryAccessibleInterface(tree->tree());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->text(QAccessible::Name), u"Folders"_s);
    EXPECT_EQ(view->text(QAccessible::Description), u"The folder to add files from"_s);
}

} // namespace
