#include "app/asciilistdialog.h"

#include "core/prompts.h"
#include "core/textcatalogue.h"
#include "transfer/asciilist.h"

#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

QPushButton *addButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    // Enter in the list must not take over or cancel behind the user's back.
    button->setAutoDefault(false);
    return button;
}

} // namespace

AsciiListDialog::AsciiListDialog(Prompts &prompts, AsciiList &list, QWidget *parent)
    : QDialog(parent)
    , m_prompts(prompts)
    , m_list(list)
{
    setObjectName(QStringLiteral("frmASCIIListe"));
    setWindowTitle(text("FRMASCIILISTE_CAPTION"));
    setModal(true);

    m_entries = new QListWidget(this);
    m_entries->setObjectName(QStringLiteral("lstASCIIList"));
    m_entries->addItems(m_list.items());

    auto *help = new QLabel(text("FRMASCIILISTE_ASCII_HELP"), this);
    help->setObjectName(QStringLiteral("lblHilfe"));
    help->setWordWrap(true);

    QPushButton *add = addButton(this, "cmdAdd", text("FERMASCIILISTE_ADD"));
    QPushButton *remove = addButton(this, "cmdRemove", text("FERMASCIILISTE_REMOVE"));
    QPushButton *take = addButton(this, "cmdUebernehmen", text("FERMASCIILISTE_TAKE"));
    QPushButton *cancel = addButton(this, "cmdAbbrechen", text("FERMASCIILISTE_CANCEL"));
    connect(add, &QPushButton::clicked, this, &AsciiListDialog::addEntry);
    connect(remove, &QPushButton::clicked, this, &AsciiListDialog::removeEntry);
    connect(take, &QPushButton::clicked, this, &AsciiListDialog::takeOver);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    // The list on the left; the buttons in a column beside it with the help text below them.
    auto *layout = new QGridLayout(this);
    layout->addWidget(m_entries, 0, 0, 6, 1);
    layout->addWidget(add, 0, 1);
    layout->addWidget(remove, 1, 1);
    layout->addWidget(help, 2, 1);
    layout->setRowStretch(3, 1);
    layout->addWidget(take, 4, 1);
    layout->addWidget(cancel, 5, 1);
    layout->setColumnStretch(0, 1);
    resize(420, 300);
}

QStringList AsciiListDialog::entries() const
{
    QStringList result;
    for (int row = 0; row < m_entries->count(); ++row)
        result.append(m_entries->item(row)->text());
    return result;
}

void AsciiListDialog::addEntry()
{
    // The answer is kept as typed apart from the case: a dot typed with it stays part of it.
    const QString entry = m_prompts.input(text("FRMASCIILISTE_NEWEXT")).value_or(QString()).toUpper();
    if (entry.isEmpty())
        return;
    if (entries().contains(entry)) {
        m_prompts.message(text("FRMASCIILISTE_ENTRYDA"), Prompts::Icon::Information);
        return;
    }
    m_entries->addItem(entry);
}

void AsciiListDialog::removeEntry()
{
    const QList<QListWidgetItem *> selected = m_entries->selectedItems();
    if (selected.isEmpty())
        return;
    QListWidgetItem *item = selected.first();
    if (m_prompts.askYesNo(
            text("FRMASCIILISTE_ENTRYDEL1") + u' ' + item->text() + u' ' + text("FRMASCIILISTE_ENTRYDEL2")))
        delete item;
}

void AsciiListDialog::takeOver()
{
    if (!m_list.write(entries())) {
        m_prompts.message(
            text("FRMASCIILISTE_NOTSAVED").arg(QDir::toNativeSeparators(m_list.userPath()), m_list.errorString()),
            Prompts::Icon::Exclamation);
    }
    accept();
}
