// DirTree against real folders on disk, seen as drive C:.
#include "dirtree.h"
#include "rooteddrivesystem.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QStringList childTexts(const QTreeWidgetItem* node)
{
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

TEST(DirTreeOnDisk, ListsRealFoldersAndReachesThemByTheirNames)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    QDir dir(root.path());
    for (const QString& folder : {u"MUSIC/Rock"_s, u"music/Jazz"_s, u"with blank"_s, u".cache/x"_s,
                                  u"Ünïcode ørder/Ä"_s})
        ASSERT_TRUE(dir.mkpath(folder));
    QFile file(dir.filePath(u"notes.txt"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    DirTree tree(std::make_unique<RootedDriveSystem>(QFile::encodeName(root.path()).toStdString()));
    QStringList clicks;
    QObject::connect(&tree, &DirTree::Click, [&] { clicks << tree.path() + u'|' + tree.nativePath(); });
    tree.GoList();

    ASSERT_EQ(tree.tree()->topLevelItemCount(), 1);
    QTreeWidgetItem* drive = tree.tree()->topLevelItem(0);
    EXPECT_EQ(drive->text(0), u"Test (C:)"_s);
    QStringList texts = childTexts(drive);
    EXPECT_EQ(texts.mid(0, 2), (QStringList{u"Music"_s, u"Music"_s}));
    texts.sort();
    EXPECT_EQ(texts, (QStringList{u"Music"_s, u"Music"_s, u"With Blank"_s, u"Ünïcode Ørder"_s}));

    drive->setExpanded(true);
    const QString native = root.path() + u'/';
    ASSERT_EQ(clicks.size(), 5);
    // Equal texts keep the byte order of their names on disk: "MUSIC" before "music".
    EXPECT_EQ(clicks[0], u"C:\\Music\\|"_s + native + u"MUSIC/"_s);
    EXPECT_EQ(clicks[1], u"C:\\Music\\|"_s + native + u"music/"_s);
    EXPECT_EQ(clicks.last(), u"C:\\|"_s + native);
    EXPECT_EQ(childTexts(drive->child(0)), QStringList{u"Rock"_s});
    EXPECT_EQ(childTexts(drive->child(1)), QStringList{u"Jazz"_s});
    // Where the accented name sorts depends on the locale; its own listing does not.
    const int unicode = childTexts(drive).indexOf(u"Ünïcode Ørder"_s);
    ASSERT_GE(unicode, 2);
    EXPECT_EQ(childTexts(drive->child(unicode)), QStringList{u"Ä"_s});
}

} // namespace
