#include "common/file_open.h"

#include <cctype>
#include <cerrno>
#include <cstring>

#include "common/fatal_exit.h"

#if defined(SHEET_WINDOWS_SHARING)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sheet {
namespace {

OpenResult Failed(int error) {
  OpenResult result;
  result.error = error == ENOENT ? OpenError::not_found : OpenError::other;
  result.reason = ErrorText(error);
  return result;
}

OpenResult InUse() {
  OpenResult result;
  result.error = OpenError::in_use;
  result.reason = "in use by another program";
  return result;
}

#if !defined(SHEET_WINDOWS_SHARING)
// Reads and writes block as usual once the file is open. Returns an errno
// value, 0 on success; the descriptor is closed on failure.
int ClearNonBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0) return 0;
  const int error = errno;
  ::close(fd);
  return error;
}
#endif

#if defined(SHEET_WINDOWS_SHARING)

OpenResult OpenShared(const char* name, bool for_output) {
  const DWORD access = for_output ? GENERIC_WRITE : GENERIC_READ;
  const DWORD share = for_output ? 0 : FILE_SHARE_READ;
  const DWORD disposition = for_output ? CREATE_ALWAYS : OPEN_EXISTING;
  HANDLE handle = CreateFileA(name, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return InUse();
    return Failed(error == ERROR_FILE_NOT_FOUND ? ENOENT : EACCES);
  }
  OpenResult result;
  result.fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), for_output ? _O_WRONLY | _O_BINARY : _O_RDONLY | _O_BINARY);
  return result;
}

#else

int LockWithoutWaiting(int fd, int operation) {
  for (;;) {
    if (::flock(fd, operation | LOCK_NB) == 0) return 0;
    if (errno != EINTR) return errno;
  }
}

// Takes the lock on a freshly opened regular file, or closes it and says why
// not. Devices and pipes (an output linked to /dev/null, say) are not files
// that another program holds, and a lock on one would be shared by every
// program on the machine, so they are taken without a lock.
OpenResult Hold(int fd, int lock, bool empty_it) {
  struct stat status;
  const int unusable = ::fstat(fd, &status) != 0 ? errno : S_ISDIR(status.st_mode) ? EISDIR : 0;
  if (unusable != 0) {
    ::close(fd);
    return Failed(unusable);
  }
  if (S_ISREG(status.st_mode)) {
    if (const int error = LockWithoutWaiting(fd, lock)) {
      ::close(fd);
      return error == EWOULDBLOCK ? InUse() : Failed(error);
    }
    if (empty_it && ::ftruncate(fd, 0) != 0) {
      const int error = errno;
      ::close(fd);
      return Failed(error);
    }
  }
  OpenResult result;
  result.fd = fd;
  return result;
}

#endif

}  // namespace

OpenResult TryOpenInput(const char* name) {
#if defined(SHEET_WINDOWS_SHARING)
  return OpenShared(name, false);
#else
  // Not blocking on the open: a FIFO with no writer would wait forever.
  const int fd = ::open(name, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return Failed(errno);
  if (const int error = ClearNonBlocking(fd)) return Failed(error);
  return Hold(fd, LOCK_SH, false);
#endif
}

OpenResult TryOpenOutput(const char* name) {
#if defined(SHEET_WINDOWS_SHARING)
  return OpenShared(name, true);
#else
  // Not O_TRUNC: the file is emptied only once the lock is held.
  // Not blocking on the open: a FIFO with no reader fails (ENXIO) instead of
  // waiting forever.
  const int fd = ::open(name, O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
  if (fd < 0) return Failed(errno);
  if (const int error = ClearNonBlocking(fd)) return Failed(error);
  return Hold(fd, LOCK_EX, true);
#endif
}

int OpenInput(const char* name) {
  OpenResult result = TryOpenInput(name);
  if (result.fd < 0) FatalExit({name, 0, 0, "cannot open for reading: " + result.reason});
  return result.fd;
}

int OpenOutput(const char* name) {
  OpenResult result = TryOpenOutput(name);
  if (result.fd < 0) FatalExit({name, 0, 0, "cannot open for writing: " + result.reason});
  return result.fd;
}

}  // namespace sheet
