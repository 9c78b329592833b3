#include "app/textcatalogue.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TextCatalogue::instance().open(TextCatalogue::defaultPath());
    return 0;
}
