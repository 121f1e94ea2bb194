// Runs one maintenance command on a table, in a process of its own, and dies by SIGKILL where it
// is told to, as a kill or a crash could land: when the k-th SQL statement of the command is about
// to start, or the k-th write to a file (write, truncate, sync, delete) is about to happen, on any
// connection and any thread. Without a kill it prints how many of each the command made.
//
// tabvale-maintenance-child <compact|empty|restore|clear|delete> <alias> <table>
//                           [statement <k> | write <k>]          (TABVALE_ALIASES names the file)
#include "engine/EngineError.h"
#include "engine/TTable.h"
#include "engine/TableMaintenance.h"
#include "tests/engine/MaintenanceCommands.h"

#include <QCoreApplication>
#include <QStringList>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <sqlite3.h>

namespace {

std::atomic<bool> counting {false};
std::atomic<int> statements {0};
std::atomic<int> writes {0};
int killAtStatement = 0;
int killAtWrite = 0;

void step(std::atomic<int> &counter, int killAt)
{
    if (counting && ++counter == killAt)
        std::raise(SIGKILL);
}

int onStatement(unsigned, void *, void *, void *text)
{
    const char *sql = static_cast<const char *>(text);
    if (!(sql[0] == '-' && sql[1] == '-')) // a trigger's statements are part of their statement
        step(statements, killAtStatement);
    return 0;
}

int watchConnection(sqlite3 *db, char **, const sqlite3_api_routines *)
{
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT, onStatement, nullptr);
    return SQLITE_OK;
}

// A file system that counts the writes of the one below it, so a kill can land between any two.
sqlite3_vfs *lower = nullptr;
sqlite3_io_methods counted {};

struct CountedFile
{
    sqlite3_file base;
    sqlite3_file *real; // follows this struct in the same allocation
};

sqlite3_file *real(sqlite3_file *f)
{
    return reinterpret_cast<CountedFile *>(f)->real;
}

// Every method passes the call on to the file below; the writing ones count it first.
void makeCountedMethods(const sqlite3_io_methods *m)
{
    counted = *m;
    counted.xClose = [](sqlite3_file *x) {
        return real(x)->pMethods->xClose(real(x));
    };
    counted.xRead = [](sqlite3_file *x, void *b, int n, sqlite3_int64 o) {
        return real(x)->pMethods->xRead(real(x), b, n, o);
    };
    counted.xWrite = [](sqlite3_file *x, const void *b, int n, sqlite3_int64 o) {
        step(writes, killAtWrite);
        return real(x)->pMethods->xWrite(real(x), b, n, o);
    };
    counted.xTruncate = [](sqlite3_file *x, sqlite3_int64 size) {
        step(writes, killAtWrite);
        return real(x)->pMethods->xTruncate(real(x), size);
    };
    counted.xSync = [](sqlite3_file *x, int flags) {
        step(writes, killAtWrite);
        return real(x)->pMethods->xSync(real(x), flags);
    };
    counted.xFileSize = [](sqlite3_file *x, sqlite3_int64 *size) {
        return real(x)->pMethods->xFileSize(real(x), size);
    };
    counted.xLock = [](sqlite3_file *x, int l) {
        return real(x)->pMethods->xLock(real(x), l);
    };
    counted.xUnlock = [](sqlite3_file *x, int l) {
        return real(x)->pMethods->xUnlock(real(x), l);
    };
    counted.xCheckReservedLock = [](sqlite3_file *x, int *out) {
        return real(x)->pMethods->xCheckReservedLock(real(x), out);
    };
    counted.xFileControl = [](sqlite3_file *x, int op, void *arg) {
        return real(x)->pMethods->xFileControl(real(x), op, arg);
    };
    counted.xSectorSize = [](sqlite3_file *x) {
        return real(x)->pMethods->xSectorSize(real(x));
    };
    counted.xDeviceCharacteristics = [](sqlite3_file *x) {
        return real(x)->pMethods->xDeviceCharacteristics(real(x));
    };
    counted.xShmMap = [](sqlite3_file *x, int page, int size, int extend, void volatile **p) {
        return real(x)->pMethods->xShmMap(real(x), page, size, extend, p);
    };
    counted.xShmLock = [](sqlite3_file *x, int offset, int n, int flags) {
        return real(x)->pMethods->xShmLock(real(x), offset, n, flags);
    };
    counted.xShmBarrier = [](sqlite3_file *x) {
        real(x)->pMethods->xShmBarrier(real(x));
    };
    counted.xShmUnmap = [](sqlite3_file *x, int del) {
        return real(x)->pMethods->xShmUnmap(real(x), del);
    };
    counted.xFetch = [](sqlite3_file *x, sqlite3_int64 o, int n, void **p) {
        return real(x)->pMethods->xFetch(real(x), o, n, p);
    };
    counted.xUnfetch = [](sqlite3_file *x, sqlite3_int64 o, void *p) {
        return real(x)->pMethods->xUnfetch(real(x), o, p);
    };
}

int countedOpen(sqlite3_vfs *, sqlite3_filename name, sqlite3_file *file, int flags, int *outFlags)
{
    auto *f = reinterpret_cast<CountedFile *>(file);
    f->real = reinterpret_cast<sqlite3_file *>(f + 1);
    const int rc = lower->xOpen(lower, name, f->real, flags, outFlags);
    if (!f->real->pMethods) {
        file->pMethods = nullptr;
        return rc;
    }
    if (!counted.xClose)
        makeCountedMethods(f->real->pMethods);
    file->pMethods = &counted;
    return rc;
}

int countedDelete(sqlite3_vfs *, const char *name, int syncDir)
{
    step(writes, killAtWrite);
    return lower->xDelete(lower, name, syncDir);
}

void useCountingFileSystem()
{
    static sqlite3_vfs vfs;
    lower = sqlite3_vfs_find(nullptr);
    vfs = *lower;
    vfs.zName = "counted";
    vfs.szOsFile = int(sizeof(CountedFile)) + lower->szOsFile;
    vfs.pAppData = nullptr;
    vfs.xOpen = countedOpen;
    vfs.xDelete = countedDelete;
    vfs.xAccess = [](sqlite3_vfs *, const char *name, int flags, int *out) {
        return lower->xAccess(lower, name, flags, out);
    };
    vfs.xFullPathname = [](sqlite3_vfs *, const char *name, int n, char *out) {
        return lower->xFullPathname(lower, name, n, out);
    };
    sqlite3_vfs_register(&vfs, 1);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4 && args.size() != 6) {
        std::fputs("usage: tabvale-maintenance-child <command> <alias> <table> "
                   "[statement <k> | write <k>]\n",
            stderr);
        return 2;
    }
    if (args.size() == 6)
        (args[4] == u"write" ? killAtWrite : killAtStatement) = args[5].toInt();
    useCountingFileSystem();
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(watchConnection));
    try {
        TTable table;
        table.setDatabaseName(args[2]);
        table.setTableName(args[3]);
        table.open();
        counting = true;
        runMaintenanceCommand(args[1], table);
        counting = false;
    } catch (const EngineError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    std::printf("%d %d\n", statements.load(), writes.load());
    return 0;
}
