// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "playlistbytesbuilder.h"

#include <algorithm>

PlaylistBytesBuilder::PlaylistBytesBuilder(qsizetype expectedChars)
    : m_encoder(QStringConverter::System)
{
    // Room for a playlist of plain ASCII names and CR LF breaks; more only when a run of
    // text needs it. Reserving the worst case (three bytes a character) up front would
    // take four times the memory the bytes need.
    m_bytes.resize(expectedChars + expectedChars / 16 + 64);
}

void PlaylistBytesBuilder::makeRoomFor(QStringView run)
{
    // The run's worst case, and its CR LF.
    const qsizetype need = m_used + m_encoder.requiredSpace(run.size()) + 2;
    if (need > m_bytes.size())
        m_bytes.resize(std::max(need, 2 * m_bytes.size()));
}

void PlaylistBytesBuilder::addLine(QStringView line)
{
    const QChar* data = line.data();
    const qsizetype size = line.size();
    qsizetype runStart = 0;
    const auto addRun = [&](qsizetype end) {
        const QStringView run = line.sliced(runStart, end - runStart);
        makeRoomFor(run);
        char* out = m_encoder.appendToBuffer(m_bytes.data() + m_used, run);
        *out++ = '\r';
        *out++ = '\n';
        m_used = out - m_bytes.constData();
    };
    // Runs between line breaks are encoded whole.
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = data[i].unicode();
        if ((c > u'\r' && c < QChar::LineSeparator) // nearly every character: one test
            || (c != u'\r' && c != u'\n' && c != QChar::LineSeparator
                && c != QChar::ParagraphSeparator))
            continue;
        addRun(i);
        if (c == u'\r' && i + 1 < size && data[i + 1] == u'\n')
            ++i;
        runStart = i + 1;
    }
    addRun(size);
}

QByteArray PlaylistBytesBuilder::finish(const QString& tail)
{
    if (!tail.isEmpty())
        addLine(tail);
    m_bytes.truncate(m_used);
    return std::move(m_bytes);
}
