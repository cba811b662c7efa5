/*
 * slowfs: mirrors a folder through FUSE and plays a slow or stalled disk, so
 * that tests can see how the program copes with reads and writes that take
 * long or never end.
 *
 *   slowfs <source-folder> <mount-point> [--delay-ms N] [--op-delay-ms N]
 *          [--stuck-when-killed] [--writable] [FUSE options]
 *
 * The mirror is read-only unless --writable: then files can be created,
 * written, truncated, renamed, removed, flushed, synced and have their mode
 * and times set, all in the source folder, as a share that takes writes.
 * Every read, and every write, answers only after N milliseconds (--delay-ms,
 * 300 by default); every other call too with --op-delay-ms (a network share's
 * round trip). A read or write of a file whose name contains "stall" never
 * answers, nor does a look-up of a name that contains "deadstat", nor a
 * listing of a folder whose name contains "deadlist" (a share that stopped).
 * A look-up of a name that contains "denied" is refused, as a share refuses
 * what the user may not see. A call that never answers ends when slowfs
 * exits, or, unless --stuck-when-killed, when its caller is being killed;
 * with --stuck-when-killed a killed caller stays stuck in the kernel until
 * slowfs ends, as over a hard-mounted dead share.
 */
#define FUSE_USE_VERSION 31
#define _GNU_SOURCE

#include <fuse.h>
#include <fuse_lowlevel.h>

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

static const char* source_root; /* absolute, so that daemonizing (cd /) does not matter */
static unsigned delay_ms = 300;
static unsigned op_delay_ms = 0;
static int stuck_when_killed = 0;
static int writable = 0;

/* The path in the source folder of a path in the file system ("/a/b"). */
static int source_path(const char* path, char* out) {
  int length = snprintf(out, PATH_MAX, "%s%s", source_root, path);
  return (length < 0 || length >= PATH_MAX) ? -ENAMETOOLONG : 0;
}

static void sleep_ms(unsigned ms) {
  struct timespec left = {ms / 1000, (long)(ms % 1000) * 1000000L};
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

static int name_has(const char* path, const char* word) {
  const char* slash = strrchr(path, '/');
  return strstr(slash != NULL ? slash + 1 : path, word) != NULL;
}

/* Whether a thread is being killed: a fatal signal puts SIGKILL among the
 * pending signals of every thread of the process. A gone thread counts too. */
static int is_dying(pid_t thread) {
  char name[64];
  snprintf(name, sizeof name, "/proc/%d/status", (int)thread);
  FILE* status = fopen(name, "r");
  if (status == NULL)
    return 1;
  char line[256];
  unsigned long long pending = 0;
  while (fgets(line, sizeof line, status) != NULL) {
    if (sscanf(line, "SigPnd: %llx", &pending) == 1)
      break;
  }
  fclose(status);
  return (pending >> (SIGKILL - 1)) & 1;
}

/* Never answers, as a disk that stopped: waits until slowfs exits or the
 * reader is being killed (the kernel waits on the answer even then). */
static int stall(void) {
  struct fuse_context* context = fuse_get_context();
  struct fuse_session* session = fuse_get_session(context->fuse);
  while (!fuse_session_exited(session)) {
    if (!stuck_when_killed && is_dying(context->pid))
      return -EINTR;
    sleep_ms(100);
  }
  return -EIO;
}

static void* slowfs_init(struct fuse_conn_info* conn, struct fuse_config* config) {
  /* A listing names the entries and asks nothing of them: a look-up of one
   * dead file stalls that file alone, not every listing of its folder. */
  conn->want &= ~(unsigned)(FUSE_CAP_READDIRPLUS | FUSE_CAP_READDIRPLUS_AUTO);
  /* Ask the source every time: the mirror must follow it exactly. */
  config->entry_timeout = 0;
  config->attr_timeout = 0;
  config->negative_timeout = 0;
  return NULL;
}

static int slowfs_getattr(const char* path, struct stat* st, struct fuse_file_info* fi) {
  (void)fi;
  if (name_has(path, "deadstat"))
    return stall();
  if (name_has(path, "denied"))
    return -EACCES;
  sleep_ms(op_delay_ms);
  char real[PATH_MAX];
  int error = source_path(path, real);
  if (error != 0)
    return error;
  return lstat(real, st) == 0 ? 0 : -errno;
}

static int slowfs_readlink(const char* path, char* buffer, size_t size) {
  sleep_ms(op_delay_ms);
  char real[PATH_MAX];
  int error = source_path(path, real);
  if (error != 0)
    return error;
  ssize_t length = readlink(real, buffer, size - 1);
  if (length < 0)
    return -errno;
  buffer[length] = '\0';
  return 0;
}

static int slowfs_readdir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t offset,
                          struct fuse_file_info* fi, enum fuse_readdir_flags flags) {
  (void)offset;
  (void)fi;
  (void)flags;
  if (name_has(path, "deadlist"))
    return stall();
  sleep_ms(op_delay_ms);
  char real[PATH_MAX];
  int error = source_path(path, real);
  if (error != 0)
    return error;
  DIR* folder = opendir(real);
  if (folder == NULL)
    return -errno;
  struct dirent* entry;
  while ((entry = readdir(folder)) != NULL) {
    struct stat st;
    memset(&st, 0, sizeof st);
    st.st_ino = entry->d_ino;
    st.st_mode = (mode_t)DTTOIF(entry->d_type);
    if (fill(buffer, entry->d_name, &st, 0, 0) != 0)
      break;
  }
  closedir(folder);
  return 0;
}

