#pragma once
// frmPopUpfrmLocal: the context menu of the local file list, its entries wired to the pane.

#include <QMenu>

class LocalPane;

class LocalPopupMenu : public QMenu {
    Q_OBJECT
public:
    explicit LocalPopupMenu(LocalPane &pane);

private:
    QAction *addEntry(QMenu *menu, const char *objectName, const QString &caption);
    void addSeparatorNamed(int number);
};
