#pragma once

#include <QColor>
#include <QImage>

// The eight 16 x 16 node pictures of the folder tree, drawn pixel by pixel so that they
// stay crisp at their one size. Each returns a transparent ARGB image.
namespace PixelArt {

QImage unknownDrive();
QImage fixedDrive();
QImage ramDrive();
QImage removableDrive();
QImage cdDrive();
QImage closedFolder();
QImage openFolder();
QImage remoteDrive();

} // namespace PixelArt
