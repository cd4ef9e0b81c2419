#include "ControllerHooks.h"
#include "StartupHooks.h"

namespace tavora {

ControllerHooks& ControllerHooks::get() {
    static ControllerHooks hooks;
    return hooks;
}

StartupHooks& StartupHooks::get() {
    static StartupHooks hooks;
    return hooks;
}

}  // namespace tavora
