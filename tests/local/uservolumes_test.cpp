// The drive list's volumes from a mount table: what a user browses, not what the system keeps.

#include "local/uservolumes.h"

#include <gtest/gtest.h>

namespace {

TEST(UserVolumes, ListsDisksMediaAndSharesButNoPseudoFileSystems)
{
    const struct {
        const char *line;
        const char *root; // nullptr: left out
    } cases[] = {
        { "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw", nullptr },
        { "23 22 8:3 / /home rw,relatime shared:2 - ext4 /dev/sda3 rw", "/home" },
        { "24 22 8:17 / /media/ann/USB\\040STICK rw,nosuid shared:3 - vfat /dev/sdb1 rw", "/media/ann/USB STICK" },
        { "25 22 8:33 / /run/media/ann/Backup rw shared:4 - fuseblk /dev/sdc1 rw", "/run/media/ann/Backup" },
        { "26 22 0:50 / /mnt/nas rw,relatime shared:5 - nfs4 nas:/export rw", "/mnt/nas" },
        { "27 22 0:51 / /mnt/old rw - nfs nas:/old rw", "/mnt/old" },
        { "28 22 0:52 / /mnt/win rw - cifs //server/share rw", "/mnt/win" },
        { "29 22 0:53 / /mnt/smb rw - smb3 //server/other rw", "/mnt/smb" },
        { "30 22 0:54 / /home/ann/remote rw - fuse.sshfs ann@host: rw", "/home/ann/remote" },
        { "31 22 0:55 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw", "/run/user/1000/gvfs" },
        { "32 22 0:5 / /dev rw shared:6 - devtmpfs udev rw", nullptr },
        { "33 22 0:21 / /proc rw - proc proc rw", nullptr },
        { "34 22 0:22 / /sys rw - sysfs sysfs rw", nullptr },
        { "35 22 0:23 / /run rw - tmpfs tmpfs rw", nullptr },
        { "36 22 0:24 / /tmp rw - tmpfs tmpfs rw", nullptr },
        { "37 22 8:1 / /boot/efi rw - vfat /dev/sda1 rw", nullptr },
        { "38 22 7:0 / /snap/core/1 ro - squashfs /dev/loop0 ro", nullptr },
        { "39 34 0:25 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw", nullptr },
        { "40 22 0:26 / /proc/sys/fs/binfmt_misc rw - autofs systemd-1 rw", nullptr },
        { "41 23 8:3 / /home rw - ext4 /dev/sda3 rw", nullptr }, // mounted twice, listed once
        { "a line that is no mount", nullptr },
    };
    QByteArray table;
    QStringList expected;
    for (const auto &c : cases) {
        table += c.line;
        table += '\n';
        if (c.root)
            expected.append(QString::fromUtf8(c.root));
    }
    EXPECT_EQ(UserVolumeRoots(table), expected);
}

} // namespace
