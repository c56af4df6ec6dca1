#include "xclient.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace veltara::test {

namespace {

template <typename Reply>
std::unique_ptr<Reply, decltype(&std::free)> owned(Reply* reply) {
    return {reply, &std::free};
}

}  // namespace

XClient::XClient(const std::string& display) : m_connection(xcb_connect(display.c_str(), nullptr)) {
    if (xcb_connection_has_error(m_connection) == 0) {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    }
}

XClient::~XClient() {
    xcb_disconnect(m_connection);
}

std::uint32_t XClient::shownWindow(const std::string& title) {
    std::vector<xcb_window_t> pending{m_root};
    while (m_root != 0 && !pending.empty() && xcb_connection_has_error(m_connection) == 0) {
        const xcb_window_t window = pending.back();
        pending.pop_back();
        const auto name = owned(xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
            nullptr));
        if (name && static_cast<std::size_t>(xcb_get_property_value_length(name.get())) == title.size() &&
            std::memcmp(xcb_get_property_value(name.get()), title.data(), title.size()) == 0) {
            const auto attributes = owned(xcb_get_window_attributes_reply(
                m_connection, xcb_get_window_attributes(m_connection, window), nullptr));
            return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE ? window : 0;
        }
        const auto tree =
            owned(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr));
        if (tree) {
            const xcb_window_t* children = xcb_query_tree_children(tree.get());
            pending.insert(pending.end(), children, children + xcb_query_tree_children_length(tree.get()));
        }
    }
    return 0;
}

void XClient::close(std::uint32_t window) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(m_connection, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    xcb_flush(m_connection);
}

std::uint32_t XClient::atom(const char* name) {
    const auto reply = owned(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    return reply ? reply->atom : std::uint32_t{XCB_ATOM_NONE};
}

}  // namespace veltara::test
