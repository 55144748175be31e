// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

#include <vector>

namespace Cantorel {

// The node pictures of the folder tree, in the order they were added and addressed by
// key. Indexes are 1-based, as the tree's own numbering is. Each picture is an icon that
// may hold a variant at twice the size for screens of twice the pixel density.
class ImageList
{
public:
    // `fileName` names the picture at its own size; a "name@2x.png" beside it is picked up.
    void add(const QString& key, const QString& fileName);

    int count() const { return static_cast<int>(m_images.size()); }
    QString key(int index) const;              // empty when out of range
    int indexOf(const QString& key) const;     // 0 when absent
    QPixmap picture(const QString& key) const; // at its own size

    // The icon of a node: `key`'s picture, and `selectedKey`'s picture while the node is
    // selected when one is named.
    QIcon icon(const QString& key, const QString& selectedKey = {}) const;

private:
    void addTo(QIcon& icon, int index, QIcon::Mode mode) const;

    struct Image {
        QString key;
        QPixmap picture;
        QPixmap doubled; // twice the size, device pixel ratio 2; null when there is none
    };
    std::vector<Image> m_images;
};

} // namespace Cantorel
