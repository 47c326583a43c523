#include "recording/hook_event.h"

namespace orv {

int RowButtonOfMouseMessage(std::uint32_t message) {
    switch (message) {
        case 0x0201:
            return 1;  // WM_LBUTTONDOWN
        case 0x0204:
            return 2;  // WM_RBUTTONDOWN
        case 0x0207:
            return 3;  // WM_MBUTTONDOWN
        case 0x0202:   // WM_LBUTTONUP
        case 0x0205:   // WM_RBUTTONUP
        case 0x0208:
            return -1;  // WM_MBUTTONUP
        default:
            return 0;
    }
}

}  // namespace orv
