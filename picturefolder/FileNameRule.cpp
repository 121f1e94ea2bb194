#include "picturefolder/FileNameRule.h"

#include <QTextBoundaryFinder>

namespace FileNameRule {

namespace {

bool isUnsafe(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x20 || (u >= 0x7f && u <= 0x9f))
        return true;
    return QStringView(u"/\\:*?\"<>|").contains(c);
}

bool isReservedDevice(const QString &part)
{
    const QString upper = part.toUpper();
    if (upper == u"CON" || upper == u"PRN" || upper == u"AUX" || upper == u"NUL")
        return true;
    return upper.size() == 4 && (upper.startsWith(u"COM") || upper.startsWith(u"LPT"))
        && upper.at(3) >= u'1' && upper.at(3) <= u'9';
}

QString trimmedEnds(QString name)
{
    name = name.trimmed();
    while (name.endsWith(u'.') || name.endsWith(u' '))
        name.chop(1);
    return name;
}

// The longest start of name, in whole characters, whose UTF-8 takes at most limit bytes.
QString cutToBytes(const QString &name, int limit)
{
    if (name.toUtf8().size() <= limit)
        return name;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, name);
    qsizetype fits = 0;
    for (qsizetype at = graphemes.toNextBoundary(); at > 0; at = graphemes.toNextBoundary()) {
        if (name.left(at).toUtf8().size() > limit)
            break;
        fits = at;
    }
    return name.left(fits);
}

} // namespace

QString fromBytes(const QByteArray &bytes)
{
    // Qt's decoder gives one replacement character for each byte it cannot take.
    QString text = QString::fromUtf8(bytes);
    text.replace(QChar::ReplacementCharacter, u'_');
    text.replace(QChar(u'\0'), u'_');
    return text;
}

QString safeBase(const QString &name)
{
    QString base = name.normalized(QString::NormalizationForm_C);
    for (QChar &c : base) {
        if (isUnsafe(c))
            c = u'_';
    }
    base = trimmedEnds(base);
    if (base.startsWith(u'.'))
        base[0] = u'_';
    const qsizetype dot = base.indexOf(u'.');
    if (isReservedDevice(dot < 0 ? base : base.left(dot)))
        base.insert(dot < 0 ? base.size() : dot, u'_');
    return trimmedEnds(cutToBytes(base, MaxBaseBytes));
}

QString emptyBase(qint64 rowid)
{
    return QStringLiteral("record-%1").arg(rowid);
}

QString numbered(const QString &base, int n)
{
    return QStringLiteral("%1 (%2)").arg(base).arg(n);
}

QString clashKey(const QString &base)
{
    return base.normalized(QString::NormalizationForm_C).toCaseFolded();
}

QString extensionFor(PictureFile::Format format)
{
    switch (format) {
    case PictureFile::Format::Jpeg:
        return QStringLiteral("jpg");
    case PictureFile::Format::Png:
        return QStringLiteral("png");
    case PictureFile::Format::Gif:
        return QStringLiteral("gif");
    case PictureFile::Format::Bitmap:
        return QStringLiteral("bmp");
    case PictureFile::Format::Unknown:
        break;
    }
    return {};
}

bool isPictureSuffix(const QString &suffix)
{
    static const QStringList suffixes = {QStringLiteral("jpg"), QStringLiteral("jpeg"),
        QStringLiteral("jpe"), QStringLiteral("png"), QStringLiteral("gif"),
        QStringLiteral("bmp")};
    return suffixes.contains(suffix, Qt::CaseInsensitive);
}

} // namespace FileNameRule
