#pragma once
// frmInfo, the about box: the product's name and legal lines, the licence document, the link to
// the home page and the start of the desktop's system information program.

#include <QDialog>

class Prompts;

class InfoDialog : public QDialog {
    Q_OBJECT
public:
    explicit InfoDialog(Prompts &prompts, QWidget *parent = nullptr);

    // The message shown when no system information program is installed.
    static QString noSystemInformationText();

public slots:
    // cmdSysInfo: starts the system information program, or says that there is none.
    void startSystemInformation();

signals:
    // The web link was clicked: the home page should open in the desktop's browser.
    void webLinkActivated();

private:
    QWidget *createGeneralPage();
    QWidget *createDocumentPage();

    Prompts &m_prompts;
};
