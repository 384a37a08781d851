#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <vector>

// One line of Linux's /proc/<pid>/mountinfo:
//   36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue
//   (1)(2)(3)   (4)   (5)      (6)      (7)   (8) (9)   (10)         (11)
// (1) mount id, (2) parent id, (3) major:minor of the device, (4) root of the mount within its
// file system, (5) mount point, (6) per-mount options, (7) zero or more optional fields ended
// by the separator (8) "-", (9) file-system type, (10) mount source, (11) super-block options.
// Paths escape space, tab, newline and backslash as three octal digits ("\040").
struct RVMountEntry final
{
    int mountId = 0;
    int parentId = 0;
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    QString root;
    QString mountPoint;
    QString fileSystemType;
    QString source;
};

namespace RVMountInfo {

// The well-formed lines of the table, in order; malformed lines are skipped.
std::vector<RVMountEntry> parse(QByteArrayView table);
// A field of the table with its octal escapes resolved; bytes are UTF-8 (invalid sequences are
// kept as replacement characters).
QString unescape(QByteArrayView field);

} // namespace RVMountInfo
