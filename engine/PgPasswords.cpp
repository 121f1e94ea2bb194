#include "engine/PgPasswords.h"

#include <QList>
#include <QMutex>
#include <QPair>

namespace {

struct Store
{
    QMutex mutex;
    QMutex promptMutex; // one question at a time, held while the prompt runs
    PgPasswords::Prompt prompt;
    QList<QPair<PgLogin, QString>> passwords;
};

Store &store()
{
    static Store s;
    return s;
}

// Callers hold the store's mutex.
qsizetype indexOf(const Store &s, const PgLogin &login)
{
    for (qsizetype i = 0; i < s.passwords.size(); ++i) {
        if (s.passwords[i].first.sameAs(login))
            return i;
    }
    return -1;
}

} // namespace

void PgPasswords::setPrompt(Prompt prompt)
{
    QMutexLocker lock(&store().mutex);
    store().prompt = std::move(prompt);
}

bool PgPasswords::hasPrompt()
{
    QMutexLocker lock(&store().mutex);
    return bool(store().prompt);
}

std::optional<QString> PgPasswords::remembered(const PgLogin &login)
{
    Store &s = store();
    QMutexLocker lock(&s.mutex);
    const qsizetype i = indexOf(s, login);
    if (i < 0)
        return std::nullopt;
    return s.passwords[i].second;
}

std::optional<QString> PgPasswords::ask(const PgLogin &login, const std::optional<QString> &refused)
{
    Store &s = store();
    QMutexLocker question(&s.promptMutex);
    const std::optional<QString> known = remembered(login);
    if (known && known != refused)
        return known;
    Prompt prompt;
    {
        QMutexLocker lock(&s.mutex);
        prompt = s.prompt;
    }
    if (!prompt)
        return std::nullopt;
    PgLogin asked = login;
    asked.retry = asked.retry || refused.has_value();
    return prompt(asked);
}

void PgPasswords::remember(const PgLogin &login, const QString &password)
{
    Store &s = store();
    QMutexLocker lock(&s.mutex);
    const qsizetype i = indexOf(s, login);
    if (i < 0)
        s.passwords.append({login, password});
    else
        s.passwords[i].second = password;
}

void PgPasswords::forget(const PgLogin &login)
{
    Store &s = store();
    QMutexLocker lock(&s.mutex);
    const qsizetype i = indexOf(s, login);
    if (i >= 0)
        s.passwords.removeAt(i);
}

void PgPasswords::forgetAll()
{
    Store &s = store();
    QMutexLocker lock(&s.mutex);
    s.passwords.clear();
}

QString PgPasswords::question(const PgLogin &login)
{
    return tr("Password of user “%1” for the database “%2” of “%3”:")
        .arg(login.user, login.database, login.serverName);
}
