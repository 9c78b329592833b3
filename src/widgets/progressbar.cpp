#include "widgets/progressbar.h"

ProgressBar::ProgressBar(QWidget *parent)
    : QProgressBar(parent)
{
    setObjectName(QStringLiteral("pgbBottom"));
    setTextVisible(false);
    // A thin strip along the bottom edge, as in the classic layout (135 twips).
    setFixedHeight(9);
    QSizePolicy policy = sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    setSizePolicy(policy);
    QProgressBar::setValue(0);
}

void ProgressBar::setRange(int minimum, int maximum)
{
    QProgressBar::setRange(minimum, maximum);
}

void ProgressBar::setValue(int value)
{
    QProgressBar::setValue(value);
}

void ProgressBar::setShown(bool shown)
{
    setVisible(shown);
}

void ProgressBar::reset()
{
    QProgressBar::reset();
}
