#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

#include <vector>

// The node pictures of the folder tree, in the order they were added and addressed by
// key. Indexes are 1-based, as the tree's own numbering is.
class ImageList
{
public:
    void add(const QString& key, const QPixmap& picture);

    int count() const { return static_cast<int>(m_images.size()); }
    QString key(int index) const;          // empty when out of range
    int indexOf(const QString& key) const; // 0 when absent
    QPixmap picture(const QString& key) const;

    // The icon of a node: `key`'s picture, and `selectedKey`'s picture while the node is
    // selected when one is named.
    QIcon icon(const QString& key, const QString& selectedKey = {}) const;

private:
    struct Image
    {
        QString key;
        QPixmap picture;
    };
    std::vector<Image> m_images;
};
