#pragma once
// The connection bar picTop along the top of the main window: address, user, password, port,
// the connect toolbar, the passive check box, the transfer mode box and the padlock of an
// encrypted connection.

#include "connection/connectionbar.h"

#include <QWidget>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QToolBar;

class ConnectionBarWidget : public QWidget, public ConnectionBar {
    Q_OBJECT
public:
    explicit ConnectionBarWidget(QWidget *parent = nullptr);

    QString address() const override;
    QString port() const override;
    QString user() const override;
    QString password() const override;
    bool isPassiveChecked() const override;
    void setFieldText(Field field, const QString &text) override;
    void setFieldEnabled(Field field, bool enabled) override;
    void focusField(Field field) override;
    void setEncrypted(bool encrypted) override;

    // Enables the four fields, as after every click on the toolbar.
    void enableFields();
    // While a command runs: fields, options and connect are locked and Stop is offered.
    void setBusy(bool busy);

    QAction *connectAction() const { return m_connect; }
    QAction *asciiListAction() const { return m_asciiList; }
    QAction *stopAction() const { return m_stop; }
    QComboBox *transferModeBox() const { return m_transferMode; }

signals:
    // Enter in the password field.
    void passwordEntered();
    // The passive check box was clicked by the user.
    void passiveClicked(bool checked);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *field(Field field) const;
    QLineEdit *addField(
        QWidget *panel, const char *labelName, const QString &caption, const char *fieldName, int widthTwips);

    QGroupBox *m_frame = nullptr;
    QWidget *m_fieldPanel = nullptr;
    QWidget *m_optionPanel = nullptr;
    QLineEdit *m_address = nullptr;
    QLineEdit *m_user = nullptr;
    QLineEdit *m_password = nullptr;
    QLineEdit *m_port = nullptr;
    QToolBar *m_toolBar = nullptr;
    QAction *m_connect = nullptr;
    QAction *m_asciiList = nullptr;
    QAction *m_stop = nullptr;
    QCheckBox *m_passive = nullptr;
    QComboBox *m_transferMode = nullptr;
    QLabel *m_padlock = nullptr;
};
