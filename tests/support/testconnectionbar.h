#pragma once
// The connection bar as fields a test types into, with a record of what the controller did to it.

#include "connection/connectionbar.h"

#include <QList>
#include <QString>

#include <algorithm>
#include <utility>

class TestConnectionBar : public ConnectionBar {
public:
    QString addressText;
    QString portText = QStringLiteral("21");
    QString userText;
    QString passwordText;
    bool passive = false;
    bool rememberPassword = false;
    bool encrypted = false;
    QList<std::pair<Field, bool>> enableCalls;
    QList<Field> focused;

    QString address() const override { return addressText; }
    QString port() const override { return portText; }
    QString user() const override { return userText; }
    QString password() const override { return passwordText; }
    bool isPassiveChecked() const override { return passive; }
    bool isPasswordRemembered() const override { return rememberPassword; }
    void setFieldText(Field field, const QString &text) override
    {
        switch (field) {
        case Field::Address:
            addressText = text;
            break;
        case Field::User:
            userText = text;
            break;
        case Field::Password:
            passwordText = text;
            break;
        case Field::Port:
            portText = text;
            break;
        }
    }
    void setFieldEnabled(Field field, bool enabled) override { enableCalls.append({ field, enabled }); }
    void focusField(Field field) override { focused.append(field); }
    void setEncrypted(bool on) override { encrypted = on; }

    bool wasDisabled(Field field) const { return enableCalls.contains(std::pair { field, false }); }
    // Every field that was disabled was enabled again afterwards.
    bool allEnabledAgain() const
    {
        for (const Field field : { Field::Address, Field::User, Field::Password, Field::Port }) {
            const auto last = std::find_if(
                enableCalls.rbegin(), enableCalls.rend(), [field](const auto &call) { return call.first == field; });
            if (last != enableCalls.rend() && !last->second)
                return false;
        }
        return true;
    }
};
