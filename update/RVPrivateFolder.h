#pragma once

#include <QTemporaryDir>

#include <memory>

// A new folder only this user can enter (mode 0700, random name) in the system's temporary
// folder, removed with the returned object. Downloaded archives are kept and unpacked there, so
// no other local user can plant a file or link under a name the updater is about to use.
// Null, with the reason logged, when no such folder can be made (such as TMPDIR naming a
// missing folder).
std::unique_ptr<QTemporaryDir> makePrivateTemporaryFolder();
