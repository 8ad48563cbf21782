// SPDX-License-Identifier: GPL-3.0-or-later
#include "vistrel/core/instance_guard.h"

namespace vistrel {

std::string CInstanceGuard::GuardName(std::string_view documentString)
{
    return std::string(documentString.substr(0, documentString.find('\n'))) + " Class";
}

bool CInstanceGuard::Acquire(std::string_view documentString) { return Acquire(documentString, {}); }

bool CInstanceGuard::Acquire(std::string_view documentString, std::string_view handOver)
{
    name_ = GuardName(documentString);
    auto lock = std::make_unique<platform::InstanceLock>(name_);
    if (!lock->Acquire()) {
        lock->AskHolderToRaise(handOver);
        return false;
    }
    lock_ = std::move(lock);
    return true;
}

} // namespace vistrel
