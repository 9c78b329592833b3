#include "app/applicationsetup.h"

#include "core/productinfo.h"
#include "widgets/toolbaricons.h"

#include <QApplication>
#include <QIcon>

void nameApplication(QCoreApplication &app)
{
    app.setApplicationName(QString::fromLatin1(ProductInfo::Name));
    app.setApplicationVersion(QStringLiteral(FERROLINK_VERSION));
}

void setUpApplication(QApplication &app)
{
    nameApplication(app);
    app.setDesktopFileName(QStringLiteral("ferrolink"));
    app.setWindowIcon(applicationIcon());
    // Desktops outside GNOME and KDE often report no theme (or bare hicolor), which leaves the
    // toolbars without pictures.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));
}
