#include "app/applicationsetup.h"
#include "app/mainwindow.h"
#include "app/snapshot.h"
#include "app/startdialog.h"
#include "core/textcatalogue.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);

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
