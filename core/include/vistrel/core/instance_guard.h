// SPDX-License-Identifier: GPL-3.0-or-later
// One running copy of each program. The guard's name is the first line of
// the program's document string followed by " Class": "Vistrel Class" for the
// list manager, " Class" for the scheduler, which carries no such string; so
// the two programs never block each other.
#pragma once

#include "vistrel/platform/instance_lock.h"

#include <memory>
#include <string>
#include <string_view>

namespace vistrel {

// The list manager's document string: title, document name, new-document
// name, filter name, extension, file type, file type description.
inline constexpr std::string_view kDocumentString =
    "Vistrel\n\nVistre\nVistrel Project\n.vist\nVistrel.Document\nVistre Document";

class CInstanceGuard {
public:
    // `documentString`: the program's document string, empty when it has none.
    // True when this copy may run; false when another copy runs, which was
    // asked to come to the front.
    bool Acquire(std::string_view documentString);
    // The same; a copy that must end hands `handOver` (its command line, for
    // example) to the running copy with the request to come to the front.
    bool Acquire(std::string_view documentString, std::string_view handOver);

    const std::string& Name() const { return name_; }
    platform::InstanceLock* Lock() { return lock_.get(); }

    static std::string GuardName(std::string_view documentString);

private:
    std::string name_;
    std::unique_ptr<platform::InstanceLock> lock_;
};

} // namespace vistrel
