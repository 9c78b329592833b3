#include "scriptedprompts.h"

void ScriptedPrompts::message(const QString &text, Icon icon, const QString &title)
{
    m_asked.append({Asked::Kind::Message, text, icon, title, {}, std::nullopt});
}

bool ScriptedPrompts::askYesNo(const QString &text)
{
    m_asked.append({Asked::Kind::YesNo, text, Icon::Information, {}, {}, std::nullopt});
    if (m_yesNo.empty())
        return false;
    const bool answer = m_yesNo.front();
    m_yesNo.pop_front();
    return answer;
}

std::optional<QString> ScriptedPrompts::input(const QString &prompt, const QString &defaultText,
                                              std::optional<QPoint> position)
{
    m_asked.append({Asked::Kind::Input, prompt, Icon::Information, {}, defaultText, position});
    if (m_inputs.empty())
        return std::nullopt;
    auto answer = m_inputs.front();
    m_inputs.pop_front();
    return answer;
}
