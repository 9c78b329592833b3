#include "transfer/transferasdialog.h"

#include "core/textcatalogue.h"
#include "local/filetypes.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace {

// The captions of one direction, in the order the dialog shows them.
struct Captions {
    QString window, type, size, changed, oldName, newName, action, transfer, cancel;
    const char *oldNameObject, *newNameObject, *transferObject;
};

Captions captionsFor(TransferAsDialog::Direction direction)
{
    if (direction == TransferAsDialog::Direction::Download) {
        return { text("FRMDOWNLOADALS_MECAPTION"), text("FRMDOWNLOADALS_TYP"), text("FRMDOWNLOADALS_SIZE"),
            text("FRMDOWNLOADALS_CHANGED"), text("FRMDOWNLOADALS_OLDNAME"), text("FRMDOWNLOADALS_NEWNAME"),
            text("FRMDOWNLOADALS_ACTION"), text("FRMDOWNLOADALS_DOWNLOAD"), text("FRMDOWNLOADALS_ABBRECHEN"),
            "lblOldName", "lblNewName", "cmdDownload" };
    }
    return { text("FRMUPAS_CAPTION"), text("FRMUPAS_TYP"), text("FRMUPAS_SIZE"), text("FRMUPAS_CHANGED"),
        text("FRMUPAS_OLDNAME"), text("FRMUPAS_NEWNAME"), text("FRMUPAS_ACTION"), text("FRMUPAS_UPLOAD"),
        text("FRMUPAS_CANCEL"), "lblAlterName", "lblNeuerName", "cmdUpload" };
}

QLabel *namedLabel(const QString &caption, const char *name, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

TransferAsDialog::TransferAsDialog(Direction direction, const File &file, QWidget *parent)
    : QDialog(parent)
    , m_hasFile(!file.name.isEmpty())
    , m_newName(new QLineEdit(file.name, this))
{
    const Captions captions = captionsFor(direction);
    setObjectName(QLatin1String(direction == Direction::Download ? "frmDownloadAls" : "frmUploadAls"));
    setWindowTitle(captions.window);

    auto *logo = namedLabel(QString(), "imgSystemLogo", this);
    const int iconSize = style()->pixelMetric(QStyle::PM_LargeIconSize);
    logo->setPixmap(GetFileIcon(file.name, file.isFolder).pixmap(iconSize, iconSize));

    auto *name = namedLabel(file.name, "lblName", this);
    // The name may carry blanks of its own; the user must see exactly what is taken.
    name->setTextFormat(Qt::PlainText);
    name->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_newName->setObjectName(QStringLiteral("txtNeuerName"));
    // Typing replaces the whole old name.
    m_newName->setSelection(0, int(m_newName->text().size()));

    auto *buttons = new QDialogButtonBox(this);
    m_transfer = buttons->addButton(captions.transfer, QDialogButtonBox::AcceptRole);
    m_transfer->setObjectName(QLatin1String(captions.transferObject));
    m_transfer->setDefault(true);
    QPushButton *cancel = buttons->addButton(captions.cancel, QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdAbbrechen"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_newName, &QLineEdit::textChanged, this, &TransferAsDialog::updateTransferButton);

    auto *grid = new QGridLayout(this);
    grid->addWidget(logo, 0, 0, 4, 1, Qt::AlignTop);
    const struct {
        QString caption;
        const char *captionObject;
        QWidget *value;
    } rows[] = {
        { captions.type, "lblTyp", namedLabel(file.typeName, "lblFileType", this) },
        { captions.size, "lblSize", namedLabel(file.sizeText, "lblGroesse", this) },
        { captions.changed, "lblChanged", namedLabel(file.changedText, "lblGeaendert", this) },
        { captions.oldName, captions.oldNameObject, name },
        { captions.newName, captions.newNameObject, m_newName },
        { captions.action, "lblAction", buttons },
    };
    int row = 0;
    for (const auto &entry : rows) {
        grid->addWidget(namedLabel(entry.caption, entry.captionObject, this), row, 1);
        grid->addWidget(entry.value, row, 2);
        ++row;
    }
    grid->setColumnStretch(2, 1);
    m_newName->setFocus();
    updateTransferButton();
    resize(qMax(sizeHint().width(), 420), sizeHint().height());
}

QString TransferAsDialog::newName() const
{
    return m_newName->text().trimmed();
}

void TransferAsDialog::updateTransferButton()
{
    // Without a file there is nothing to send, and a blank name would only name the folder.
    m_transfer->setEnabled(m_hasFile && !newName().isEmpty());
}
