#include "support/EnvHooks.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <string>
#include <unistd.h>

#include "container/FileIO.h"
#include "container/kvx/Seam.h"

namespace ombrix::test {
namespace {

using fsio::Op;

[[noreturn]] void Malformed(const std::string& entry, const char* variable = "OMBRIX_TEST_AT") {
    std::fprintf(stderr, "%s: cannot use '%s'\n", variable, entry.c_str());
    std::exit(99);
}

Op OpNamed(const std::string& name, const std::string& entry) {
    const char* names[] = {"open", "read", "write", "flush", "sync", "close", "rename", "remove", "stat"};
    for (int i = 0; i < static_cast<int>(std::size(names)); ++i)
        if (name == names[i]) return static_cast<Op>(i);
    Malformed(entry);
}

void Install(const std::string& entry) {
    const auto first = entry.find(':'), second = entry.find(':', first + 1);
    const auto eq = entry.find('=', second + 1);
    if (first == std::string::npos || second == std::string::npos || eq == std::string::npos) Malformed(entry);
    const Op op = OpNamed(entry.substr(0, first), entry);
    const int n = std::atoi(entry.substr(first + 1, second - first - 1).c_str());
    const std::string action = entry.substr(second + 1, eq - second - 1), arg = entry.substr(eq + 1);
    if (n < 1 || arg.empty()) Malformed(entry);
    if (action == "raise") {
        const int sig = std::atoi(arg.c_str());
        fsio::AtNth(op, n, [sig] { std::raise(sig); });
    } else if (action == "fail") {
        fsio::FailNth(op, n, std::atoi(arg.c_str()));
    } else if (action == "create") {
        fsio::AtNth(op, n, [arg] {
            const int fd = ::open(arg.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (fd >= 0) ::close(fd);
        });
    } else {
        Malformed(entry);
    }
}

void SetKvxCost(const std::string& value) {
    unsigned ops = 0, kib = 0;
    char end = 0;
    if (std::sscanf(value.c_str(), "%u:%u%c", &ops, &kib, &end) != 2 || !kvx::Acceptable({ops, kib}))
        Malformed(value, "OMBRIX_TEST_KVX_COST");
    kvx::seam::SetNewContainerCost({ops, kib});
}

}  // namespace

void InstallHooksFromEnvironment() {
    if (const char* cost = std::getenv("OMBRIX_TEST_KVX_COST")) SetKvxCost(cost);
    const char* spec = std::getenv("OMBRIX_TEST_AT");
    if (!spec) return;
    std::istringstream in(spec);
    for (std::string entry; std::getline(in, entry, ';');)
        if (!entry.empty()) Install(entry);
}

}  // namespace ombrix::test
