#pragma once

#include <QString>

class IniFile;

// The database the next start uses, as system.ini's section part1 keeps
// it: "a" the embedded file, "s" the server named by the connection text
// cs, with the server's four fields kept beside it for the settings window.
namespace DatabaseSettings {

struct Server
{
    QString server; // host, host:port or host,port
    QString database;
    QString user;
    QString password;
};

// The four fields as last saved ("0" where a key is missing).
Server stored(const IniFile &ini);

// The connection text start-up reads for the server.
QString connectionText(const Server &server);
// The same text with the password hidden, to show on screen.
QString shownText(const Server &server);

// Opens a connection of its own to the server (10 seconds at most) and
// closes it again; throws DbError with the reason when it cannot.
void test(const Server &server, const QString &programDir);

// Writes the choice and the four fields (trimmed). The connection text is
// written only when a test of these fields succeeded (`tested`), so saving
// the embedded choice never spoils a working server's text.
void save(IniFile &ini, bool embedded, const Server &server, bool tested);

} // namespace DatabaseSettings
