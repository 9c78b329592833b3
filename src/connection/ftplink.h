#pragma once
// An ftp://, ftpes:// or ftps:// link, as a browser or the command line hands it over, taken
// apart into what the connection bar's fields and the server pane need.

#include <QString>

#include <optional>

struct FtpLink {
    // Why a link cannot be opened.
    enum class Problem {
        Malformed, // not a URL at all, or one with a query or fragment
        UnknownScheme, // anything but ftp://, ftpes:// and ftps://
        NoHost, // ftp:///pub
        BadPort, // 0, above 65535 or no number
        ControlCharacter, // CR, LF or NUL in the user, password or path
    };

    QString address; // the address field's form: scheme and host, "ftpes://[::1]"
    QString port; // the port field: the link's, else the scheme's own
    QString user; // "anonymous" when the link names none
    std::optional<QString> password; // nullopt when a user was named without one
    QString path; // decoded server path, "/" when the link names none

    // nullopt, with the reason in problem when given, for anything that cannot be opened.
    static std::optional<FtpLink> parse(const QString &text, Problem *problem = nullptr);
    // The user's words for a problem, from the catalogue.
    static QString describe(Problem problem);
};
