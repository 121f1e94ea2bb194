#pragma once

#include "engine/PgLogin.h"

#include <QCoreApplication>
#include <QString>
#include <functional>
#include <optional>

// Passwords a user typed for PostgreSQL logins, kept in memory for the run only (never written
// anywhere), and the prompt that asks for them. The engine knows no window: the application
// registers a prompt, typically one that shows a password box. Without a prompt, only ~/.pgpass
// and the service file can give passwords.
// Thread-safe: connections of workers ask too. The prompt runs on the connecting thread, one
// call at a time; a prompt that shows a window must hand the question to the GUI thread itself.
class PgPasswords
{
    Q_DECLARE_TR_FUNCTIONS(PgPasswords)

public:
    // Returns the password, or nothing when the user cancelled.
    using Prompt = std::function<std::optional<QString>(const PgLogin &login)>;

    // An empty function removes the prompt.
    static void setPrompt(Prompt prompt);
    static bool hasPrompt();

    // The password remembered for the login, if any.
    static std::optional<QString> remembered(const PgLogin &login);
    // A password for the login: one remembered in the meantime (another connection asked) unless
    // it is the refused one, else the prompt's answer. Nothing when there is no prompt or the
    // user cancelled.
    static std::optional<QString> ask(const PgLogin &login, const std::optional<QString> &refused);
    static void remember(const PgLogin &login, const QString &password);
    static void forget(const PgLogin &login);
    static void forgetAll();

    // "Password of user “…” for the database “…” of “…”:", for a prompt to show.
    static QString question(const PgLogin &login);
};
