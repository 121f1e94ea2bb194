#include "engine/WriteBatchingVfs.h"

#include <cstddef>
#include <cstring>
#include <sys/stat.h>
#ifdef __linux__
#include <fcntl.h>
#endif
#include <memory>
#include <mutex>
#include <new>
#include <sqlite3.h>
#include <utility>

namespace WriteBatchingVfs {

namespace {

// Applications' own file-control codes are above 100; SQLite's are below.
constexpr int BatchingControl = 0x54560001;
constexpr int DescriptorControl = 0x54560002;
// PRAGMA synchronous levels.
constexpr int NormalSync = 1;
constexpr int FullSync = 2;

// While batching, the system is asked to start writing the file to the disk after every so many
// bytes, instead of leaving it all to the sync at the commit: the disk then works while the
// rest is prepared. Only a start: the sync still waits for every byte, as before.
constexpr sqlite3_int64 WritebackBytes = 8 * 1024 * 1024;

sqlite3_vfs *platform = nullptr; // the VFS this one passes through to
sqlite3_vfs vfs {};

// A main database file: ours first, the platform's file after it in the same allocation.
struct File
{
    sqlite3_file base;
    sqlite3_file *real = nullptr;
    std::unique_ptr<char[]> gathered; // BatchBytes while batching
    sqlite3_int64 start = 0; // where the gathered bytes go in the file
    int length = 0;
    int descriptor = -1; // the platform file's, when known: it is open as long as the file is
    sqlite3_int64 unstarted = 0; // bytes written since the system was last asked to write back
};

// The descriptor the platform VFS gets from the system while this thread opens a file: the
// platform VFS lets its system calls be replaced, and "open" is replaced by one that notes it.
using OpenCall = int (*)(const char *path, int flags, int mode);
OpenCall platformOpen = nullptr;
thread_local int *openedDescriptor = nullptr;

int notingOpen(const char *path, int flags, int mode)
{
    const int fd = platformOpen(path, flags, mode);
    if (openedDescriptor)
        *openedDescriptor = fd; // the last one: the platform VFS drops descriptors 0 to 2
    return fd;
}

void noteOpening()
{
    if (platform->iVersion < 3 || !platform->xGetSystemCall || !platform->xSetSystemCall)
        return;
    platformOpen = reinterpret_cast<OpenCall>(platform->xGetSystemCall(platform, "open"));
    if (platformOpen)
        platform->xSetSystemCall(platform, "open", reinterpret_cast<sqlite3_syscall_ptr>(notingOpen));
}

// Whether the descriptor noted is the named file's: another file opened on the way would be
// asked to write back for nothing.
bool isDescriptorOf(int fd, const char *name)
{
    struct stat opened;
    struct stat named;
    return fd >= 0 && name && ::fstat(fd, &opened) == 0 && ::stat(name, &named) == 0
        && opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

void startWriteback(File *f, int amount)
{
#ifdef __linux__
    f->unstarted += amount;
    if (f->descriptor < 0 || f->unstarted < WritebackBytes)
        return;
    f->unstarted = 0;
    ::sync_file_range(f->descriptor, 0, 0, SYNC_FILE_RANGE_WRITE);
#else
    (void)f;
    (void)amount;
#endif
}

constexpr size_t RealOffset = (sizeof(File) + alignof(std::max_align_t) - 1)
    / alignof(std::max_align_t) * alignof(std::max_align_t);

File *fileOf(sqlite3_file *p)
{
    return reinterpret_cast<File *>(p);
}

const sqlite3_io_methods &realMethods(File *f)
{
    return *f->real->pMethods;
}

// A write while batching.
int writeOut(File *f, const void *data, int amount, sqlite3_int64 offset)
{
    const int rc = realMethods(f).xWrite(f->real, data, amount, offset);
    if (rc == SQLITE_OK)
        startWriteback(f, amount);
    return rc;
}

int flush(File *f)
{
    if (f->length == 0)
        return SQLITE_OK;
    const int length = std::exchange(f->length, 0);
    return writeOut(f, f->gathered.get(), length, f->start);
}

int fileClose(sqlite3_file *p)
{
    File *f = fileOf(p);
    const int flushed = flush(f);
    const int closed = realMethods(f).xClose(f->real);
    f->~File();
    return flushed != SQLITE_OK ? flushed : closed;
}

int fileRead(sqlite3_file *p, void *data, int amount, sqlite3_int64 offset)
{
    File *f = fileOf(p);
    if (f->length > 0 && offset < f->start + f->length && offset + amount > f->start) {
        if (const int rc = flush(f); rc != SQLITE_OK)
            return rc;
    }
    return realMethods(f).xRead(f->real, data, amount, offset);
}

int fileWrite(sqlite3_file *p, const void *data, int amount, sqlite3_int64 offset)
{
    File *f = fileOf(p);
    if (!f->gathered)
        return realMethods(f).xWrite(f->real, data, amount, offset);
    const bool follows = f->length > 0 && offset == f->start + f->length;
    const bool direct = amount >= DirectBytes;
    if (f->length > 0 && (!follows || direct || f->length + amount > BatchBytes)) {
        if (const int rc = flush(f); rc != SQLITE_OK)
            return rc;
    }
    if (direct)
        return writeOut(f, data, amount, offset);
    if (f->length == 0)
        f->start = offset;
    std::memcpy(f->gathered.get() + f->length, data, size_t(amount));
    f->length += amount;
    return SQLITE_OK;
}

// The calls below that let SQLite or another program rely on the file's contents write what was
// gathered first.
int fileTruncate(sqlite3_file *p, sqlite3_int64 size)
{
    File *f = fileOf(p);
    const int rc = flush(f);
    return rc != SQLITE_OK ? rc : realMethods(f).xTruncate(f->real, size);
}

int fileSync(sqlite3_file *p, int flags)
{
    File *f = fileOf(p);
    const int rc = flush(f);
    return rc != SQLITE_OK ? rc : realMethods(f).xSync(f->real, flags);
}

int fileSize(sqlite3_file *p, sqlite3_int64 *size)
{
    File *f = fileOf(p);
    const int rc = flush(f);
    return rc != SQLITE_OK ? rc : realMethods(f).xFileSize(f->real, size);
}

int fileLock(sqlite3_file *p, int level)
{
    File *f = fileOf(p);
    return realMethods(f).xLock(f->real, level);
}

int fileUnlock(sqlite3_file *p, int level)
{
    File *f = fileOf(p);
    const int rc = flush(f);
    return rc != SQLITE_OK ? rc : realMethods(f).xUnlock(f->real, level);
}

int fileCheckReservedLock(sqlite3_file *p, int *reserved)
{
    File *f = fileOf(p);
    return realMethods(f).xCheckReservedLock(f->real, reserved);
}

int setGathering(File *f, bool on)
{
    if (on && !f->gathered)
        f->gathered = std::make_unique<char[]>(BatchBytes);
    if (on)
        return SQLITE_OK;
    const int rc = flush(f);
    f->gathered.reset();
    return rc;
}

int fileControl(sqlite3_file *p, int op, void *arg)
{
    File *f = fileOf(p);
    if (op == BatchingControl)
        return setGathering(f, *static_cast<int *>(arg) != 0);
    if (op == DescriptorControl) {
        *static_cast<int *>(arg) = f->descriptor;
        return SQLITE_OK;
    }
    // Told before every batch of pages: only lets the file grow in advance.
    if (op == SQLITE_FCNTL_SIZE_HINT)
        return realMethods(f).xFileControl(f->real, op, arg);
    const int rc = flush(f);
    return rc != SQLITE_OK ? rc : realMethods(f).xFileControl(f->real, op, arg);
}

int fileSectorSize(sqlite3_file *p)
{
    File *f = fileOf(p);
    return realMethods(f).xSectorSize(f->real);
}

int fileDeviceCharacteristics(sqlite3_file *p)
{
    File *f = fileOf(p);
    return realMethods(f).xDeviceCharacteristics(f->real);
}

int fileShmMap(sqlite3_file *p, int region, int size, int extend, void volatile **memory)
{
    File *f = fileOf(p);
    return realMethods(f).xShmMap(f->real, region, size, extend, memory);
}

int fileShmLock(sqlite3_file *p, int offset, int n, int flags)
{
    File *f = fileOf(p);
    const int rc = flush(f);
    return rc != SQLITE_OK ? rc : realMethods(f).xShmLock(f->real, offset, n, flags);
}

void fileShmBarrier(sqlite3_file *p)
{
    File *f = fileOf(p);
    realMethods(f).xShmBarrier(f->real);
}

int fileShmUnmap(sqlite3_file *p, int deleteFlag)
{
    File *f = fileOf(p);
    return realMethods(f).xShmUnmap(f->real, deleteFlag);
}

int fileFetch(sqlite3_file *p, sqlite3_int64 offset, int amount, void **memory)
{
    File *f = fileOf(p);
    *memory = nullptr;
    const int rc = flush(f);
    if (rc != SQLITE_OK || realMethods(f).iVersion < 3)
        return rc;
    return realMethods(f).xFetch(f->real, offset, amount, memory);
}

int fileUnfetch(sqlite3_file *p, sqlite3_int64 offset, void *memory)
{
    File *f = fileOf(p);
    if (realMethods(f).iVersion < 3)
        return SQLITE_OK;
    return realMethods(f).xUnfetch(f->real, offset, memory);
}

const sqlite3_io_methods methods
    = {3, fileClose, fileRead, fileWrite, fileTruncate, fileSync, fileSize, fileLock, fileUnlock,
        fileCheckReservedLock, fileControl, fileSectorSize, fileDeviceCharacteristics, fileShmMap,
        fileShmLock, fileShmBarrier, fileShmUnmap, fileFetch, fileUnfetch};

int open(sqlite3_vfs *, const char *name, sqlite3_file *p, int flags, int *outFlags)
{
    // Only a main database file and its log are wrapped; the others are the platform's files.
    if (!(flags & (SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_WAL)))
        return platform->xOpen(platform, name, p, flags, outFlags);
    File *f = new (p) File;
    f->base.pMethods = nullptr;
    f->real = reinterpret_cast<sqlite3_file *>(reinterpret_cast<char *>(p) + RealOffset);
    f->real->pMethods = nullptr;
    openedDescriptor = &f->descriptor;
    const int rc = platform->xOpen(platform, name, f->real, flags, outFlags);
    openedDescriptor = nullptr;
    if (!isDescriptorOf(f->descriptor, name))
        f->descriptor = -1;
    // SQLite closes a file whose methods are set, even after a failed open.
    if (f->real->pMethods)
        f->base.pMethods = &methods;
    else
        f->~File();
    return rc;
}

void registerOnce()
{
    platform = sqlite3_vfs_find(nullptr);
    vfs = *platform;
    vfs.zName = "tabvale-batching";
    vfs.szOsFile = int(RealOffset) + platform->szOsFile;
    vfs.pNext = nullptr;
    vfs.xOpen = open;
    noteOpening();
    sqlite3_vfs_register(&vfs, 0);
}

} // namespace

const char *name()
{
    static std::once_flag registered;
    std::call_once(registered, registerOnce);
    return vfs.zName;
}

int descriptorOf(sqlite3 *db)
{
    int fd = -1;
    sqlite3_file_control(db, "main", DescriptorControl, &fd);
    return fd;
}

bool setBatching(sqlite3 *db, bool on)
{
    int synchronous = 0;
    if (on) {
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA main.synchronous", -1, &s, nullptr);
        if (s && sqlite3_step(s) == SQLITE_ROW)
            synchronous = sqlite3_column_int(s, 0);
        sqlite3_finalize(s);
        if (synchronous < NormalSync)
            return false;
    }
    int arg = on ? 1 : 0;
    if (sqlite3_file_control(db, "main", BatchingControl, &arg) != SQLITE_OK)
        return false;
    // The log of a database in WAL mode (a rollback journal is not ours): other connections see
    // its new frames once the commit has recorded them in the shared index, which happens after
    // the log is synced only when the connection syncs in full.
    sqlite3_file *journal = nullptr;
    sqlite3_file_control(db, "main", SQLITE_FCNTL_JOURNAL_POINTER, &journal);
    if (journal && journal->pMethods == &methods)
        setGathering(fileOf(journal), on && synchronous >= FullSync);
    return on;
}

} // namespace WriteBatchingVfs
