/* Preloaded into 32-bit Wine when it runs under qemu-user, on machines whose
 * kernel runs no 32-bit code itself (scripts/bootstrap.sh sets this up).
 *
 * At start 32-bit Wine reserves the address space with MAP_FIXED_NOREPLACE
 * mappings, halving every refused range down to 64 KiB. qemu-user 7.2 does not
 * honour that flag: it maps elsewhere, Wine counts it as refused, and the
 * halving runs to some 66,000 calls, nearly a minute per process. Refusing
 * those reservations here at once leaves Wine as it ends up anyway (nothing
 * reserved) in a millisecond. Every other mapping goes to the system. */
#define _GNU_SOURCE
#include <errno.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef MAP_FIXED_NOREPLACE
#define MAP_FIXED_NOREPLACE 0x100000
#endif

void *mmap64(void *address, size_t length, int protection, int flags, int fd, long long offset) {
    if ((flags & MAP_FIXED_NOREPLACE) && protection == PROT_NONE) {
        errno = EEXIST;
        return MAP_FAILED;
    }
    if (offset & 4095) {
        errno = EINVAL;
        return MAP_FAILED;
    }
    return (void *)syscall(SYS_mmap2, address, length, protection, flags, fd,
                           (unsigned long)(offset >> 12));
}

void *mmap(void *address, size_t length, int protection, int flags, int fd, long offset) {
    return mmap64(address, length, protection, flags, fd, offset);
}
