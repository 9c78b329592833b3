#include "scriptedprompts.h"

namespace {

// The next scripted answer, or fallback when the script has run out.
template <typename T> T nextAnswer(std::deque<T> &answers, T fallback)
{
    if (answers.empty())
        return fallback;
    T answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

} // namespace

void ScriptedPrompts::message(const QString &text, Icon icon, const QString &title)
{
    m_asked.append({Asked::Kind::Message, text, icon, title, {}, std::nullopt});
}

bool ScriptedPrompts::askYesNo(const QString &text)
{
    m_asked.append({Asked::Kind::YesNo, text, Icon::Information, {}, {}, std::nullopt});
    return nextAnswer(m_yesNo, false);
}

std::optional<QString> ScriptedPrompts::input(const QString &prompt, const QString &defaultText,
                                              std::optional<QPoint> position)
{
    m_asked.append({Asked::Kind::Input, prompt, Icon::Information, {}, defaultText, position});
    return nextAnswer(m_inputs, std::optional<QString>());
}

std::optional<QString> ScriptedPrompts::inputPassword(const QString &prompt)
{
    m_asked.append({Asked::Kind::Password, prompt, Icon::Information, {}, {}, std::nullopt});
    return nextAnswer(m_inputs, std::optional<QString>());
}

bool ScriptedPrompts::askTrustCertificate(const QString &description)
{
    m_asked.append({Asked::Kind::Certificate, description, Icon::Exclamation, {}, {}, std::nullopt});
    return nextAnswer(m_trust, false);
}
