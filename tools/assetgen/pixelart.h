// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QColor>
#include <QImage>

// The eight 16 x 16 node pictures of the folder tree, drawn pixel by pixel so that they
// stay crisp. Each returns a transparent ARGB image; `scale` 2 gives the same picture at
// 32 x 32, every design pixel a 2 x 2 block and the few round shapes drawn finer.
namespace PixelArt {

QImage unknownDrive(int scale = 1);
QImage fixedDrive(int scale = 1);
QImage ramDrive(int scale = 1);
QImage removableDrive(int scale = 1);
QImage cdDrive(int scale = 1);
QImage closedFolder(int scale = 1);
QImage openFolder(int scale = 1);
QImage remoteDrive(int scale = 1);

} // namespace PixelArt
