#include "filelistmodel.h"

#include "filenametext.h"
#include "folderfiles.h"
#include "folderhandle.h"
#include "naturalorder.h"

#include <QFont>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

using namespace Qt::StringLiterals;

namespace {

// The patterns, checked against a name as shown. The usual "*.ext" is a plain suffix test;
// anything else is a wildcard expression.
class PatternMatcher
{
public:
    explicit PatternMatcher(const QStringList& patterns)
    {
        for (const QString& pattern : patterns) {
            const QStringView rest = QStringView(pattern).sliced(pattern.startsWith(u'*') ? 1 : 0);
            if (pattern.startsWith(u'*') && !rest.contains(u'*') && !rest.contains(u'?')
                && !rest.contains(u'[')) {
                m_suffixes.push_back(rest.toString());
            } else {
                m_expressions.emplace_back(QRegularExpression::wildcardToRegularExpression(pattern),
                                           QRegularExpression::CaseInsensitiveOption);
            }
        }
    }

    bool matches(const QString& name) const
    {
        for (const QString& suffix : m_suffixes) {
            if (name.endsWith(suffix, Qt::CaseInsensitive))
                return true;
        }
        for (const QRegularExpression& expression : m_expressions) {
            if (expression.match(name).hasMatch())
                return true;
        }
        return false;
    }

private:
    QStringList m_suffixes;
    std::vector<QRegularExpression> m_expressions;
};

} // namespace

FileListModel::FileListModel(const FolderHandle& folder, const QStringList& patterns, QObject* parent)
    : QAbstractListModel(parent)
    , m_files(readFolder(folder, patterns))
{
}

QStringList FileListModel::splitPatterns(const QString& patternList)
{
    return patternList.split(u';', Qt::SkipEmptyParts);
}

QStringList FileListModel::matchingFiles(const QString& path, const QStringList& patterns)
{
    QStringList names;
    const std::vector<File> files = readFolder(FolderHandle::open(path), patterns);
    names.reserve(files.size());
    for (const File& file : files)
        names.push_back(file.name);
    return names;
}

std::vector<FileListModel::File> FileListModel::readFolder(const FolderHandle& folder,
                                                           const QStringList& patterns)
{
    std::vector<File> files;
    if (patterns.isEmpty())
        return files;
    const PatternMatcher matcher(patterns);
    std::vector<QByteArray> names = FolderFiles::names(folder);
    files.reserve(names.size());
    for (QByteArray& bytes : names) {
        FileNameText::Decoded name = FileNameText::decode(bytes);
        if (matcher.matches(name.text) && !FileNameText::breaksLine(name.text))
            files.push_back({std::move(name.text), std::move(bytes), name.legacy});
    }

    // One key per name, all in one buffer, then one sort. The first weights of each key sit
    // in the sort's own array, so most comparisons touch no other memory. Equal keys fall
    // back to the names as shown, then to their bytes, so the order never depends on the
    // order in which the folder yields its names.
    constexpr size_t kHeld = 12;
    struct Key {
        std::array<unsigned char, 2 * kHeld> head; // big-endian weights: memcmp orders them
        uint32_t offset;
        uint32_t length;
        uint32_t file;
    };
    std::u16string buffer;
    buffer.reserve(files.size() * 32);
    std::vector<Key> keys;
    keys.reserve(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        const size_t offset = buffer.size();
        NaturalOrder::appendKey(files[i].name, buffer);
        Key key{{}, uint32_t(offset), uint32_t(buffer.size() - offset), uint32_t(i)};
        for (size_t w = 0; w < std::min<size_t>(key.length, kHeld); ++w) {
            key.head[2 * w] = static_cast<unsigned char>(buffer[offset + w] >> 8);
            key.head[2 * w + 1] = static_cast<unsigned char>(buffer[offset + w] & 0xFF);
        }
        keys.push_back(key);
    }
    const std::u16string_view all(buffer);
    std::sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
        // No weight is zero, so a short key's zero padding orders it before longer ones.
        if (const int byHead = std::memcmp(a.head.data(), b.head.data(), a.head.size()))
            return byHead < 0;
        if (a.length > kHeld || b.length > kHeld) {
            if (const int byKey = all.substr(a.offset, a.length).compare(all.substr(b.offset, b.length)))
                return byKey < 0;
        }
        const File& fa = files[a.file];
        const File& fb = files[b.file];
        if (const int byName = fa.name.compare(fb.name))
            return byName < 0;
        return fa.bytes < fb.bytes;
    });

    std::vector<File> sorted;
    sorted.reserve(files.size());
    for (const Key& key : keys)
        sorted.push_back(std::move(files[key.file]));
    return sorted;
}

QString FileListModel::fileName(int row) const
{
    return row >= 0 && size_t(row) < m_files.size() ? m_files[row].name : QString();
}

QByteArray FileListModel::fileNameBytes(int row) const
{
    return row >= 0 && size_t(row) < m_files.size() ? m_files[row].bytes : QByteArray();
}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_files.size());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= m_files.size())
        return {};
    const File& file = m_files[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return file.name;
    case Qt::ToolTipRole:
        return file.legacy ? file.name + u"\n(name not in UTF-8: shown as Windows-1252, saved as its own bytes)"_s
                           : file.name;
    case Qt::FontRole:
        if (file.legacy) {
            QFont italic;
            italic.setItalic(true);
            return italic;
        }
        return {};
    default:
        return {};
    }
}
