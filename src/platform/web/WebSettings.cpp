// The settings folder is mounted from the browser's IndexedDB by the page;
// what was written reaches the database only through a sync. The frame loop
// waits for it (ASYNCIFY), so a failure is known before the save returns.
#include <emscripten.h>

#include "platform/Folders.h"

// clang-format off
EM_ASYNC_JS(int, BrineholdSyncToStorage, (), {
    return await new Promise((resolve) => {
        FS.syncfs(false, (failure) => resolve(failure ? 1 : 0));
    });
});
// clang-format on

namespace platform {

bool KeepSettings(std::string& error) {
    if (BrineholdSyncToStorage() != 0) {
        error = "the browser's storage refused the settings";
        return false;
    }
    return true;
}

} // namespace platform
