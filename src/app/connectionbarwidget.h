#pragma once
// The connection bar picTop along the top of the main window: address, user, password, port,
// the connect toolbar, the passive check box, the transfer mode box and the padlock of an
// encrypted connection.

#include "connection/connectionbar.h"
#include "connection/recentservers.h"

#include <QWidget>

class QAction;
class QCheckBox;
class QComboBox;
class QCompleter;
class QGroupBox;
class QLabel;
class QLineEdit;
class QModelIndex;
class QStandardItemModel;
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
    bool isPasswordRemembered() const override;
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

    // What the address field offers, most recent first.
    void setRecentServers(const QList<RecentServer> &servers);
    // Shows the list of recent servers under the address field.
    void showRecentServers();
    // Fills the bar as the user chose server from the list.
    void chooseRecentServer(const RecentServer &server);
    // A stored password for server, filled in while the bar still shows that server.
    void offerPassword(const RecentServer &server, const QString &password);
    // Whether the secret service answered; reason says why not.
    void setPasswordStoreAvailable(bool available, const QString &reason);

signals:
    // Enter in the password field.
    void passwordEntered();
    // The passive check box was clicked by the user.
    void passiveClicked(bool checked);
    // The user chose a server from the recent list; the bar shows it.
    void recentServerChosen(const RecentServer &server);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *field(Field field) const;
    void recentServerActivated(const QModelIndex &index);
    QLineEdit *addField(
        QWidget *panel, const char *labelName, const QString &caption, const char *fieldName, int widthTwips);

    QGroupBox *m_frame = nullptr;
    QWidget *m_fieldPanel = nullptr;
    QWidget *m_optionPanel = nullptr;
    QLineEdit *m_address = nullptr;
    QLineEdit *m_user = nullptr;
    QLineEdit *m_password = nullptr;
    QLineEdit *m_port = nullptr;
    QCheckBox *m_rememberPassword = nullptr;
    QStandardItemModel *m_recentModel = nullptr;
    QCompleter *m_completer = nullptr;
    QAction *m_showRecent = nullptr;
    QToolBar *m_toolBar = nullptr;
    QAction *m_connect = nullptr;
    QAction *m_asciiList = nullptr;
    QAction *m_stop = nullptr;
    QCheckBox *m_passive = nullptr;
    QComboBox *m_transferMode = nullptr;
    QLabel *m_padlock = nullptr;
};
