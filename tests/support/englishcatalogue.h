#pragma once
// The real built catalogue, in English: the language the tests compare texts in.

#include "core/textcatalogue.h"

inline bool useEnglishCatalogue()
{
    TextCatalogue &catalogue = TextCatalogue::instance();
    if (!catalogue.isOpen() && !catalogue.open(TextCatalogue::defaultPath()))
        return false;
    catalogue.setLanguageTable(QStringLiteral("english"));
    return true;
}
