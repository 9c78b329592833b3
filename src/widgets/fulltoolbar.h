#pragma once
// Toolbars whose every button must stay in view: a layout that squeezes a toolbar moves the
// buttons that do not fit behind its "»" button, where a new user never finds them.

#include <QToolBar>

// Call once the bar holds all its buttons: layouts then never give it less than their width.
inline void keepEveryButtonShown(QToolBar *bar)
{
    bar->setMinimumWidth(bar->sizeHint().width());
}
