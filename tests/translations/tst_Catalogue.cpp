// The message catalogue: every text of the program's sources is in it with a finished Chinese
// translation, nothing in it is stale, and no text or translation shows a statement or a code.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

struct Message
{
    QString context;
    QString source;
    QStringList translations; // one, or one per plural form
    bool finished = false;
};

// Reads a Qt Linguist file; an unreadable file fails the calling test.
QList<Message> readCatalogue(const QString &path)
{
    QList<Message> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("cannot open %s", qPrintable(path));
        return messages;
    }
    QXmlStreamReader xml(&file);
    QString context;
    bool numerus = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"message") {
            numerus = xml.attributes().value(QLatin1String("numerus")) == u"yes";
            messages.append(Message {context, {}, {}, false});
        } else if (xml.name() == u"source" && !messages.isEmpty()) {
            messages.last().source = xml.readElementText();
        } else if (xml.name() == u"translation" && !messages.isEmpty()) {
            Message &m = messages.last();
            m.finished = xml.attributes().value(QLatin1String("type")).isEmpty();
            if (numerus) {
                while (xml.readNextStartElement())
                    m.translations << xml.readElementText();
            } else {
                m.translations << xml.readElementText();
            }
        }
    }
    if (xml.hasError())
        qWarning("%s: %s", qPrintable(path), qPrintable(xml.errorString()));
    return messages;
}

QString key(const Message &m)
{
    return m.context + QLatin1String(" | ") + m.source;
}

QStringList placeholders(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("%(\\d|n)"));
    QStringList found;
    for (auto it = pattern.globalMatch(text); it.hasNext();)
        found << it.next().captured();
    found.sort();
    found.removeDuplicates();
    return found;
}

} // namespace

class CatalogueTest : public QObject
{
    Q_OBJECT

private:
    QList<Message> m_committed;
    QList<Message> m_fresh; // the committed catalogue updated from the sources as they are

private slots:
    void initTestCase()
    {
        m_committed = readCatalogue(QStringLiteral(TABVALE_TS_FILE));
        QVERIFY(m_committed.size() > 300);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString fresh = dir.filePath(QStringLiteral("fresh.ts"));
        QVERIFY(QFile::copy(QStringLiteral(TABVALE_TS_FILE), fresh));
        QFile::setPermissions(fresh, QFile::ReadOwner | QFile::WriteOwner);
        QProcess lupdate;
        lupdate.setProcessChannelMode(QProcess::MergedChannels);
        lupdate.start(QStringLiteral(TABVALE_LUPDATE),
            {QStringLiteral("-no-obsolete"), QStringLiteral("-locations"), QStringLiteral("none"),
                QStringLiteral("@" TABVALE_SOURCE_LIST), QStringLiteral("-ts"), fresh});
        QVERIFY(lupdate.waitForFinished(120000));
        QVERIFY2(lupdate.exitCode() == 0, lupdate.readAll().constData());
        m_fresh = readCatalogue(fresh);
        QVERIFY(!m_fresh.isEmpty());
    }

    void theCatalogueHoldsEveryTextOfTheSourcesAndNoOther()
    {
        QStringList committed, fresh;
        for (const Message &m : std::as_const(m_committed))
            committed << key(m);
        for (const Message &m : std::as_const(m_fresh))
            fresh << key(m);
        committed.sort();
        fresh.sort();
        QStringList missing, stale;
        for (const QString &k : std::as_const(fresh))
            if (!committed.contains(k))
                missing << k;
        for (const QString &k : std::as_const(committed))
            if (!fresh.contains(k))
                stale << k;
        QVERIFY2(missing.isEmpty(),
            qPrintable(QStringLiteral("not in the catalogue (run the update_translations "
                                      "target and translate):\n")
                + missing.join(u'\n')));
        QVERIFY2(stale.isEmpty(),
            qPrintable(QStringLiteral("no longer in the sources:\n") + stale.join(u'\n')));
    }

    void everyTextHasAFinishedChineseTranslation()
    {
        QStringList untranslated;
        static const QRegularExpression han(QStringLiteral("\\p{Han}"));
        for (const Message &m : std::as_const(m_fresh)) {
            bool ok = m.finished && !m.translations.isEmpty();
            for (const QString &t : m.translations)
                ok = ok && !t.trimmed().isEmpty();
            // Every text speaks words, and in Chinese some are always Chinese characters, but
            // for a text that is only placeholders and signs ("%1: %2").
            const bool wordsInSource
                = m.source.contains(QRegularExpression(QStringLiteral("[A-Za-z]{2}")));
            if (ok && wordsInSource)
                for (const QString &t : m.translations)
                    ok = ok && t.contains(han);
            if (!ok)
                untranslated << key(m);
        }
        QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(u'\n')));
    }

    void everyTranslationKeepsThePlaceholdersOfItsText()
    {
        for (const Message &m : std::as_const(m_committed))
            for (const QString &t : m.translations)
                QVERIFY2(placeholders(t) == placeholders(m.source),
                    qPrintable(key(m) + QStringLiteral(" → ") + t));
    }

    void noTextShowsAStatementOrACode_data()
    {
        QTest::addColumn<QString>("word");
        // Case matters: "SQLite" is the name of a file's kind the user may see; "sqlite" begins
        // the library's own names (sqlite_master, sqlite3_...).
        for (const char *word :
            {"INSERT", "SELECT", "VACUUM", "UPDATE", "DELETE FROM", "0x", "sqlite"})
            QTest::newRow(word) << QString::fromLatin1(word);
    }

    void noTextShowsAStatementOrACode()
    {
        QFETCH(QString, word);
        for (const Message &m : std::as_const(m_committed)) {
            QVERIFY2(!m.source.contains(word), qPrintable(key(m)));
            for (const QString &t : m.translations)
                QVERIFY2(!t.contains(word), qPrintable(key(m) + QStringLiteral(" → ") + t));
        }
    }

    void noErrorIsThrownWithAnUntranslatedText()
    {
        QFile list(QStringLiteral(TABVALE_SOURCE_LIST));
        QVERIFY(list.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList sources
            = QString::fromUtf8(list.readAll()).split(u'\n', Qt::SkipEmptyParts);
        QVERIFY(sources.size() > 100);
        static const QRegularExpression untranslated(
            QStringLiteral("Error\\(QStringLiteral\\(\"[A-Za-z]"));
        QStringList found;
        for (const QString &path : sources) {
            QFile file(path);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
            const QString text = QString::fromUtf8(file.readAll());
            for (auto it = untranslated.globalMatch(text); it.hasNext();) {
                const auto match = it.next();
                found << QStringLiteral("%1:%2").arg(path).arg(
                    text.left(match.capturedStart()).count(u'\n') + 1);
            }
        }
        QVERIFY2(found.isEmpty(), qPrintable(found.join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(CatalogueTest)
#include "tst_Catalogue.moc"
