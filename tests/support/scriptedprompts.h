#pragma once
// Prompts answered from a script, recording every question asked.

#include "core/prompts.h"

#include <QList>
#include <QStringList>

#include <deque>

class ScriptedPrompts : public Prompts
{
public:
    struct Asked {
        enum class Kind { Message, YesNo, Input, Password, Certificate } kind;
        QString text;
        Icon icon = Icon::Information;
        QString title;
        QString defaultText;
        std::optional<QPoint> position;
    };

    // Answers are used in order; an unscripted question answers No / cancelled / not trusted.
    void answerYesNo(bool yes) { m_yesNo.push_back(yes); }
    void answerInput(std::optional<QString> answer) { m_inputs.push_back(std::move(answer)); }
    void answerTrustCertificate(bool trust) { m_trust.push_back(trust); }

    void message(const QString &text, Icon icon, const QString &title = {}) override;
    bool askYesNo(const QString &text) override;
    std::optional<QString> input(const QString &prompt, const QString &defaultText = {},
                                 std::optional<QPoint> position = std::nullopt) override;
    // Answered from the same script as input().
    std::optional<QString> inputPassword(const QString &prompt) override;
    bool askTrustCertificate(const QString &description) override;

    const QList<Asked> &asked() const { return m_asked; }
    void clearAsked() { m_asked.clear(); }

private:
    std::deque<bool> m_yesNo;
    std::deque<std::optional<QString>> m_inputs;
    std::deque<bool> m_trust;
    QList<Asked> m_asked;
};
