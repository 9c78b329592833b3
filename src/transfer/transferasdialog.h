#pragma once
// frmDownloadAls and frmUploadAls: one file's type icon, type name, size, last change and name,
// and the box for the name it is to have on the other side.

#include <QDialog>

class QLineEdit;
class QPushButton;

class TransferAsDialog : public QDialog {
    Q_OBJECT
public:
    enum class Direction { Download, Upload };

    // The selected row of the source list, with its column texts as the list shows them.
    struct File {
        QString name;
        QString typeName;
        QString sizeText;
        QString changedText;
        bool isFolder = false;
    };

    TransferAsDialog(Direction direction, const File &file, QWidget *parent = nullptr);

    // The typed name without the blanks around it.
    QString newName() const;

private:
    void updateTransferButton();

    bool m_hasFile;
    QLineEdit *m_newName;
    QPushButton *m_transfer = nullptr;
};
