#pragma once
// The mounted volumes a user browses (the drive list's entries), read from the kernel's mount
// table: local disks and removable media, network shares and FUSE mounts, no pseudo file systems.

#include <QByteArray>
#include <QStringList>

// The mount points in a /proc/self/mountinfo text that hold a user's files, in table order,
// without "/" (which the drive list always shows first).
QStringList UserVolumeRoots(const QByteArray &mountInfo);
// The same for the mounts this process sees.
QStringList UserVolumeRoots();
