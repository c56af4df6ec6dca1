#include "recordfile.h"

// What the settings file is on every platform; opening, reading, writing and closing are the back
// ends' (recordfile_unix.cpp, recordfile_win.cpp).
namespace veltara::platform {

RecordFile::RecordFile(std::string path, bool readOnly)
    : m_path(std::move(path)), m_readOnlyRequested(readOnly) {}

RecordFile::~RecordFile() {
    (void)close();
}

std::string RecordFile::displayName() const {
    return m_absolutePath.empty() ? m_path : m_absolutePath;
}

core::Error RecordFile::notOpen() {
    return {core::ErrorCode::NotOpen, "the file is not open"};
}

}  // namespace veltara::platform
