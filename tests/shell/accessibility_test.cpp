#include "mainwindowfixture.h"

#include "clickarea.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>

using namespace Qt::StringLiterals;

namespace {

// The window's accessible child with this name, as a screen reader would find it.
QAccessibleInterface* childNamed(QWidget& window, const QString& name)
{
    QAccessibleInterface* top = QAccessible::queryAccessibleInterface(&window);
    if (!top)
        return nullptr;
    for (int i = 0; i < top->childCount(); ++i) {
        QAccessibleInterface* child = top->child(i);
        if (child && child->text(QAccessible::Name) == name)
            return child;
    }
    return nullptr;
}

void press(QWidget& window, const QString& name)
{
    QAccessibleInterface* area = childNamed(window, name);
    ASSERT_NE(area, nullptr) << name.toStdString();
    ASSERT_NE(area->actionInterface(), nullptr) << name.toStdString();
    area->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
}

struct Spoken {
    const char* control;
    const char* name;
    QAccessible::Role role;
};

} // namespace

class AccessibleNameTest : public MainWindowFixture, public ::testing::WithParamInterface<Spoken> {};

// Each control is found among the window's children by its name, with its role and a
// description; the painted words would otherwise be silent pixels.
TEST_P(AccessibleNameTest, NamesControl)
{
    const QString name = QString::fromUtf8(GetParam().name);
    QAccessibleInterface* found = childNamed(*window, name);
    ASSERT_NE(found, nullptr) << "no child named " << GetParam().name;
    EXPECT_EQ(found->object()->objectName(), QString::fromLatin1(GetParam().control));
    EXPECT_EQ(found->role(), GetParam().role);
    EXPECT_FALSE(found->text(QAccessible::Description).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Controls, AccessibleNameTest, ::testing::Values(
    Spoken{"cmdSave", "Save playlist", QAccessible::Button},
    Spoken{"cmdReset", "Reset playlist", QAccessible::Button},
    Spoken{"cmdExit", "Exit", QAccessible::Button},
    Spoken{"Text2", "Playlist file name", QAccessible::EditableText},
    Spoken{"Text1", "Playlist", QAccessible::EditableText},
    Spoken{"File1", "Media files", QAccessible::List},
    Spoken{"Check4", "M3U format", QAccessible::CheckBox}),
    [](const auto& info) { return std::string(info.param.control); });

using AccessibleActionTest = MainWindowFixture;

// The press action clicks an area as the mouse does; it offers no key, and the areas
// still never take the focus.
TEST_F(AccessibleActionTest, PressSavesAndResets)
{
    window->Text2()->setText(u"spoken.m3u"_s);
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, rowCentre(0));
    ASSERT_EQ(text1(), u"#EXTM3U\na.mp3"_s);

    press(*window, u"Save playlist"_s);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, u"Saved"_s);
    QFile saved(folder.filePath(u"spoken.m3u"_s));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), "#EXTM3U\r\na.mp3\r\n");

    press(*window, u"Reset playlist"_s);
    EXPECT_EQ(text1(), u"#EXTM3U"_s);

    for (const ClickArea* area : {window->cmdSave(), window->cmdReset(), window->cmdExit()}) {
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(const_cast<ClickArea*>(area));
        ASSERT_NE(spoken, nullptr);
        EXPECT_EQ(spoken->actionInterface()->actionNames(),
                  QStringList{QAccessibleActionInterface::pressAction()});
        EXPECT_TRUE(spoken->actionInterface()
                        ->keyBindingsForAction(QAccessibleActionInterface::pressAction())
                        .isEmpty());
        EXPECT_FALSE(spoken->state().focusable) << area->objectName().toStdString();
    }
    EXPECT_EQ(messages.size(), 1u);
}

// Pressing the cross through assistive technology ends the program at once, unsaved.
TEST_F(AccessibleActionTest, PressOnExitEnds)
{
    window->Text2()->setText(u"unsaved.m3u"_s);
    QTimer::singleShot(0, window.get(), [this] { press(*window, u"Exit"_s); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(99); }); // guard: the press did nothing
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(QFile::exists(folder.filePath(u"unsaved.m3u"_s)));
}
