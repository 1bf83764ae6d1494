#pragma once

#include <QByteArray>

// Who wrote a staging file or folder, as part of its name: "<host>-<pid>".
// <host> is 16 hex digits hashed from the machine's name, its boot and the
// process's pid namespace, so containers that all run as process 1, or
// share a host name, still differ. An output folder may be shared by many
// machines; only a leftover of this host and namespace whose process is gone
// can be known to be dead.
class StagingName {
public:
    static QByteArray owner();
    // The owner part found in a name (the first "<16 hex>-<digits>" in it)
    // belongs to this host and namespace and no such process runs.
    static bool ownerGone(const QByteArray& name);
};
