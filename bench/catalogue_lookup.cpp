// How long the texts of a long run cost: 100,000 look-ups of the keys an engine asks for per
// entry, in the shipped catalogue. Prints one line: "catalogue_lookup: N look-ups in S s".

#include "core/textcatalogue.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (!TextCatalogue::instance().open(TextCatalogue::defaultPath())) {
        std::fprintf(stderr, "catalogue_lookup: cannot open %s\n", qPrintable(TextCatalogue::defaultPath()));
        return 1;
    }
    TextCatalogue::instance().setLanguageTable(QStringLiteral("english"));
    const char *keys[] = { "MDOWN_DOWNSTART", "MDOWN_DOWNOK", "MDEL_DELFILE", "MDEL_DELOK" };
    constexpr int lookUps = 100000;
    qsizetype characters = 0;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < lookUps; ++i)
        characters += text(keys[i % 4]).size();
    const double seconds = clock.nsecsElapsed() / 1e9;
    std::printf("catalogue_lookup: %d look-ups in %.3f s (%lld characters)\n", lookUps, seconds,
        static_cast<long long>(characters));
    return 0;
}
