#include "run.h"

#include "vistrel/platform/process.h"

namespace vistrel::wallpaper::detail {

bool RunChecked(const std::string& program, const std::vector<std::string>& arguments, std::string& error,
                std::string* output)
{
    int status = platform::RunProgram(program, arguments, output);
    if (status == 0)
        return true;
    if (status < 0)
        error = "Could not run \"" + program + "\"" +
                (platform::FindOnPath(program).empty() ? ": it was not found on PATH" : "");
    else
        error = "\"" + program + "\" failed with exit status " + std::to_string(status);
    return false;
}

} // namespace vistrel::wallpaper::detail
