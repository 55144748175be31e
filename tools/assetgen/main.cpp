// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

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
        std::fprintf(stderr,
            "usage: assetgen ASSETS_FOLDER [TREE_PICTURES_FOLDER]\n"
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

    const std::vector<std::pair<QString, std::function<QImage(int)>>> nodes = {
        {u"unknown"_s, PixelArt::unknownDrive},
        {u"fixed"_s, PixelArt::fixedDrive},
        {u"ram"_s, PixelArt::ramDrive},
        {u"remove"_s, PixelArt::removableDrive},
        {u"cd"_s, PixelArt::cdDrive},
        {u"folder"_s, PixelArt::closedFolder},
        {u"open"_s, PixelArt::openFolder},
        {u"remote"_s, PixelArt::remoteDrive},
    };
    bool ok = true;
    // Every picture at its own size and, as name@2x.png, at twice the size for screens
    // with twice the pixel density (Qt's naming convention).
    for (const int scale : {1, 2}) {
        const QString suffix = scale == 1 ? u".png"_s : u"@2x.png"_s;
        for (const auto& [name, draw] : nodes)
            ok = writePng(draw(scale), treeOut.filePath(name + suffix)) && ok;
        ok = writePng(Pictures::mainBackground(scale), out.filePath(u"background"_s + suffix)) && ok;
        ok = writePng(Pictures::splash(scale), out.filePath(u"splash"_s + suffix)) && ok;
        const QImage icon = Pictures::icon(scale);
        ok = writePng(icon, out.filePath(u"icon"_s + suffix)) && ok;
        if (scale == 1)
            ok = writeFile(Pictures::icoFile(icon), out.filePath(u"icon.ico"_s)) && ok;
    }
    return ok ? 0 : 1;
}
