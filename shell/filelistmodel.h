#pragma once

#include <QAbstractListModel>
#include <QString>
#include <QStringList>

// The media files of one folder, as the main window's file list shows them: read once,
// when the model is made, and never refreshed.
//
// Listed are the plain files (or links to plain files) whose names match one of the
// patterns, without regard to letter case. Hidden files, folders, devices, pipes, sockets
// and broken links are not. A name holding a line break is not listed either: it could not
// be one line of a playlist. The order is natural and case-insensitive ("Track 2" before
// "track 10").
class FileListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    FileListModel(const QString& folder, const QStringList& patterns, QObject* parent = nullptr);

    // The pattern list as the window gives it: "*.mp3;*.wav", separated by ';'.
    static QStringList splitPatterns(const QString& patternList);

    // The names (no folder) that the model lists for `folder`, in the model's order.
    static QStringList matchingFiles(const QString& folder, const QStringList& patterns);

    QString folder() const { return m_folder; }
    QString fileName(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    QString m_folder;
    QStringList m_names;
};
