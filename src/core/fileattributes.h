#pragma once
// The attribute word that local and server entries carry, and the letters the lists show for it.

#include <QString>
#include <QStringView>

namespace FileAttribute {
enum : quint32 {
    ReadOnly = 0x1, // no write permission
    Hidden = 0x2, // the name starts with "."
    System = 0x4,
    Directory = 0x10,
    Archive = 0x20,
    Normal = 0x80, // no other bit is set
    Temporary = 0x100,
    Compressed = 0x800,
};
} // namespace FileAttribute

// The letters of the set attribute bits (T R H S D N C A) in the given letter order; the server
// and the local listings show them in different orders.
QString AttributeLetters(quint32 attributes, QStringView order);
