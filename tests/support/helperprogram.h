#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "fakes.h"

namespace veltara::test {

// The small programs that tests run as another user (or kill mid-way) report on stdout, a line for each
// message shown: "PHASE<tab>TITLE<tab>TEXT". The messages are cleared, so each phase prints its own.
void printMessages(const char* phase, FakeMessageBoxes& messages);

// Makes `directory` the current one, as the program is started there; says why not on stderr.
bool enterDirectory(const char* directory);

// Runs a helper program as a user whom file and device modes hold back. Root is never held back, so as
// root the program runs as nobody, through runuser, from a copy in a scratch folder nobody can reach: the
// build tree may sit in a folder only its owner can enter (a home folder, a mktemp -d folder). Any other
// user is held back already and runs the program where it is. When this cannot be arranged, problem()
// says why and the test fails on it: a test that needs another user never quietly passes without one.
class UnprivilegedHelper {
public:
    explicit UnprivilegedHelper(const std::filesystem::path& program);
    ~UnprivilegedHelper();
    UnprivilegedHelper(const UnprivilegedHelper&) = delete;
    UnprivilegedHelper& operator=(const UnprivilegedHelper&) = delete;

    // Empty when the program can be run; otherwise why not.
    const std::string& problem() const { return m_problem; }
    // The command line that runs the program with `args`.
    std::vector<std::string> command(const std::vector<std::string>& args) const;

private:
    std::filesystem::path m_scratch;
    std::filesystem::path m_program;
    std::string m_runuser;
    std::string m_problem;
};

// While alive, this process acts as nobody when it runs as root (its effective user and group only, so
// the destructor can return to root); any other user stays who it is. problem() says why a switch failed.
class ScopedUnprivileged {
public:
    ScopedUnprivileged();
    ~ScopedUnprivileged();
    ScopedUnprivileged(const ScopedUnprivileged&) = delete;
    ScopedUnprivileged& operator=(const ScopedUnprivileged&) = delete;

    const std::string& problem() const { return m_problem; }

private:
    bool m_switched = false;
    std::string m_problem;
};

}  // namespace veltara::test
