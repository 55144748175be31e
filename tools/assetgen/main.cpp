// assetgen: draws every picture of the program and writes them into the folder named on
// the command line (the repository's assets/). Deterministic: the same build writes the
// same bytes on every run, so regenerated pictures show up in version control only when
// the drawing code changed.
#include "pictures.h"
#include "pixelart.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

bool writePng(const QImage& image, const QString& path)
{
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "assetgen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool writeFile(const QByteArray& bytes, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "assetgen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: assetgen ASSETS_FOLDER [TREE_PICTURES_FOLDER]\n"
                             "  the tree's node pictures go to ASSETS_FOLDER/tree unless a folder is named\n");
        return 2;
    }
    // The painter needs an application object; no window is ever shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString treeFolder = argc == 3 ? QString::fromLocal8Bit(argv[2]) : out.filePath(u"tree"_s);
    const QDir treeOut(treeFolder);
    if (!out.mkpath(u"."_s) || !treeOut.mkpath(u"."_s)) {
        std::fprintf(stderr, "assetgen: cannot create %s or %s\n", argv[1], qPrintable(treeFolder));
        return 1;
    }

    const std::vector<std::pair<QString, std::function<QImage()>>> nodes = {
        {u"unknown"_s, PixelArt::unknownDrive}, {u"fixed"_s, PixelArt::fixedDrive},
        {u"ram"_s, PixelArt::ramDrive},         {u"remove"_s, PixelArt::removableDrive},
        {u"cd"_s, PixelArt::cdDrive},           {u"folder"_s, PixelArt::closedFolder},
        {u"open"_s, PixelArt::openFolder},      {u"remote"_s, PixelArt::remoteDrive},
    };
    bool ok = true;
    for (const auto& [name, draw] : nodes)
        ok = writePng(draw(), treeOut.filePath(name + u".png"_s)) && ok;
    ok = writePng(Pictures::mainBackground(), out.filePath(u"background.png"_s)) && ok;
    ok = writePng(Pictures::splash(), out.filePath(u"splash.png"_s)) && ok;
    const QImage icon = Pictures::icon();
    ok = writePng(icon, out.filePath(u"icon.png"_s)) && ok;
    ok = writeFile(Pictures::icoFile(icon), out.filePath(u"icon.ico"_s)) && ok;
    return ok ? 0 : 1;
}
