// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <QStringView>

// Builds the bytes of a saved playlist from its text, fragment by fragment in order,
// straight into one buffer: typed text in the local 8-bit encoding, listed names that are
// not UTF-8 as the bytes they stand for (FileNameText::legacyBytes). A long playlist is thus
// copied once on its way to the disk instead of once per conversion step, which is most of
// what a large save costs.
// Printable ASCII, nearly all of a playlist, is copied without the encoder, and UTF-8 is
// written without it too; an unpaired surrogate becomes a replacement character where it
// stands.
//
// Every line ends in CR LF; a line break inside a fragment (PlaylistFormat::isLineBreak,
// CR LF as one) becomes CR LF as well.
class PlaylistBytesBuilder
{
public:
    // `expectedChars`: about how many characters will be added (a hint, not a limit).
    // `encoding`: the local 8-bit encoding unless another is given.
    explicit PlaylistBytesBuilder(
        qsizetype expectedChars = 0, QStringConverter::Encoding encoding = QStringConverter::System);

    // Text as typed, on the current line.
    void addText(QStringView text);
    // A listed name that is not UTF-8, as FileNameText::decode shows it, on the current line:
    // written as the bytes that name the file.
    void addListedName(QStringView name);
    // Ends the current line.
    void endLine();

    // The bytes: the last line ended, then `tail` and its CR LF when there is a tail. The
    // builder is spent.
    QByteArray finish(const QString& tail);

private:
    // Makes room for `bytes` more bytes; returns where they go.
    char* makeRoom(qsizetype bytes);

    QStringEncoder m_encoder;
    bool m_utf8 = false;
    QByteArray m_bytes;
    qsizetype m_used = 0;
};
