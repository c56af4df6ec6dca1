#pragma once

#include <cstdint>
#include <string>

struct xcb_connection_t;

namespace veltara::test {

// A client of the X server that the program under test shows its window on: it sees a window appear,
// as the user does, and closes it as a window manager does when the user clicks the close button.
class XClient {
public:
    explicit XClient(const std::string& display);
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    // The mapped and viewable window titled `title` (a window manager's frame may hold it), 0 while
    // there is none.
    std::uint32_t shownWindow(const std::string& title);
    // Sends WM_DELETE_WINDOW.
    void close(std::uint32_t window);

private:
    std::uint32_t atom(const char* name);

    xcb_connection_t* m_connection = nullptr;
    std::uint32_t m_root = 0;
};

}  // namespace veltara::test
