// SPDX-License-Identifier: GPL-3.0-or-later
// Some decoder libraries (libjxl) print their own diagnostics on standard
// error, before Vistrel has said anything about the file. While one of them
// decodes, file descriptor 2 goes to an anonymous file instead; what they
// said is handed to the caller, for the reason of a failure where it helps.
// Reads run one at a time in a program, so nothing else is lost meanwhile
// but what another thread writes there during the decode.
#pragma once

#include <cstdio>
#include <string>
#include <unistd.h>

namespace vistrel::photoload {

class StderrCapture {
public:
    StderrCapture()
    {
        std::fflush(stderr);
        saved_ = ::dup(2);
        if (std::FILE* f = std::tmpfile()) {
            file_ = f;
            if (saved_ >= 0)
                ::dup2(::fileno(f), 2);
        }
    }
    ~StderrCapture() { Take(); }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // Puts standard error back; what was said meanwhile (its first 4 KiB).
    std::string Take()
    {
        std::string said;
        if (saved_ >= 0) {
            std::fflush(stderr);
            ::dup2(saved_, 2);
            ::close(saved_);
            saved_ = -1;
        }
        if (file_) {
            std::rewind(file_);
            char buffer[4096];
            said.assign(buffer, std::fread(buffer, 1, sizeof buffer, file_));
            std::fclose(file_);
            file_ = nullptr;
        }
        return said;
    }

private:
    int saved_ = -1;
    std::FILE* file_ = nullptr;
};

// The text of the first "JXL_FAILURE: ..." line libjxl printed, or empty.
inline std::string FirstFailure(const std::string& said, const std::string& marker)
{
    std::size_t at = said.find(marker);
    if (at == std::string::npos)
        return {};
    at += marker.size();
    std::size_t end = said.find('\n', at);
    std::string line = said.substr(at, end == std::string::npos ? std::string::npos : end - at);
    return line.size() > 200 ? line.substr(0, 200) + "..." : line;
}

} // namespace vistrel::photoload
