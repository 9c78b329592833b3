#pragma once
// The name a file travels under until it is complete: beside its target, recognisably ours, and
// short enough for the file system that holds it.

#include <QString>

// prefix + name + "." + random hex + ".part", with name cut (at a character boundary) so that the
// whole fits maxBytes bytes of UTF-8: names are limited in bytes (NAME_MAX is 255 on Linux), not
// in characters, so 84 × 日 (252 bytes) is a legal name that leaves no room for a suffix.
QString temporaryName(const QString &name, const QString &prefix, int maxBytes = 255);
