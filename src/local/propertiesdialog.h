#pragma once
// Our properties sheet of a local file or folder: name, type, location, size (a folder's total
// with its counts), times, owner, group and permissions.

#include <QDialog>
#include <QString>

#include <atomic>

class QFormLayout;
class QThread;

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
    ~PropertiesDialog() override;

    QString path() const { return m_path; }
    // The text shown for a row, by its object name ("lblName", "lblSize" ...); empty when absent.
    QString fieldText(const QString &objectName) const;

    // Counts in the caller's thread; stops early when cancel becomes true.
    static FolderTotals folderTotals(const QString &folder, const std::atomic_bool *cancel = nullptr);
    // Permissions as ls shows them ("rwxr-x---").
    static QString permissionString(const QString &path);

signals:
    // A folder's size and counts are shown; they are counted in the background.
    void totalsShown();

private:
    void addRow(const QString &label, const QString &objectName, const QString &value);
    void startCounting();
    void showTotals(const FolderTotals &totals);

    QString m_path;
    QFormLayout *m_form = nullptr;
    QThread *m_counter = nullptr;
    std::atomic_bool m_cancel = false;
};
