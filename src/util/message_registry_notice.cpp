#include "util/message_registry_notice.h"

#include "platform/registry_database.h"
#include "util/message_box.h"

namespace zr {

void ShowRegistryNoticesInMessageBoxes()
{
    // No beep here: the warning box itself does not read the settings again
    // while the database is being opened.
    platform::SetRegistryNoticeHandler([](const std::string &message) {
        ShowMessageBoxAt(nullptr, message, mtWarning, mbOKOnly, 0, -1, -1);
    });
}

}  // namespace zr
