#pragma once
// The dialog frmASCIIListe: edits the extensions automatic mode uploads as text, and on
// take-over writes them as the user's list.

#include <QDialog>

class AsciiList;
class Prompts;
class QListWidget;

class AsciiListDialog : public QDialog {
    Q_OBJECT
public:
    AsciiListDialog(Prompts &prompts, AsciiList &list, QWidget *parent = nullptr);

    // The entries as the dialog lists them.
    QStringList entries() const;

public slots:
    // Asks for a new extension and appends it, upper-cased, unless it is listed already.
    void addEntry();
    // Removes the selected entry once the user confirms.
    void removeEntry();
    // Writes the entries as the user's list and closes.
    void takeOver();

private:
    Prompts &m_prompts;
    AsciiList &m_list;
    QListWidget *m_entries = nullptr;
};
