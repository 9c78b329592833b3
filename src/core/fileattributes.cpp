#include "core/fileattributes.h"

QString AttributeLetters(quint32 attributes, QStringView order)
{
    using namespace FileAttribute;
    const auto bitOf = [](QChar letter) -> quint32 {
        switch (letter.unicode()) {
        case u'T': return Temporary;
        case u'R': return ReadOnly;
        case u'H': return Hidden;
        case u'S': return System;
        case u'N': return Normal;
        case u'D': return Directory;
        case u'C': return Compressed;
        case u'A': return Archive;
        default: return 0;
        }
    };
    QString letters;
    for (const QChar letter : order) {
        if (attributes & bitOf(letter))
            letters += letter;
    }
    return letters;
}
