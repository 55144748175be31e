#include "imagelist.h"

void ImageList::add(const QString& key, const QPixmap& picture)
{
    m_images.push_back({key, picture});
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

QIcon ImageList::icon(const QString& key, const QString& selectedKey) const
{
    QIcon icon(picture(key));
    if (!selectedKey.isEmpty())
        icon.addPixmap(picture(selectedKey), QIcon::Selected);
    return icon;
}
