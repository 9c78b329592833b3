#include "local/propertiesdialog.h"

#include "core/textcatalogue.h"
#include "local/filetypes.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include <sys/stat.h>

namespace {

QString sizeText(qint64 bytes)
{
    const QLocale locale;
    return locale.formattedDataSize(bytes) + QStringLiteral(" (") + locale.toString(bytes) + u' '
        + text("FRMPROPERTIES_BYTES") + u')';
}

QString timeText(const QDateTime &time)
{
    return time.isValid() ? QLocale().toString(time.toLocalTime(), QLocale::LongFormat) : QString();
}

} // namespace

PropertiesDialog::PropertiesDialog(const QString &path, QWidget *parent)
    : QDialog(parent)
    , m_path(path)
{
    setObjectName(QStringLiteral("frmProperties"));
    // The entry itself, not what a symbolic link points to.
    // Without the closing "/" of a folder path, so name and location are the folder's own.
    const QFileInfo info(QDir::cleanPath(path));
    const bool isLink = info.isSymLink();
    const bool isFolder = info.isDir() && !isLink;
    const QString name = info.fileName().isEmpty() ? info.filePath() : info.fileName();
    setWindowTitle(text("FRMPROPERTIES_CAPTION") + u' ' + name);

    m_form = new QFormLayout;
    addRow(text("FRMPROPERTIES_NAME"), QStringLiteral("lblName"), name);
    addRow(text("FRMPROPERTIES_TYPE"), QStringLiteral("lblType"),
        isFolder ? text("FOLDER") : GetFileTypeName(info.fileName()));
    addRow(text("FRMPROPERTIES_LOCATION"), QStringLiteral("lblLocation"), QDir::cleanPath(info.absolutePath()));
    if (isLink)
        addRow(text("FRMPROPERTIES_TARGET"), QStringLiteral("lblTarget"), info.symLinkTarget());
    if (isFolder) {
        addRow(text("FRMPROPERTIES_SIZE"), QStringLiteral("lblSize"), text("FRMPROPERTIES_COUNTING"));
        addRow(text("FRMPROPERTIES_CONTAINS"), QStringLiteral("lblContains"), text("FRMPROPERTIES_COUNTING"));
    } else {
        addRow(text("FRMPROPERTIES_SIZE"), QStringLiteral("lblSize"), sizeText(info.size()));
    }
    addRow(text("FRMPROPERTIES_MODIFIED"), QStringLiteral("lblModified"), timeText(info.lastModified()));
    addRow(text("FRMPROPERTIES_ACCESSED"), QStringLiteral("lblAccessed"), timeText(info.lastRead()));
    addRow(text("FRMPROPERTIES_OWNER"), QStringLiteral("lblOwner"), info.owner());
    addRow(text("FRMPROPERTIES_GROUP"), QStringLiteral("lblGroup"), info.group());
    addRow(text("FRMPROPERTIES_PERMISSIONS"), QStringLiteral("lblPermissions"), permissionString(path));

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(text("FRMPROPERTIES_CLOSE"), QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(m_form);
    layout->addStretch();
    layout->addWidget(buttons);
    if (isFolder)
        startCounting();
}

PropertiesDialog::~PropertiesDialog()
{
    if (m_counter) {
        m_cancel = true;
        m_counter->wait();
    }
}

// A folder tree ("/", a home with a million files) can take minutes to count: the count runs in
// a worker thread so the window stays responsive and the dialog can be closed at any time.
void PropertiesDialog::startCounting()
{
    m_counter = QThread::create([this, folder = m_path] {
        const FolderTotals totals = folderTotals(folder, &m_cancel);
        if (!m_cancel)
            QMetaObject::invokeMethod(
                this, [this, totals] { showTotals(totals); }, Qt::QueuedConnection);
    });
    m_counter->setParent(this);
    m_counter->start();
}

void PropertiesDialog::showTotals(const FolderTotals &totals)
{
    const QLocale locale;
    findChild<QLabel *>(QStringLiteral("lblSize"))->setText(sizeText(totals.bytes));
    findChild<QLabel *>(QStringLiteral("lblContains"))
        ->setText(locale.toString(totals.files) + u' ' + text("FRMPROPERTIES_FILES") + QStringLiteral(", ")
            + locale.toString(totals.folders) + u' ' + text("FRMPROPERTIES_FOLDERS"));
    emit totalsShown();
}

QString PropertiesDialog::fieldText(const QString &objectName) const
{
    const auto *label = findChild<QLabel *>(objectName);
    return label ? label->text() : QString();
}

PropertiesDialog::FolderTotals PropertiesDialog::folderTotals(const QString &folder, const std::atomic_bool *cancel)
{
    FolderTotals totals;
    QDirIterator it(
        folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext() && !(cancel && *cancel)) {
        it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isDir() && !info.isSymLink()) {
            ++totals.folders;
        } else {
            ++totals.files;
            if (!info.isSymLink())
                totals.bytes += info.size();
        }
    }
    return totals;
}

QString PropertiesDialog::permissionString(const QString &path)
{
    struct stat status { };
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    static constexpr struct {
        mode_t bit;
        char letter;
    } bits[] = { { S_IRUSR, 'r' }, { S_IWUSR, 'w' }, { S_IXUSR, 'x' }, { S_IRGRP, 'r' }, { S_IWGRP, 'w' },
        { S_IXGRP, 'x' }, { S_IROTH, 'r' }, { S_IWOTH, 'w' }, { S_IXOTH, 'x' } };
    QString result;
    for (const auto &entry : bits)
        result += QLatin1Char((status.st_mode & entry.bit) ? entry.letter : '-');
    return result;
}

void PropertiesDialog::addRow(const QString &label, const QString &objectName, const QString &value)
{
    auto *field = new QLabel(value, this);
    field->setObjectName(objectName);
    field->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_form->addRow(label, field);
}
