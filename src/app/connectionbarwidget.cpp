#include "app/connectionbarwidget.h"

#include "core/textcatalogue.h"
#include "widgets/fulltoolbar.h"
#include "widgets/toolbaricons.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QStyle>
#include <QToolBar>

#include <algorithm>

namespace {

const QColor focusColour(255, 255, 192);
const QColor normalColour(255, 255, 255);

// Where a recent server's parts sit in the address field's list; the address is what completes.
enum RecentRole { AddressRole = Qt::UserRole, PortRole, UserRole };

void setBackground(QLineEdit *field, const QColor &colour)
{
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, colour);
    field->setPalette(palette);
}

} // namespace

ConnectionBarWidget::ConnectionBarWidget(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("picTop"));

    m_frame = new QGroupBox(text("MY_CONNECTION"), this);
    m_frame->setObjectName(QStringLiteral("fraTop"));

    m_fieldPanel = new QWidget(m_frame);
    auto *fieldLayout = new QHBoxLayout(m_fieldPanel);
    fieldLayout->setContentsMargins(0, 0, 0, 0);
    // Field widths close to the classic layout (twips); labels take what their language needs.
    m_address = addField(m_fieldPanel, "lblAdresse", text("LABEL_ADRESS"), "txtAddress", 1500);
    m_user = addField(m_fieldPanel, "lblBenutzer", text("LABEL_USER"), "txtUserID", 1500);
    m_password = addField(m_fieldPanel, "lblPasswort", text("LABEL_PASSWORD"), "txtPassword", 1425);
    m_password->setEchoMode(QLineEdit::Password);
    m_rememberPassword = new QCheckBox(text("REMEMBER_PASSWORD"), m_fieldPanel);
    m_rememberPassword->setObjectName(QStringLiteral("chkRememberPassword"));
    // Off until the secret service has answered.
    m_rememberPassword->setEnabled(false);
    m_fieldPanel->layout()->addWidget(m_rememberPassword);
    m_port = addField(m_fieldPanel, "lblPort", text("LABEL_PORT"), "txtPort", 600);
    m_port->setText(QStringLiteral("21"));
    setTabOrder(m_address, m_user);
    setTabOrder(m_user, m_password);
    setTabOrder(m_password, m_rememberPassword);
    setTabOrder(m_rememberPassword, m_port);
    connect(m_password, &QLineEdit::returnPressed, this, &ConnectionBarWidget::passwordEntered);

    m_recentModel = new QStandardItemModel(this);
    m_completer = new QCompleter(m_recentModel, this);
    m_completer->setCompletionRole(AddressRole);
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_completer->setFilterMode(Qt::MatchContains);
    m_address->setCompleter(m_completer);
    connect(m_completer, qOverload<const QModelIndex &>(&QCompleter::activated), this,
        &ConnectionBarWidget::recentServerActivated);
    m_showRecent = m_address->addAction(style()->standardIcon(QStyle::SP_ArrowDown), QLineEdit::TrailingPosition);
    m_showRecent->setObjectName(QStringLiteral("showRecentServers"));
    m_showRecent->setToolTip(text("RECENT_SHOW"));
    m_showRecent->setVisible(false);
    connect(m_showRecent, &QAction::triggered, this, &ConnectionBarWidget::showRecentServers);

    m_toolBar = new QToolBar(m_frame);
    m_toolBar->setObjectName(QStringLiteral("tlbConnect"));
    m_toolBar->setIconSize(QSize(20, 20));
    // Each button's description is its tool tip.
    m_connect = m_toolBar->addAction(toolBarIcon(ToolBarIcon::Connect), text("BUILD_CONNECTION"));
    m_connect->setObjectName(QStringLiteral("connect"));
    m_asciiList = m_toolBar->addAction(toolBarIcon(ToolBarIcon::AsciiList), text("ASCII_LIST_SHOW"));
    m_asciiList->setObjectName(QStringLiteral("ascii"));
    m_stop = m_toolBar->addAction(toolBarIcon(ToolBarIcon::Stop), text("MDIMAIN_STOP"));
    m_stop->setObjectName(QStringLiteral("stop"));
    // Escape stops a run from anywhere in the window; while nothing runs the action is off and
    // Escape keeps its usual meaning.
    m_stop->setShortcut(Qt::Key_Escape);
    m_stop->setShortcutContext(Qt::WindowShortcut);
    m_stop->setEnabled(false);
    for (QAction *action : m_toolBar->actions())
        action->setStatusTip(action->toolTip());
    keepEveryButtonShown(m_toolBar);

    m_optionPanel = new QWidget(m_frame);
    auto *optionLayout = new QHBoxLayout(m_optionPanel);
    optionLayout->setContentsMargins(0, 0, 0, 0);
    m_passive = new QCheckBox(text("CHK_PASSIVE"), m_optionPanel);
    m_passive->setObjectName(QStringLiteral("chkPassiveTransfer"));
    connect(m_passive, &QCheckBox::clicked, this, &ConnectionBarWidget::passiveClicked);
    optionLayout->addWidget(m_passive);
    auto *modeLabel = new QLabel(text("LABEL_MODUS"), m_optionPanel);
    modeLabel->setObjectName(QStringLiteral("lblModus"));
    optionLayout->addSpacing(8);
    optionLayout->addWidget(modeLabel);
    m_transferMode = new QComboBox(m_optionPanel);
    m_transferMode->setObjectName(QStringLiteral("cboTransferMode"));
    m_transferMode->setMinimumWidth(960 / 15);
    modeLabel->setBuddy(m_transferMode);
    optionLayout->addWidget(m_transferMode);

    m_padlock = new QLabel(m_frame);
    m_padlock->setObjectName(QStringLiteral("imgEncrypted"));
    m_padlock->setPixmap(padlockIcon().pixmap(QSize(16, 16), devicePixelRatio()));
    m_padlock->setToolTip(text("CONNECTION_ENCRYPTED"));
    // The padlock keeps its place while hidden, so nothing on the bar moves when it comes and goes.
    QSizePolicy padlockPolicy = m_padlock->sizePolicy();
    padlockPolicy.setRetainSizeWhenHidden(true);
    m_padlock->setSizePolicy(padlockPolicy);
    m_padlock->hide();

    auto *frameLayout = new QHBoxLayout(m_frame);
    frameLayout->setContentsMargins(6, 2, 6, 4);
    frameLayout->addWidget(m_fieldPanel);
    frameLayout->addWidget(m_toolBar);
    frameLayout->addWidget(m_optionPanel);
    frameLayout->addStretch();
    frameLayout->addWidget(m_padlock);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(3, 1, 3, 1);
    layout->addWidget(m_frame);
}

