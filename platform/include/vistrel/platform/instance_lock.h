// SPDX-License-Identifier: GPL-3.0-or-later
// One running copy per program and desktop session.
//
// Windows: a named mutex, as the original did. Elsewhere: an exclusive lock
// on a file named after the guard in the runtime folder, held for the life
// of the process (the system drops it when the process ends, however it
// ends), plus a local socket beside it through which a second copy asks the
// first to come to the front.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel::platform {

class InstanceLock {
public:
    explicit InstanceLock(std::string name);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this copy now holds the name; false when another copy holds it.
    bool Acquire();
    bool Held() const;

    // Asks the copy that holds the name to come to the front. False when it
    // cannot be reached (it may not listen, as the scheduler does not).
    bool AskHolderToRaise() const;
    // The same, handing `message` (a command line, say; at most 64 KiB) to
    // the holder with the request. Where requests carry no text (Windows,
    // which raises the holder's window directly) the message is dropped.
    bool AskHolderToRaise(std::string_view message) const;

    // The holder's side: a descriptor that becomes readable when another copy
    // asks (-1 where there is none), and the call that takes the request.
    // Returns true when a raise was asked.
    int RaiseRequestDescriptor() const;
    bool TakeRaiseRequest();
    // The same, appending the message of every request taken to `messages`
    // (an empty text for a request that brought none).
    bool TakeRaiseRequest(std::vector<std::string>& messages);

    // Starts listening for raise requests (after Acquire succeeded).
    bool Listen();

    const std::string& Name() const { return name_; }

private:
    struct State;
    std::string name_;
    std::unique_ptr<State> state_;
};

} // namespace vistrel::platform