static int slowfs_open(const char* path, struct fuse_file_info* fi) {
  if (!writable && (fi->flags & O_ACCMODE) != O_RDONLY)
    return -EROFS;
  sleep_ms(op_delay_ms);
  char real[PATH_MAX];
  int error = source_path(path, real);
  if (error != 0)
    return error;
  /* The kernel has made O_CREAT and O_TRUNC calls of their own. */
  int fd = open(real, fi->flags & ~(O_CREAT | O_EXCL | O_TRUNC | O_NOCTTY));
  if (fd < 0)
    return -errno;
  fi->fh = (uint64_t)fd;
  /* Past the page cache: each read() or write() of the caller is one here,
   * delayed on its own, and a second read of a file is as slow as the first. */
  fi->direct_io = 1;
  return 0;
}

static int slowfs_create(const char* path, mode_t mode, struct fuse_file_info* fi) {
  sleep_ms(op_delay_ms);
  char real[PATH_MAX];
  int error = source_path(path, real);
  if (error != 0)
    return error;
  int fd = open(real, fi->flags | O_CREAT, mode);
  if (fd < 0)
    return -errno;
  fi->fh = (uint64_t)fd;
  fi->direct_io = 1;
  return 0;
}

static int slowfs_read(const char* path, char* buffer, size_t size, off_t offset,
                       struct fuse_file_info* fi) {
  if (name_has(path, "stall"))
    return stall();
  sleep_ms(delay_ms > op_delay_ms ? delay_ms : op_delay_ms);
  ssize_t count = pread((int)fi->fh, buffer, size, offset);
  return count < 0 ? -errno : (int)count;
}

static int slowfs_write(const char* path, const char* buffer, size_t size, off_t offset,
                        struct fuse_file_info* fi) {
  if (name_has(path, "stall"))
    return stall();
  sleep_ms(delay_ms > op_delay_ms ? delay_ms : op_delay_ms);
  ssize_t count = pwrite((int)fi->fh, buffer, size, offset);
  return count < 0 ? -errno : (int)count;
}

static int slowfs_truncate(const char* path, off_t size, struct fuse_file_info* fi) {
  sleep_ms(op_delay_ms);
  if (fi != NULL)
    return ftruncate((int)fi->fh, size) == 0 ? 0 : -errno;
  char real[PATH_MAX];
  int error = source_path(path, real);
  if (error != 0)
    return error;
  return truncate(real, size) == 0 ? 0 : -errno;
}

