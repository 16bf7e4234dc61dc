// The display check over libxcb: one connection, opened and closed.
#include "displayCheck.h"

#include <xcb/xcb.h>

namespace {

const char* connectionError(int code) {
    switch (code) {
        case XCB_CONN_CLOSED_EXT_NOTSUPPORTED:
            return "the server lacks an extension the connection needs";
        case XCB_CONN_CLOSED_MEM_INSUFFICIENT:
            return "out of memory";
        case XCB_CONN_CLOSED_REQ_LEN_EXCEED:
            return "a request was too long";
        case XCB_CONN_CLOSED_PARSE_ERR:
            return "the display name cannot be read";
        case XCB_CONN_CLOSED_INVALID_SCREEN:
            return "the server has no such screen";
        default:
            return "no X server answers there, or it refused the connection";
    }
}

}  // namespace

bool displayCanOpen(const std::string& display, std::string& why) {
    why.clear();
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const int error = xcb_connection_has_error(connection);
    // A failed connection is an error object that must be freed all the same.
    xcb_disconnect(connection);
    if (error == 0) return true;
    why = connectionError(error);
    return false;
}
