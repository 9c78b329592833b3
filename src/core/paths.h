#pragma once
// Folder paths, local or on the server: both use "/" and name a folder with a closing "/".

#include <QString>

// "/a/b" as the folder "/a/b/"; a path that ends in "/" stays as it is.
inline QString withClosingSlash(const QString &path)
{
    return path.endsWith(u'/') ? path : path + u'/';
}