static int slowfs_rename(const char* from, const char* to, unsigned int flags) {
  sleep_ms(op_delay_ms);
  char real_from[PATH_MAX];
  char real_to[PATH_MAX];
  int error = source_path(from, real_from);
  if (error == 0)
    error = source_path(to, real_to);
  if (error != 0)
    return error;
  return renameat2(AT_FDCWD, real_from, AT_FDCWD, real_to, flags) == 0 ? 0 : -errno;
}

static int slowfs_unlink(const char* path) {
  sleep_ms(op_delay_ms);
  char real[PATH_MAX];
  int error = source_path(path, real);
  if (error != 0)
    return error;
  return unlink(real) == 0 ? 0 : -errno;
}

static int slowfs_chmod(const char* path, mode_t mode, struct fuse_file_info* fi) {
  sleep_ms(op_delay_ms);
  if (fi != NULL)
    return fchmod((int)fi->fh, mode) == 0 ? 0 : -errno;
  char real[PATH_MAX];
  int error = source_path(path, real);
  if (error != 0)
    return error;
  return chmod(real, mode) == 0 ? 0 : -errno;
}

static int slowfs_utimens(const char* path, const struct timespec times[2],
                          struct fuse_file_info* fi) {
  sleep_ms(op_delay_ms);
  if (fi != NULL)
    return futimens((int)fi->fh, times) == 0 ? 0 : -errno;
  char real[PATH_MAX];
  int error = source_path(path, real);
  if (error != 0)
    return error;
  return utimensat(AT_FDCWD, real, times, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : -errno;
}

/* Called at each close() of the file: what the caller wrote is already in the
 * source's file, whose own close reports its late failures. */
static int slowfs_flush(const char* path, struct fuse_file_info* fi) {
  (void)path;
  sleep_ms(op_delay_ms);
  int copy = dup((int)fi->fh);
  if (copy < 0)
    return -errno;
  return close(copy) == 0 ? 0 : -errno;
}

static int slowfs_fsync(const char* path, int data_only, struct fuse_file_info* fi) {
  (void)path;
  sleep_ms(op_delay_ms);
  int result = data_only ? fdatasync((int)fi->fh) : fsync((int)fi->fh);
  return result == 0 ? 0 : -errno;
}

static int slowfs_getxattr(const char* path, const char* name, char* value, size_t size) {
  sleep_ms(op_delay_ms);
  char real[PATH_MAX];
  int error = source_path(path, real);
  if (error != 0)
    return error;
  ssize_t length = lgetxattr(real, name, value, size);
  return length < 0 ? -errno : (int)length;
}

static int slowfs_listxattr(const char* path, char* list, size_t size) {
  sleep_ms(op_delay_ms);
  char real[PATH_MAX];
  int error = source_path(path, real);
  if (error != 0)
    return error;
  ssize_t length = llistxattr(real, list, size);
  return length < 0 ? -errno : (int)length;
}

static int slowfs_release(const char* path, struct fuse_file_info* fi) {
  (void)path;
  close((int)fi->fh);
  return 0;
}

static const struct fuse_operations read_only_operations = {
    .getattr = slowfs_getattr,
    .readlink = slowfs_readlink,
    .open = slowfs_open,
    .read = slowfs_read,
    .release = slowfs_release,
    .readdir = slowfs_readdir,
    .getxattr = slowfs_getxattr,
    .listxattr = slowfs_listxattr,
    .init = slowfs_init,
};

/* The same, and the calls that change the source folder. */
static const struct fuse_operations writable_operations = {
    .getattr = slowfs_getattr,
    .readlink = slowfs_readlink,
    .open = slowfs_open,
    .read = slowfs_read,
    .release = slowfs_release,
    .readdir = slowfs_readdir,
    .getxattr = slowfs_getxattr,
    .listxattr = slowfs_listxattr,
    .init = slowfs_init,
    .create = slowfs_create,
    .write = slowfs_write,
    .truncate = slowfs_truncate,
    .rename = slowfs_rename,
    .unlink = slowfs_unlink,
    .chmod = slowfs_chmod,
    .utimens = slowfs_utimens,
    .flush = slowfs_flush,
    .fsync = slowfs_fsync,
};

static int usage(const char* program) {
  fprintf(stderr,
          "usage: %s <source-folder> <mount-point> [--delay-ms N] [--op-delay-ms N]\n"
          "       [--stuck-when-killed] [--writable] [FUSE options, e.g. -f]\n",
          program);
  return 2;
}

static int parse_delay(const char* text, unsigned* delay) {
  char* end;
  errno = 0;
  unsigned long value = strtoul(text, &end, 10);
  if (*text == '\0' || *end != '\0' || errno != 0 || value > 3600000UL || text[0] == '-')
    return -1;
  *delay = (unsigned)value;
  return 0;
}

int main(int argc, char* argv[]) {
  char* folders[2] = {NULL, NULL};
  int folder_count = 0;
  char** options = calloc((size_t)argc, sizeof *options); /* the FUSE options given */
  if (options == NULL)
    return 1;
  int option_count = 0;
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "--delay-ms") == 0) {
      if (i + 1 >= argc || parse_delay(argv[++i], &delay_ms) != 0)
        return usage(argv[0]);
    } else if (strncmp(argv[i], "--delay-ms=", 11) == 0) {
      if (parse_delay(argv[i] + 11, &delay_ms) != 0)
        return usage(argv[0]);
    } else if (strcmp(argv[i], "--op-delay-ms") == 0) {
      if (i + 1 >= argc || parse_delay(argv[++i], &op_delay_ms) != 0)
        return usage(argv[0]);
    } else if (strcmp(argv[i], "--stuck-when-killed") == 0) {
      stuck_when_killed = 1;
    } else if (strcmp(argv[i], "--writable") == 0) {
      writable = 1;
    } else if (strcmp(argv[i], "-o") == 0 && i + 1 < argc) {
      options[option_count++] = argv[i];
      options[option_count++] = argv[++i];
    } else if (argv[i][0] == '-') {
      options[option_count++] = argv[i];
    } else if (folder_count < 2) {
      folders[folder_count++] = argv[i];
    } else {
      return usage(argv[0]);
    }
  }
  if (folder_count != 2)
    return usage(argv[0]);

  source_root = realpath(folders[0], NULL);
  struct stat st;
  if (source_root == NULL || stat(source_root, &st) != 0 || !S_ISDIR(st.st_mode)) {
    fprintf(stderr, "slowfs: %s is not a folder\n", folders[0]);
    return 1;
  }
  if (strcmp(source_root, "/") == 0)
    source_root = ""; /* paths from FUSE start with their own slash */

  /* FUSE sees: the program, the mount point, read-only or writable, then the
   * options given. max_idle_threads only quiets a false warning of libfuse
   * 3.14.0. */
  char** fuse_argv = calloc((size_t)option_count + 5, sizeof *fuse_argv);
  if (fuse_argv == NULL)
    return 1;
  fuse_argv[0] = argv[0];
  fuse_argv[1] = folders[1];
  fuse_argv[2] = "-o";
  fuse_argv[3] =
      writable
          ? "rw,default_permissions,fsname=slowfs,subtype=slowfs,max_idle_threads=16,max_threads=256"
          : "ro,default_permissions,fsname=slowfs,subtype=slowfs,max_idle_threads=16,max_threads=256";
  memcpy(fuse_argv + 4, options, (size_t)option_count * sizeof *options);
  return fuse_main(option_count + 4, fuse_argv,
                   writable ? &writable_operations : &read_only_operations, NULL);
}