QLineEdit *ConnectionBarWidget::addField(
    QWidget *panel, const char *labelName, const QString &caption, const char *fieldName, int widthTwips)
{
    auto *label = new QLabel(caption, panel);
    label->setObjectName(QString::fromLatin1(labelName));
    auto *edit = new QLineEdit(panel);
    edit->setObjectName(QString::fromLatin1(fieldName));
    // The classic width, or more where a larger font needs it to show a whole port number.
    const int textRoom = edit->fontMetrics().horizontalAdvance(QStringLiteral("65535"))
        + 2 * edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 8;
    edit->setFixedWidth(std::max(widthTwips / 15, textRoom));
    label->setBuddy(edit);
    setBackground(edit, normalColour);
    edit->installEventFilter(this);
    panel->layout()->addWidget(label);
    panel->layout()->addWidget(edit);
    return edit;
}

bool ConnectionBarWidget::eventFilter(QObject *watched, QEvent *event)
{
    auto *edit = qobject_cast<QLineEdit *>(watched);
    if (edit && event->type() == QEvent::FocusIn) {
        setBackground(edit, focusColour);
        edit->selectAll();
        // A mouse click places the caret after the focus arrived; select once it has.
        QMetaObject::invokeMethod(edit, &QLineEdit::selectAll, Qt::QueuedConnection);
    } else if (edit && event->type() == QEvent::FocusOut) {
        setBackground(edit, normalColour);
    } else if (edit == m_address && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Down && !m_completer->popup()->isVisible()) {
        // Down opens the whole list, as in a combo box, whatever the field holds.
        showRecentServers();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

QString ConnectionBarWidget::address() const
{
    return m_address->text();
}

QString ConnectionBarWidget::port() const
{
    return m_port->text();
}

QString ConnectionBarWidget::user() const
{
    return m_user->text();
}

QString ConnectionBarWidget::password() const
{
    return m_password->text();
}

bool ConnectionBarWidget::isPassiveChecked() const
{
    return m_passive->isChecked();
}

bool ConnectionBarWidget::isPasswordRemembered() const
{
    return m_rememberPassword->isChecked();
}

void ConnectionBarWidget::setRecentServers(const QList<RecentServer> &servers)
{
    m_recentModel->clear();
    for (const RecentServer &server : servers) {
        auto *item = new QStandardItem(server.user.isEmpty()
                ? text("RECENT_ENTRY_NOUSER").arg(server.address, server.port)
                : text("RECENT_ENTRY").arg(server.address, server.user, server.port));
        item->setData(server.address, AddressRole);
        item->setData(server.port, PortRole);
        item->setData(server.user, UserRole);
        item->setEditable(false);
        m_recentModel->appendRow(item);
    }
    m_showRecent->setVisible(!servers.isEmpty());
}

void ConnectionBarWidget::showRecentServers()
{
    if (m_recentModel->rowCount() == 0 || !m_address->isEnabled())
        return;
    m_completer->setCompletionPrefix(QString());
    m_completer->complete();
}

void ConnectionBarWidget::recentServerActivated(const QModelIndex &index)
{
    chooseRecentServer(
        { index.data(AddressRole).toString(), index.data(PortRole).toString(), index.data(UserRole).toString() });
}

void ConnectionBarWidget::chooseRecentServer(const RecentServer &server)
{
    m_address->setText(server.address);
    m_port->setText(server.port);
    m_user->setText(server.user);
    // Another server's password must not go to this one; the stored one follows, if there is one.
    m_password->clear();
    m_rememberPassword->setChecked(false);
    emit recentServerChosen(server);
}

void ConnectionBarWidget::offerPassword(const RecentServer &server, const QString &password)
{
    // The answer may come after the user moved on to another server.
    if (server != RecentServer { m_address->text(), m_port->text(), m_user->text() })
        return;
    m_password->setText(password);
    m_rememberPassword->setChecked(true);
}

void ConnectionBarWidget::setPasswordStoreAvailable(bool available, const QString &reason)
{
    m_rememberPassword->setEnabled(available);
    if (!available)
        m_rememberPassword->setChecked(false);
    QString why;
    if (!available)
        why = reason.isEmpty() ? text("KEYRING_UNAVAILABLE") : text("KEYRING_UNAVAILABLE") + u'\n' + reason;
    m_rememberPassword->setToolTip(why);
}

QLineEdit *ConnectionBarWidget::field(Field which) const
{
    switch (which) {
    case Field::Address:
        return m_address;
    case Field::User:
        return m_user;
    case Field::Password:
        return m_password;
    case Field::Port:
        break;
    }
    return m_port;
}

void ConnectionBarWidget::setFieldText(Field which, const QString &text)
{
    field(which)->setText(text);
}

void ConnectionBarWidget::setFieldEnabled(Field which, bool enabled)
{
    field(which)->setEnabled(enabled);
}

void ConnectionBarWidget::focusField(Field which)
{
    field(which)->setFocus(Qt::OtherFocusReason);
}

void ConnectionBarWidget::setEncrypted(bool encrypted)
{
    m_padlock->setVisible(encrypted);
}

void ConnectionBarWidget::enableFields()
{
    for (QLineEdit *edit : { m_address, m_user, m_password, m_port })
        edit->setEnabled(true);
}

void ConnectionBarWidget::setBusy(bool busy)
{
    // The panels are locked as a whole, so the fields' own enabled state (which the connect
    // command sets) comes back unchanged when the run ends.
    m_fieldPanel->setEnabled(!busy);
    m_optionPanel->setEnabled(!busy);
    m_connect->setEnabled(!busy);
    m_stop->setEnabled(busy);
}
