#pragma once
// The start dialog frmStart: language choice, licence agreement and product information.

#include <QDialog>

class QComboBox;
class QTabWidget;
class QTextEdit;

class StartDialog : public QDialog {
    Q_OBJECT
public:
    explicit StartDialog(QWidget *parent = nullptr);

    // Shows the dialog modally; true when the user chose OK (the language is set then), false
    // when the program should end without its main window.
    static bool askLanguage();

public slots:
    // OK: fixes the selected language and closes the dialog.
    void accept() override;

private:
    QWidget *createLanguagePage();
    QWidget *createAgreementPage();
    QWidget *createInfoPage();

    QTabWidget *m_tabs = nullptr;
    QComboBox *m_languages = nullptr;
    QTextEdit *m_agreement = nullptr;
};
