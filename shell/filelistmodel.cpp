#include "filelistmodel.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QDir>
#include <QDirIterator>

#include <algorithm>
#include <numeric>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Characters that end a line in a playlist or in the playlist box.
bool holdsLineBreak(const QString& name)
{
    for (QChar c : name) {
        if (c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return true;
    }
    return false;
}

void sortNaturally(QStringList& names)
{
    // The "C" locale collates byte by byte, numbers and case included; a program started
    // without a language setting still lists track 2 before track 10.
    const QLocale locale = QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale();
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    // One key per name, then one sort over the keys: far cheaper than collating each
    // comparison when a folder holds many thousands of files.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(names.size());
    for (const QString& name : std::as_const(names))
        keys.push_back(collator.sortKey(name));
    std::vector<qsizetype> order(names.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int byCollation = keys[a].compare(keys[b]);
        if (byCollation != 0)
            return byCollation < 0;
        return names.at(a) < names.at(b); // names the collation holds equal keep a fixed order
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (qsizetype i : order)
        sorted.push_back(names.at(i));
    names = std::move(sorted);
}

} // namespace

FileListModel::FileListModel(const QString& folder, const QStringList& patterns, QObject* parent)
    : QAbstractListModel(parent)
    , m_folder(folder)
    , m_names(matchingFiles(folder, patterns))
{
}

QStringList FileListModel::splitPatterns(const QString& patternList)
{
    return patternList.split(u';', Qt::SkipEmptyParts);
}

QStringList FileListModel::matchingFiles(const QString& folder, const QStringList& patterns)
{
    QStringList names;
    if (patterns.isEmpty())
        return names;
    // Without QDir::Hidden and QDir::System the iterator leaves out dot files, devices,
    // pipes, sockets and broken links; without QDir::CaseSensitive the patterns ignore case.
    QDirIterator it(folder, patterns, QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (!holdsLineBreak(name))
            names.push_back(name);
    }
    sortNaturally(names);
    return names;
}

QString FileListModel::fileName(int row) const
{
    return row >= 0 && row < m_names.size() ? m_names.at(row) : QString();
}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_names.size());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_names.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_names.at(index.row());
    return {};
}
