#pragma once

#include <QLocale>

class QCoreApplication;

// The language of the program's own messages. The windows speak Simplified Chinese whatever the
// desktop's language (their captions and Qt's standard buttons are Chinese), so their messages do
// too. The command-line tools have no captions: they speak Chinese for a Chinese locale and for a
// system that names no language (C/POSIX), and any other language gets the English texts as
// written in the code.
namespace MessageLanguage {

// True when a command-line tool run under `locale` (as Qt reads LC_ALL/LC_MESSAGES/LANG) prints
// Chinese.
bool speaksChinese(const QLocale &locale);

// Installs the program's Chinese catalogue into `app` (the translator is a child of `app`).
// Returns false when the catalogue cannot be loaded.
bool installChinese(QCoreApplication &app);

// For the command-line tools: installChinese() when the system's locale speaks Chinese.
void installForTool(QCoreApplication &app);

} // namespace MessageLanguage
