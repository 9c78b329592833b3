#include "widgets/panemeasures.h"

#include <QComboBox>
#include <QStyleOptionComboBox>

#include <algorithm>

int PaneMeasures::rowHeight(const QComboBox *box)
{
    QStyleOptionComboBox option;
    option.initFrom(box);
    const int contents = std::max(box->fontMetrics().height(), box->iconSize().height());
    return box->style()->sizeFromContents(QStyle::CT_ComboBox, &option, QSize(0, contents), box).height();
}
