// SPDX-License-Identifier: GPL-3.0-or-later
#include "message_box_sink.h"

#include "wide_text.h"

namespace vistrel::scheduler::win32 {

static_assert(VISTREL_MB_YESNO == MB_YESNO && VISTREL_MB_ICONHAND == MB_ICONHAND &&
              VISTREL_MB_ICONEXCLAMATION == MB_ICONEXCLAMATION && VISTREL_IDOK == IDOK && VISTREL_IDYES == IDYES);

int MessageBoxSink::Show(std::string_view text, std::string_view caption, unsigned style)
{
    // Task-modal and in front: the scheduler has no visible window to own it.
    return ::MessageBoxW(nullptr, Wide(text).c_str(), Wide(caption).c_str(),
                         style | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST);
}

} // namespace vistrel::scheduler::win32
