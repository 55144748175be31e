// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "savepolicy.h"

#include "filenamepatterns.h"
#include "filenametext.h"
#include "mediacontent.h"

namespace {

bool isControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

} // namespace

SavePolicy::Result SavePolicy::refused(Reason reason, const QString& subject)
{
    Result result;
    result.reason = reason;
    result.subject = subject;
    return result;
}

SavePolicy::Result SavePolicy::failed(Reason step, int error)
{
    Result result;
    result.reason = step;
    result.error = error;
    return result;
}

SavePolicy::Result SavePolicy::nameRefusal(QStringView name, QStringView separators)
{
    if (name == u"." || name == u"..")
        return refused(Reason::NameIsFolder, name.toString());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (isControl(c.unicode()) || FileNameText::breaksLine(QStringView(&c, 1)))
            return refused(Reason::NameHasControl);
        if (separators.contains(c))
            return refused(Reason::NameHasSeparator, QString(c));
        if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate())
            return refused(Reason::NameUnstorable);
    }
    return {};
}

SavePolicy::Result SavePolicy::refusal(const QString& name, const Found& found)
{
    switch (found.type) {
    case Type::File: break;
    case Type::Folder: return refused(Reason::FolderInTheWay);
    case Type::Pipe:
    case Type::Socket:
    case Type::Device:
    case Type::Other: {
        Result result = refused(Reason::NotAFile);
        result.kind = found.type == Type::Pipe ? Kind::Pipe
            : found.type == Type::Socket       ? Kind::Socket
            : found.type == Type::Device       ? Kind::Device
                                               : Kind::Other;
        return result;
    }
    }
    // The file list shows a link under its own name, so either name marks a media file.
    if (found.viaLink && FileNamePatterns::media().matches(found.linkedName))
        return refused(Reason::LinkToMedia, found.linkedName);
    if (FileNamePatterns::media().matches(name))
        return refused(Reason::MediaName);
    // Root may write any file, and a rename would replace it anyway: the mode is what the
    // user set to say "do not change".
    if (!found.writable)
        return refused(Reason::ReadOnly);
    return {};
}

qsizetype SavePolicy::headSize() { return MediaContent::kHeadSize; }

SavePolicy::Result SavePolicy::contentRefusal(QByteArrayView head)
{
    const MediaContent::Verdict verdict = MediaContent::classify(head);
    switch (verdict.kind) {
    case MediaContent::Kind::Text: return {};
    case MediaContent::Kind::Media: {
        Result result = refused(Reason::MediaContent);
        result.mediaFormat = verdict.format;
        return result;
    }
    case MediaContent::Kind::Binary: break;
    }
    return refused(Reason::BinaryContent);
}
