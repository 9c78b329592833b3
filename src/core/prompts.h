#pragma once
// The questions and messages the program puts to the user. Widgets answer them with real
// dialogs; tests answer them from a script.

#include <QPoint>
#include <QString>

#include <optional>

class Prompts
{
public:
    // Icon codes of a message box; values as the program's message codes use them.
    enum class Icon { None = 0, Critical = 16, Exclamation = 48, Information = 64 };

    virtual ~Prompts() = default;

    // A message with one OK button. An empty title leaves the program's own.
    virtual void message(const QString &text, Icon icon, const QString &title = {}) = 0;
    // A question with Yes and No buttons and no icon (message code 4); true for Yes.
    virtual bool askYesNo(const QString &text) = 0;
    // An input box; nullopt when cancelled. position is in twips from the screen's top left.
    virtual std::optional<QString> input(const QString &prompt, const QString &defaultText = {},
                                         std::optional<QPoint> position = std::nullopt) = 0;
    // An input box whose text is not shown, for a password; nullopt when cancelled.
    virtual std::optional<QString> inputPassword(const QString &prompt) = 0;
    // A server's certificate the system does not trust; true when the user trusts it for this run.
    virtual bool askTrustCertificate(const QString &description) = 0;
};
