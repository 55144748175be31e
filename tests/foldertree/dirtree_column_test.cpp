// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// The column is as wide as the widest row as the view itself measures it
// (sizeHintForColumn): no name is cut, after a listing, F5 and a font change. CTest runs
// these rows again with QT_SCALE_FACTOR 1.5 and 2, where text widths are fractional.
#include "dirtreefixture.h"

#include <QApplication>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

enum class Step { Listing, F5, FontChange };

struct ColumnCase {
    const char* name;
    Step step;
};

class ColumnFits : public DirTreeTest, public ::testing::WithParamInterface<ColumnCase>
{ };

// Unhinted text at an odd size has fractional widths on any machine.
QFont unhintedFont()
{
    QFont font = QApplication::font();
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setPointSizeF(9.7);
    return font;
}

// A name wider than the others whose width in `font` lies a little above a whole pixel:
// rounded to the nearest pixel it would come out short.
std::string widestName(const QFont& font)
{
    const QFontMetricsF metrics(font);
    std::string name = "Lost+found of a wide folder ";
    for (int i = 0; i < 40; ++i, name += 'i') {
        const qreal width = metrics.horizontalAdvance(QString::fromStdString(name));
        const qreal fraction = width - std::floor(width);
        if (fraction > 0.05 && fraction < 0.45)
            break;
    }
    return name;
}

TEST_P(ColumnFits, TheWidestRowAsTheViewMeasuresIt)
{
    const std::string widest = widestName(unhintedFont());
    make([&widest](FakeDriveSystem& fs) {
        fs.addDrive('C', DriveSystem::Fixed, "SYSTEM");
        fs.addDrive('D', DriveSystem::Fixed, "");
        for (const std::string& name : {std::string("lost+found"), std::string("Program Files"), widest})
            fs.addFolder("C:\\" + name + "\\inner");
    });
    tree->setFont(unhintedFont());
    tree->GoList();
    tree->resize(400, 400);
    tree->show();
    find(u"System (C:)"_s)->setExpanded(true);
    switch (GetParam().step) {
    case Step::Listing: break;
    case Step::F5:
        QTest::keyClick(tree->tree(), Qt::Key_F5);
        find(u"System (C:)"_s)->setExpanded(true);
        break;
    case Step::FontChange: {
        QFont font = tree->font();
        font.setPointSizeF(font.pointSizeF() * 1.37);
        tree->setFont(font);
        break;
    }
    }
    QCoreApplication::processEvents();
    QTreeWidget* view = tree->tree();
    const int measured = static_cast<QAbstractItemView*>(view)->sizeHintForColumn(0); // public there
    EXPECT_GE(view->columnWidth(0), measured) << "scale " << tree->devicePixelRatioF();
    // Not wider than a pixel of rounding beyond it, either.
    EXPECT_LE(view->columnWidth(0), measured + 1);
}

INSTANTIATE_TEST_SUITE_P(Steps, ColumnFits,
    ::testing::Values(ColumnCase {"AfterListing", Step::Listing}, ColumnCase {"AfterF5", Step::F5},
        ColumnCase {"AfterFontChange", Step::FontChange}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
