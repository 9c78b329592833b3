#include "widgets/inputbox.h"

#include <QGuiApplication>
#include <QScreen>

QPoint InputBoxPosition()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->geometry().size() : QSize(1024, 768);
    return { size.width() * 15 / 2 - 1000, size.height() * 15 / 2 - 1500 };
}

QString TypedName(const std::optional<QString> &answer)
{
    return answer ? answer->trimmed() : QString();
}
