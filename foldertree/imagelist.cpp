// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "imagelist.h"

#include <QFile>

namespace Cantorel {

void ImageList::add(const QString& key, const QString& fileName)
{
    QString doubledName = fileName;
    const qsizetype dot = doubledName.lastIndexOf(u'.');
    doubledName.insert(dot < 0 ? doubledName.size() : dot, QStringLiteral("@2x"));
    QPixmap doubled;
    if (QFile::exists(doubledName) && doubled.load(doubledName))
        doubled.setDevicePixelRatio(2.0);
    m_images.push_back({key, QPixmap(fileName), doubled});
}

QString ImageList::key(int index) const
{
    if (index < 1 || index > count())
        return {};
    return m_images[static_cast<std::size_t>(index - 1)].key;
}

int ImageList::indexOf(const QString& key) const
{
    for (std::size_t i = 0; i < m_images.size(); ++i) {
        if (m_images[i].key == key)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

QPixmap ImageList::picture(const QString& key) const
{
    const int index = indexOf(key);
    return index ? m_images[static_cast<std::size_t>(index - 1)].picture : QPixmap();
}

void ImageList::addTo(QIcon& icon, int index, QIcon::Mode mode) const
{
    const Image& image = m_images[static_cast<std::size_t>(index - 1)];
    icon.addPixmap(image.picture, mode);
    if (!image.doubled.isNull())
        icon.addPixmap(image.doubled, mode);
}

QIcon ImageList::icon(const QString& key, const QString& selectedKey) const
{
    QIcon icon;
    if (const int index = indexOf(key))
        addTo(icon, index, QIcon::Normal);
    if (const int selected = selectedKey.isEmpty() ? 0 : indexOf(selectedKey))
        addTo(icon, selected, QIcon::Selected);
    return icon;
}

} // namespace Cantorel
