#include "app/mainwindow.h"
#include "app/productinfo.h"
#include "app/snapshot.h"
#include "app/startdialog.h"
#include "app/textcatalogue.h"
#include "app/toolbaricons.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(ProductInfo::Name));
    // No display name: the platform would append it to every window title.
    QApplication::setDesktopFileName(QStringLiteral("ferrolink"));
    QApplication::setWindowIcon(applicationIcon());
    // Desktops outside GNOME and KDE often report no theme (or bare hicolor), which leaves the
    // toolbars without pictures.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));

    // A missing catalogue is no reason to stop: every text then shows the placeholder.
    TextCatalogue::instance().open(TextCatalogue::defaultPath());
    if (!(Snapshot::isRequested() ? Snapshot::chooseLanguage() : StartDialog::askLanguage()))
        return 0;

    MainWindow window;
    window.show();
    if (Snapshot::isRequested())
        return Snapshot::take(window);
    return app.exec();
}
