#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// The mark an office application leaves beside a document it has open (".~lock.NAME#" in the
// document's folder): who opened it, on which machine, since when, and with which office profile.
// An office that ends without closing the document leaves the mark behind, and other offices then
// refuse to store the document. The mark holds no process number: whether its owner still runs
// is told by the office processes of this machine and their profiles.
class OfficeLockFile
{
public:
    static QString pathFor(const QString &documentPath);
    // The mark beside the document; none when there is none or it cannot be read.
    static std::optional<OfficeLockFile> read(const QString &documentPath);
    // The mark's text: comma-separated fields with backslash escapes, ending in ';'.
    static std::optional<OfficeLockFile> parse(const QByteArray &text);

    // The name the owner gave the office, else the owner's login name.
    QString owner() const { return m_author.isEmpty() ? m_login : m_author; }
    QString login() const { return m_login; }
    QString host() const { return m_host; }
    QString since() const { return m_since; } // as the office wrote it ("31.12.2024 18:05")
    QString profileUrl() const { return m_profileUrl; }

    // The profile an office of this user runs on when it is given none.
    static QString defaultProfile();

    // Whether the mark was made on this machine (host names compared without their domain).
    bool madeHere() const;
    // Whether it was made here by an office on this profile folder (a profile runs one office).
    bool madeWith(const QString &profileFolder) const;
    // Whether an office process of this machine may own the mark. A mark made elsewhere counts as
    // owned: nothing here can tell.
    bool ownerRunning() const;
    // Whether a process with this command line may be the mark's owner: an office on the mark's
    // profile, given on its command line or, when none is given, its user's default profile.
    bool mayBeOwnedBy(const QStringList &commandLine, const QString &processDefaultProfile) const;

private:
    QString m_author;
    QString m_login;
    QString m_host;
    QString m_since;
    QString m_profileUrl;
};
