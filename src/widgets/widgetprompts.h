#pragma once
// Prompts answered by the user through real message boxes and input boxes. The only place in
// the program that opens QMessageBox or QInputDialog.

#include "core/prompts.h"

class QWidget;

class WidgetPrompts : public Prompts {
public:
    // parent owns the dialogs' placement; it may be null.
    explicit WidgetPrompts(QWidget *parent = nullptr);

    void message(const QString &text, Icon icon, const QString &title = {}) override;
    bool askYesNo(const QString &text) override;
    std::optional<QString> input(
        const QString &prompt, const QString &defaultText = {}, std::optional<QPoint> position = std::nullopt) override;
    std::optional<QString> inputPassword(const QString &prompt) override;
    bool askTrustCertificate(const QString &description) override;

private:
    QWidget *m_parent;
};
