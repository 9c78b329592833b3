#pragma once
// What the server pane shows, as plain lists the tests compare.

#include "server/serverlistmodel.h"

#include <QComboBox>
#include <QStringList>

inline QStringList rowNames(const ServerListModel &model)
{
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row)
        names.append(model.rowName(row));
    return names;
}

inline QStringList itemTexts(const QComboBox &box)
{
    QStringList texts;
    for (int index = 0; index < box.count(); ++index)
        texts.append(box.itemText(index));
    return texts;
}
