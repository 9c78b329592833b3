#include "info/infodialog.h"

#include "core/productinfo.h"
#include "core/prompts.h"
#include "core/textcatalogue.h"
#include "info/systeminformation.h"
#include "widgets/rtfreader.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

QLabel *namedLabel(const QString &caption, const char *name, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    return label;
}

} // namespace

InfoDialog::InfoDialog(Prompts &prompts, QWidget *parent)
    : QDialog(parent)
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(text("INFO_CAPTION"));
    auto *tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("tabstripInfo"));
    tabs->addTab(createGeneralPage(), text("INFO_TABGENERAL"));
    tabs->addTab(createDocumentPage(), text("INFO_TABDOCUMENT"));
    tabs->setCurrentIndex(0);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *systemInformation = buttons->addButton(text("INFO_SYSINFO"), QDialogButtonBox::ActionRole);
    systemInformation->setObjectName(QStringLiteral("cmdSysInfo"));
    QPushButton *ok = buttons->addButton(text("INFO_OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("cmdOk"));
    ok->setDefault(true);
    connect(systemInformation, &QPushButton::clicked, this, &InfoDialog::startSystemInformation);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    resize(560, 400);
}

QWidget *InfoDialog::createGeneralPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("picGeneral"));
    auto *layout = new QVBoxLayout(page);
    QLabel *name = namedLabel(text("INFO_APPNAME"), "lblAppName", page);
    QFont bigger = name->font();
    bigger.setPointSizeF(bigger.pointSizeF() * 1.6);
    bigger.setBold(true);
    name->setFont(bigger);
    layout->addWidget(name);
    layout->addWidget(namedLabel(text("INFO_COPYRIGHT"), "lblCopyright", page));
    layout->addWidget(namedLabel(text("INFO_MADE"), "lblMade", page));
    layout->addWidget(namedLabel(text("INFO_LEGAL"), "lblLegal", page));
    const QString address = QString::fromLatin1(ProductInfo::HomePage);
    QLabel *web = namedLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(address), "lblWeb", page);
    // The link opens through the desktop's browser for web pages, not through Qt's own guess.
    web->setTextFormat(Qt::RichText);
    web->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(web, &QLabel::linkActivated, this, &InfoDialog::webLinkActivated);
    layout->addWidget(web);
    layout->addStretch();
    return page;
}

QWidget *InfoDialog::createDocumentPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("picDocument"));
    auto *document = new QTextEdit(page);
    document->setObjectName(QStringLiteral("richtextboxInfo"));
    document->setReadOnly(true);
    // A missing document leaves the page empty; the dialog opens all the same.
    RtfReader::readFile(
        QCoreApplication::applicationDirPath() + QStringLiteral("/Dateien/la.rtf"), document->document());
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(document);
    return page;
}

QString InfoDialog::noSystemInformationText()
{
    // A fixed text, as the program has always shown it.
    return QStringLiteral("Systeminformationen sind momentan nicht verfügbar");
}

void InfoDialog::startSystemInformation()
{
    const std::optional<SystemInformationTool> tool = FindSystemInformationTool();
    if (!tool || !StartSystemInformationTool(*tool))
        m_prompts.message(noSystemInformationText(), Prompts::Icon::None);
}
