#pragma once
// Our properties sheet of a local file or folder: name, type, location, size (a folder's total
// with its counts), times, owner, group and permissions.

#include <QDialog>
#include <QString>

class QFormLayout;

class PropertiesDialog : public QDialog {
    Q_OBJECT
public:
    // What a folder holds, counted down the whole tree without following symbolic links.
    struct FolderTotals {
        qint64 bytes = 0;
        qint64 files = 0;
        qint64 folders = 0;
    };

    explicit PropertiesDialog(const QString &path, QWidget *parent = nullptr);

    QString path() const { return m_path; }
    // The text shown for a row, by its object name ("lblName", "lblSize" ...); empty when absent.
    QString fieldText(const QString &objectName) const;

    static FolderTotals folderTotals(const QString &folder);
    // Permissions as ls shows them ("rwxr-x---").
    static QString permissionString(const QString &path);

private:
    void addRow(const QString &label, const QString &objectName, const QString &value);

    QString m_path;
    QFormLayout *m_form = nullptr;
};
