#include "widgets/widgetprompts.h"

#include "core/productinfo.h"
#include "core/textcatalogue.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

QString titleOr(const QString &title)
{
    return title.isEmpty() ? QString::fromLatin1(ProductInfo::Name) : title;
}

QMessageBox::Icon boxIcon(Prompts::Icon icon)
{
    switch (icon) {
    case Prompts::Icon::None:
        return QMessageBox::NoIcon;
    case Prompts::Icon::Critical:
        return QMessageBox::Critical;
    case Prompts::Icon::Exclamation:
        return QMessageBox::Warning;
    case Prompts::Icon::Information:
        break;
    }
    return QMessageBox::Information;
}

} // namespace

WidgetPrompts::WidgetPrompts(QWidget *parent)
    : m_parent(parent)
{
}

void WidgetPrompts::message(const QString &text, Icon icon, const QString &title)
{
    QMessageBox box(boxIcon(icon), titleOr(title), text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool WidgetPrompts::askYesNo(const QString &text)
{
    // Message code 4: Yes and No, and no icon.
    QMessageBox box(QMessageBox::NoIcon, titleOr({}), text, QMessageBox::Yes | QMessageBox::No, m_parent);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> WidgetPrompts::input(
    const QString &prompt, const QString &defaultText, std::optional<QPoint> position)
{
    QInputDialog dialog(m_parent);
    dialog.setWindowTitle(titleOr({}));
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    if (position) {
        // Positions are given in twips; 15 twips make one pixel.
        dialog.move(position->x() / 15, position->y() / 15);
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

std::optional<QString> WidgetPrompts::inputPassword(const QString &prompt)
{
    QInputDialog dialog(m_parent);
    dialog.setWindowTitle(titleOr({}));
    dialog.setLabelText(prompt);
    dialog.setTextEchoMode(QLineEdit::Password);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

bool WidgetPrompts::askTrustCertificate(const QString &description)
{
    QMessageBox box(QMessageBox::Warning, titleOr({}), description, QMessageBox::Cancel, m_parent);
    // The description carries names a server chose; it must never be read as markup.
    box.setTextFormat(Qt::PlainText);
    const QPushButton *trust = box.addButton(text("CERT_TRUSTRUN"), QMessageBox::AcceptRole);
    // Trusting an unknown certificate takes a deliberate click: Enter and Escape both decline.
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == trust;
}
