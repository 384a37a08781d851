// The kernel's mount table as the volume monitor reads it, and the removable-media decision
// made from each entry.
#include "fuzz/FuzzInput.h"
#include "library/platform/RVLinuxVolumeMonitor.h"
#include "library/platform/RVMountInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView table = fuzzText(data, size);
    const std::vector<RVMountEntry> entries = RVMountInfo::parse(table);
    // Only absolute mount points are kept, and unescaping never makes a field longer.
    for (const RVMountEntry& entry : entries)
        if (!entry.mountPoint.startsWith(QLatin1Char('/')) ||
            entry.mountPoint.toUtf8().size() > qsizetype(size) * 3)
            __builtin_trap();
    // No sysfs under this root: only the mount point decides.
    const QStringList removable =
        RVLinuxVolumeMonitor::removableMountPaths(entries, QStringLiteral("/nonexistent-sysfs"));
    for (const QString& path : removable)
        if (!path.startsWith(QLatin1String("/media/")) &&
            !path.startsWith(QLatin1String("/run/media/")))
            __builtin_trap();
    (void)RVMountInfo::unescape(table);
    return 0;
}
