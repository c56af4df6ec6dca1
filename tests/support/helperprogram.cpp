#include "helperprogram.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace veltara::test {

namespace fs = std::filesystem;

namespace {

const passwd* nobody() {
    return ::getpwnam("nobody");
}

std::string findRunuser() {
    for (const char* path : {"/usr/sbin/runuser", "/sbin/runuser", "/usr/bin/runuser", "/bin/runuser"}) {
        if (::access(path, X_OK) == 0) {
            return path;
        }
    }
    return {};
}

}  // namespace

void printMessages(const char* phase, FakeMessageBoxes& messages) {
    for (const auto& m : messages.shown) {
        std::printf("%s\t%s\t%s\n", phase, m.title.c_str(), m.text.c_str());
    }
    messages.clear();
}

bool enterDirectory(const char* directory) {
    std::error_code ec;
    fs::current_path(directory, ec);
    if (ec) {
        std::fprintf(stderr, "%s: %s\n", directory, ec.message().c_str());
        return false;
    }
    return true;
}

UnprivilegedHelper::UnprivilegedHelper(const fs::path& program) : m_program(program) {
    if (::geteuid() != 0) {
        return;
    }
    m_runuser = findRunuser();
    if (m_runuser.empty()) {
        m_problem = "running as root, and runuser (util-linux) is missing: nobody cannot be tried";
        return;
    }
    if (nobody() == nullptr) {
        m_problem = "running as root, and there is no user nobody";
        return;
    }
    // The temporary folder, like the tests' own folders there, must be one that others can enter.
    const fs::path temp = fs::temp_directory_path();
    std::string pattern = (temp / "veltara-helper-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        m_problem = "cannot make a scratch folder in " + temp.string() + ": " + std::strerror(errno);
        return;
    }
    m_scratch = pattern;
    m_program = m_scratch / program.filename();
    std::error_code ec;
    fs::copy_file(program, m_program, ec);
    if (!ec) {
        fs::permissions(m_scratch, fs::perms(0755), ec);
    }
    if (!ec) {
        fs::permissions(m_program, fs::perms(0755), ec);
    }
    if (ec) {
        m_problem = "cannot copy " + program.string() + " to " + m_scratch.string() + ": " + ec.message();
    }
}

UnprivilegedHelper::~UnprivilegedHelper() {
    if (!m_scratch.empty()) {
        std::error_code ec;
        fs::remove_all(m_scratch, ec);
    }
}

std::vector<std::string> UnprivilegedHelper::command(const std::vector<std::string>& args) const {
    std::vector<std::string> argv;
    if (!m_runuser.empty()) {
        argv = {m_runuser, "-u", "nobody", "--"};
    }
    argv.push_back(m_program.string());
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}

ScopedUnprivileged::ScopedUnprivileged() {
    if (::geteuid() != 0) {
        return;
    }
    const passwd* user = nobody();
    if (user == nullptr) {
        m_problem = "running as root, and there is no user nobody";
        return;
    }
    if (::setegid(user->pw_gid) != 0 || ::seteuid(user->pw_uid) != 0) {
        m_problem = std::string("cannot act as nobody: ") + std::strerror(errno);
        if (::setegid(0) != 0) {
            std::abort();
        }
        return;
    }
    m_switched = true;
}

ScopedUnprivileged::~ScopedUnprivileged() {
    if (m_switched) {
        // Back to root: the user first, as only root may set the group. A test process that stays nobody
        // would fail every later test for the wrong reason; better to stop here.
        if (::seteuid(0) != 0 || ::setegid(0) != 0) {
            std::abort();
        }
    }
}

}  // namespace veltara::test
