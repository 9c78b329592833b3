#pragma once
// Our open-with chooser: the desktop's applications for the file's type, all applications, or
// a program file the user browses for.

#include <QDialog>
#include <QString>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class OpenWithDialog : public QDialog {
    Q_OBJECT
public:
    explicit OpenWithDialog(const QString &path, QWidget *parent = nullptr);

    QString path() const { return m_path; }
    // The desktop file id of the chosen application; empty when a program file was chosen.
    QString applicationId() const;
    // The program file chosen by browsing; empty when an application was chosen.
    QString program() const { return m_program; }

    // Selects the listed application with id; false when it is not listed.
    bool selectApplication(const QString &id);
    // Takes program as the choice, as browsing for it would.
    void setProgram(const QString &program);

    // Starts the choice with the file; false when nothing was chosen or it did not start.
    bool launchChoice() const;

private:
    void browse();
    void updateOkButton();

    QString m_path;
    QString m_program;
    QTreeWidget *m_applications = nullptr;
    QTreeWidgetItem *m_recommended = nullptr;
    QTreeWidgetItem *m_all = nullptr;
    QPushButton *m_ok = nullptr;
};
