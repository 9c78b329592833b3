#pragma once
// The main window's connection bar as the connection logic sees it.

#include <QString>

class ConnectionBar
{
public:
    enum class Field { Address, User, Password, Port };

    virtual ~ConnectionBar() = default;

    // Field texts exactly as they stand.
    virtual QString address() const = 0;
    virtual QString port() const = 0;
    virtual QString user() const = 0;
    virtual QString password() const = 0;
    virtual bool isPassiveChecked() const = 0;
    // The user wants the password kept in the desktop's secret service.
    virtual bool isPasswordRemembered() const = 0;

    virtual void setFieldText(Field field, const QString &text) = 0;
    virtual void setFieldEnabled(Field field, bool enabled) = 0;
    virtual void focusField(Field field) = 0;
    // Shows whether the current connection is encrypted.
    virtual void setEncrypted(bool encrypted) = 0;
};
