#include "engine/SchemaText.h"

#include <QCoreApplication>

#include "engine/Database.h"
#include "engine/EngineError.h"

#include <optional>

namespace {

struct Token
{
    qsizetype start = 0;
    qsizetype end = 0; // one past the last character
    bool word = false; // a keyword or an identifier (quoted or bare)
    QString upper; // a bare word in capitals, for keyword tests
};

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$' || c.unicode() >= 0x80;
}

qsizetype skipSpaceAndComments(const QString &sql, qsizetype pos)
{
    while (pos < sql.size()) {
        if (sql[pos].isSpace()) {
            ++pos;
        } else if (sql.mid(pos, 2) == u"--") {
            const qsizetype eol = sql.indexOf(u'\n', pos);
            pos = eol < 0 ? sql.size() : eol + 1;
        } else if (sql.mid(pos, 2) == u"/*") {
            const qsizetype close = sql.indexOf(QStringLiteral("*/"), pos + 2);
            pos = close < 0 ? sql.size() : close + 2;
        } else {
            break;
        }
    }
    return pos;
}

// The end of a quoted identifier or string starting at pos; a doubled closing quote is part of it.
qsizetype quotedEnd(const QString &sql, qsizetype pos, QChar close)
{
    qsizetype i = pos + 1;
    while (i < sql.size()) {
        if (sql[i] == close) {
            if (close != u']' && i + 1 < sql.size() && sql[i + 1] == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return sql.size();
}

std::optional<Token> tokenAt(const QString &sql, qsizetype pos)
{
    pos = skipSpaceAndComments(sql, pos);
    if (pos >= sql.size())
        return std::nullopt;
    Token t;
    t.start = pos;
    const QChar c = sql[pos];
    if (c == u'"' || c == u'`' || c == u'\'') {
        t.end = quotedEnd(sql, pos, c);
        t.word = true;
    } else if (c == u'[') {
        t.end = quotedEnd(sql, pos, u']');
        t.word = true;
    } else if (isWordCharacter(c)) {
        t.end = pos;
        while (t.end < sql.size() && isWordCharacter(sql[t.end]))
            ++t.end;
        t.word = true;
        t.upper = sql.mid(pos, t.end - pos).toUpper();
    } else {
        t.end = pos + 1;
    }
    return t;
}

class Reader
{
public:
    explicit Reader(const QString &sql) : m_sql(sql) { }

    std::optional<Token> peek() const { return tokenAt(m_sql, m_pos); }
    Token take()
    {
        const auto t = peek();
        if (!t)
            refuse();
        m_pos = t->end;
        return *t;
    }
    bool takeKeyword(const char *keyword)
    {
        const auto t = peek();
        if (!t || t->upper != QLatin1String(keyword))
            return false;
        m_pos = t->end;
        return true;
    }
    void expectKeyword(const char *keyword)
    {
        if (!takeKeyword(keyword))
            refuse();
    }
    // [schema .] name: returns where the whole of it lies.
    std::pair<qsizetype, qsizetype> takeName()
    {
        const Token first = take();
        if (!first.word)
            refuse();
        qsizetype end = first.end;
        const auto dot = peek();
        if (dot && !dot->word && m_sql[dot->start] == u'.') {
            m_pos = dot->end;
            const Token second = take();
            if (!second.word)
                refuse();
            end = second.end;
        }
        return {first.start, end};
    }
    void skipIfNotExists()
    {
        if (takeKeyword("IF")) {
            expectKeyword("NOT");
            expectKeyword("EXISTS");
        }
    }
    [[noreturn]] void refuse() const
    {
        throw EngineError(
            QCoreApplication::translate("SchemaText", "The database holds a definition Tabvale cannot read: “%1”.")
                .arg(m_sql));
    }

private:
    const QString &m_sql;
    qsizetype m_pos = 0;
};

// Where the table's name lies in "CREATE [TEMP] TABLE [IF NOT EXISTS] name ...".
std::pair<qsizetype, qsizetype> tableNameRange(const QString &createTable)
{
    Reader r(createTable);
    r.expectKeyword("CREATE");
    if (!r.takeKeyword("TEMP"))
        r.takeKeyword("TEMPORARY");
    r.expectKeyword("TABLE");
    r.skipIfNotExists();
    return r.takeName();
}

QString replaced(const QString &sql, std::pair<qsizetype, qsizetype> range, const QString &name)
{
    return sql.left(range.first) + Database::quote(name) + sql.mid(range.second);
}

} // namespace

namespace SchemaText {

QString renameTable(const QString &createTable, const QString &newName)
{
    return replaced(createTable, tableNameRange(createTable), newName);
}

QString renameIndex(const QString &createIndex, const QString &newIndex, const QString &newTable)
{
    Reader r(createIndex);
    r.expectKeyword("CREATE");
    r.takeKeyword("UNIQUE");
    r.expectKeyword("INDEX");
    r.skipIfNotExists();
    const auto index = r.takeName();
    r.expectKeyword("ON");
    const auto table = r.takeName();
    // The later name first, so the earlier range stays where it was.
    return replaced(replaced(createIndex, table, newTable), index, newIndex);
}

QString tableBody(const QString &createTable)
{
    return createTable.mid(tableNameRange(createTable).second).trimmed();
}

bool hasAutoincrement(const QString &createTable)
{
    for (auto t = tokenAt(createTable, tableNameRange(createTable).second); t;
         t = tokenAt(createTable, t->end)) {
        if (t->upper == u"AUTOINCREMENT")
            return true;
    }
    return false;
}

} // namespace SchemaText
