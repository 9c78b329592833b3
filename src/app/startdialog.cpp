#include "app/startdialog.h"

#include "core/productinfo.h"
#include "core/textcatalogue.h"
#include "widgets/rtfreader.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QTranslator>
#include <QVBoxLayout>

namespace {

// Qt's own texts (the Yes, No, Cancel buttons) and the MIME database's type names follow the
// default locale, so it becomes the chosen language's. Debian ships Qt's catalogues in
// qt6-translations-l10n; without them those texts stay English.
void applyLanguageLocale()
{
    static QPointer<QTranslator> qtTexts;
    const QString name = text("LANGUAGE_LOCALE");
    if (name == QLatin1String(TextCatalogue::Placeholder))
        return;
    const QLocale locale(name);
    QLocale::setDefault(locale);
    delete qtTexts;
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(
            locale, QStringLiteral("qt"), QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
        qtTexts = translator;
    } else {
        delete translator;
    }
}

} // namespace

// The dialog shows before any language is chosen, so its captions are fixed and multilingual
// rather than catalogue texts.
StartDialog::StartDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmStart"));
    setWindowTitle(QStringLiteral("Bitte wählen Sie Ihre Sprache"));

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabStart"));
    m_tabs->addTab(createLanguagePage(), QStringLiteral("Sprache/Language/Langue/Idioma"));
    m_tabs->addTab(createAgreementPage(), QStringLiteral("Lizenzvereinbarungen/Licence Agreement"));
    m_tabs->addTab(createInfoPage(), QStringLiteral("Info ..."));

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("Ok"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("cmdOk"));
    ok->setDefault(true);
    QPushButton *cancel = buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdAbbrechen"));
    connect(buttons, &QDialogButtonBox::accepted, this, &StartDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &StartDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
    resize(640, 400);
}

QWidget *StartDialog::createLanguagePage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("picSprache"));
    auto *layout = new QVBoxLayout(page);
    for (const char *prompt : { "Bitte wählen Sie Ihre Sprache:", "Please select Your language:",
             "Choisir votre langue, s'il vous plaît:", "Por savor escoja su idioma:" })
        layout->addWidget(new QLabel(QString::fromUtf8(prompt), page));

    m_languages = new QComboBox(page);
    m_languages->setObjectName(QStringLiteral("cboSprache"));
    for (const CatalogueLanguage &language : TextCatalogue::instance().languages())
        m_languages->addItem(language.displayName);
    // The third entry is the preselected one; with fewer languages the list starts unselected.
    m_languages->setCurrentIndex(m_languages->count() > 2 ? 2 : -1);
    layout->addWidget(m_languages);
    layout->addStretch();
    return page;
}

QWidget *StartDialog::createAgreementPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("picLizenzvereinbarungen"));
    m_agreement = new QTextEdit(page);
    m_agreement->setObjectName(QStringLiteral("rtfLizenzvereinbarungen"));
    m_agreement->setReadOnly(true);
    // A missing document leaves the page empty; the user can still choose a language.
    RtfReader::readFile(
        QCoreApplication::applicationDirPath() + QStringLiteral("/Dateien/la.rtf"), m_agreement->document());
    // Reading the document carries the view's caret along to the end; the reader starts at the top.
    m_agreement->moveCursor(QTextCursor::Start);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(m_agreement);
    return page;
}

QWidget *StartDialog::createInfoPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("picInfo"));
    auto *layout = new QVBoxLayout(page);
    auto *name = new QLabel(QString::fromLatin1(ProductInfo::Name), page);
    QFont bigger = name->font();
    bigger.setPointSizeF(bigger.pointSizeF() * 1.6);
    bigger.setBold(true);
    name->setFont(bigger);
    layout->addWidget(name);
    layout->addWidget(new QLabel(QString::fromLatin1(ProductInfo::Release), page));
    auto *legal = new QLabel(QStringLiteral("© 2026 The Ferrolink developers. This program is provided "
                                            "under the licence agreement shown on the second page, "
                                            "without any warranty."),
        page);
    legal->setWordWrap(true);
    layout->addWidget(legal);
    const QString address = QString::fromLatin1(ProductInfo::HomePage);
    auto *web = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(address), page);
    web->setOpenExternalLinks(true);
    layout->addWidget(web);
    layout->addStretch();
    return page;
}

void StartDialog::accept()
{
    // Whatever row is selected counts; with none, the first language, so the main window never
    // starts without a language table.
    const QList<CatalogueLanguage> languages = TextCatalogue::instance().languages();
    const int row = m_languages->currentIndex();
    if (row >= 0 && row < languages.size())
        TextCatalogue::instance().setLanguageTable(languages.at(row).table);
    else if (!languages.isEmpty())
        TextCatalogue::instance().setLanguageTable(languages.first().table);
    applyLanguageLocale();
    QDialog::accept();
}

bool StartDialog::askLanguage()
{
    StartDialog dialog;
    return dialog.exec() == QDialog::Accepted;
}
