#include "playlistbytesbuilder.h"

#include <algorithm>

PlaylistBytesBuilder::PlaylistBytesBuilder(qsizetype expectedChars)
    : m_encoder(QStringConverter::System)
{
    makeRoomFor(expectedChars);
}

void PlaylistBytesBuilder::makeRoomFor(qsizetype chars)
{
    // Each line break may grow from one character to two bytes, whatever the encoding.
    const qsizetype need = m_used + m_encoder.requiredSpace(chars) + chars + 2;
    if (need > m_bytes.size())
        m_bytes.resize(std::max(need, 2 * m_bytes.size()));
}

void PlaylistBytesBuilder::addLine(QStringView line)
{
    makeRoomFor(line.size());
    char* out = m_bytes.data() + m_used;
    const QChar* data = line.data();
    const qsizetype size = line.size();
    qsizetype runStart = 0;
    // Runs between line breaks are encoded whole.
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = data[i].unicode();
        if ((c > u'\r' && c < QChar::LineSeparator) // nearly every character: one test
            || (c != u'\r' && c != u'\n' && c != QChar::LineSeparator
                && c != QChar::ParagraphSeparator))
            continue;
        out = m_encoder.appendToBuffer(out, line.sliced(runStart, i - runStart));
        *out++ = '\r';
        *out++ = '\n';
        if (c == u'\r' && i + 1 < size && data[i + 1] == u'\n')
            ++i;
        runStart = i + 1;
    }
    out = m_encoder.appendToBuffer(out, line.sliced(runStart));
    *out++ = '\r';
    *out++ = '\n';
    m_used = out - m_bytes.constData();
}

QByteArray PlaylistBytesBuilder::finish(const QString& tail)
{
    if (!tail.isEmpty())
        addLine(tail);
    m_bytes.truncate(m_used);
    return std::move(m_bytes);
}
