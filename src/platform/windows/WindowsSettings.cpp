#include "platform/Folders.h"

namespace platform {

bool KeepSettings(std::string&) {
    return true; // written files stay
}

} // namespace platform
