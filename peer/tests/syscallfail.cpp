// Runs a program with one system call made to fail, for the tests of the
// launcher's socket failures, which no ordinary setting of a machine brings
// about:
//
//   peer_syscall_fails <socket|bind|getsockname|listen> <errno> program [args...]
//
// Every call of it in the program fails with the given error number
// (a seccomp filter, which exec keeps).
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <string_view>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#if defined(__x86_64__)
#define THIS_ARCH AUDIT_ARCH_X86_64
#elif defined(__aarch64__)
#define THIS_ARCH AUDIT_ARCH_AARCH64
#else
#error "no seccomp architecture for this machine"
#endif

namespace {

struct Call {
    std::string_view name;
    long number;
};

constexpr Call kCalls[] = {
    {"socket", SYS_socket},
    {"bind", SYS_bind},
    {"getsockname", SYS_getsockname},
    {"listen", SYS_listen},
};

}  // namespace

int main(int argc, char* argv[])
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: peer_syscall_fails <call> <errno> program [args...]\n");
        return 125;
    }
    long number = -1;
    for (const Call& call : kCalls) {
        if (call.name == argv[1])
            number = call.number;
    }
    const int error = std::atoi(argv[2]);
    if (number < 0 || error <= 0) {
        std::fprintf(stderr, "peer_syscall_fails: unknown call %s or error %s\n", argv[1], argv[2]);
        return 125;
    }
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, THIS_ARCH, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<unsigned>(number), 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (static_cast<unsigned>(error) & SECCOMP_RET_DATA)),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
        std::fprintf(stderr, "peer_syscall_fails: seccomp: %s\n", std::strerror(errno));
        return 125;
    }
    execv(argv[3], argv + 3);
    std::fprintf(stderr, "peer_syscall_fails: %s: %s\n", argv[3], std::strerror(errno));
    return 127;
}
