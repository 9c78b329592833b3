#include "local/openwithdialog.h"

#include "core/textcatalogue.h"
#include "local/shelllauncher.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int IdRole = Qt::UserRole;

void addApplications(QTreeWidgetItem *group, const QList<ShellApplication> &apps)
{
    for (const ShellApplication &app : apps) {
        auto *item = new QTreeWidgetItem(group, { app.name });
        item->setData(0, IdRole, app.id);
        item->setToolTip(0, app.executable);
        item->setIcon(0, QIcon::fromTheme(app.iconName));
    }
}

} // namespace

OpenWithDialog::OpenWithDialog(const QString &path, QWidget *parent)
    : QDialog(parent)
    , m_path(path)
{
    setObjectName(QStringLiteral("frmOpenWith"));
    setWindowTitle(text("FRMOPENWITH_CAPTION"));

    auto *prompt = new QLabel(text("FRMOPENWITH_PROMPT") + u' ' + QFileInfo(path).fileName(), this);
    prompt->setWordWrap(true);

    m_applications = new QTreeWidget(this);
    m_applications->setObjectName(QStringLiteral("trwApplications"));
    m_applications->setHeaderHidden(true);
    m_applications->setRootIsDecorated(true);
    m_recommended = new QTreeWidgetItem(m_applications, { text("FRMOPENWITH_RECOMMENDED") });
    m_all = new QTreeWidgetItem(m_applications, { text("FRMOPENWITH_ALL") });
    for (QTreeWidgetItem *group : { m_recommended, m_all })
        group->setFlags(Qt::ItemIsEnabled);
    addApplications(m_recommended, applicationsForFile(path));
    addApplications(m_all, allApplications());
    m_recommended->setExpanded(true);
    m_all->setExpanded(m_recommended->childCount() == 0);
    if (m_recommended->childCount() > 0)
        m_applications->setCurrentItem(m_recommended->child(0));

    auto *buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(text("FRMOPENWITH_OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(text("FRMOPENWITH_CANCEL"), QDialogButtonBox::RejectRole);
    QPushButton *browseButton = buttons->addButton(text("FRMOPENWITH_BROWSE"), QDialogButtonBox::ActionRole);
    connect(browseButton, &QPushButton::clicked, this, &OpenWithDialog::browse);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_applications, &QTreeWidget::currentItemChanged, this, [this] {
        m_program.clear();
        updateOkButton();
    });
    connect(m_applications, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) {
        if (!item->data(0, IdRole).toString().isEmpty())
            accept();
    });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_applications);
    layout->addWidget(buttons);
    resize(420, 460);
    updateOkButton();
}

QString OpenWithDialog::applicationId() const
{
    if (!m_program.isEmpty())
        return {};
    const QTreeWidgetItem *item = m_applications->currentItem();
    return item ? item->data(0, IdRole).toString() : QString();
}

bool OpenWithDialog::selectApplication(const QString &id)
{
    for (QTreeWidgetItem *group : { m_recommended, m_all }) {
        for (int i = 0; i < group->childCount(); ++i) {
            if (group->child(i)->data(0, IdRole).toString() == id) {
                m_applications->setCurrentItem(group->child(i));
                return true;
            }
        }
    }
    return false;
}

void OpenWithDialog::setProgram(const QString &program)
{
    m_program = program;
    updateOkButton();
}

bool OpenWithDialog::launchChoice() const
{
    if (!m_program.isEmpty())
        return launchProgram(m_program, m_path);
    const QString id = applicationId();
    return !id.isEmpty() && launchApplication(id, m_path);
}

void OpenWithDialog::browse()
{
    const QString program = QFileDialog::getOpenFileName(this, text("FRMOPENWITH_BROWSE"), QStringLiteral("/usr/bin"));
    if (program.isEmpty())
        return;
    setProgram(program);
    accept();
}

void OpenWithDialog::updateOkButton()
{
    m_ok->setEnabled(!applicationId().isEmpty() || !m_program.isEmpty());
}
