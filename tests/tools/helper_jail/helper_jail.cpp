// helper_jail: starts a program in a kernel that lacks what a helper shuts
// itself in with, so that tests see how the helper copes.
//   helper_jail --no-landlock PROGRAM [ARGUMENTS...]  Landlock is missing
//   helper_jail --no-seccomp PROGRAM [ARGUMENTS...]   no system-call filter can be installed
#include <seccomp.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>

int main(int argc, char** argv) {
  if (argc < 3 || (std::strcmp(argv[1], "--no-landlock") != 0 &&
                   std::strcmp(argv[1], "--no-seccomp") != 0)) {
    std::fprintf(stderr, "usage: helper_jail --no-landlock|--no-seccomp PROGRAM [ARGUMENTS...]\n");
    return 2;
  }
  scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ALLOW);
  if (std::strcmp(argv[1], "--no-landlock") == 0) {
    for (const int call : {SCMP_SYS(landlock_create_ruleset), SCMP_SYS(landlock_add_rule),
                           SCMP_SYS(landlock_restrict_self)})
      seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), call, 0);
  } else {
    seccomp_rule_add(filter, SCMP_ACT_ERRNO(EPERM), SCMP_SYS(seccomp), 0);
    seccomp_rule_add(filter, SCMP_ACT_ERRNO(EPERM), SCMP_SYS(prctl), 1,
                     SCMP_A0(SCMP_CMP_EQ, PR_SET_SECCOMP));
  }
  if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || seccomp_load(filter) != 0) {
    std::perror("helper_jail");
    return 1;
  }
  seccomp_release(filter);
  execv(argv[2], argv + 2);
  std::perror("helper_jail");
  return 1;
}
