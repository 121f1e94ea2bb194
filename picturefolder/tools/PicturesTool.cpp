// tabvale-pictures: a picture field to and from a folder, for scripts. Never asks anything.
#include "engine/CheckpointDeferred.h"
#include "engine/Engine.h"
#include "engine/EngineError.h"
#include "picturefolder/LoadPlan.h"
#include "picturefolder/LoadUndo.h"
#include "picturefolder/PictureColumns.h"
#include "picturefolder/PictureExport.h"
#include "picturefolder/PictureLoad.h"
#include "translations/MessageLanguage.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

namespace {

// Scripts read the exit code: 0 done, 1 refused or failed, 2 wrong arguments, 3 an export that
// left pictures out (existing files skipped, unreadable values).
constexpr int Failed = 1;
constexpr int Usage = 2;
constexpr int LeftOut = 3;

// The tool's texts, in one translation context.
struct PicturesTool
{
    Q_DECLARE_TR_FUNCTIONS(PicturesTool)
};

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

int usage()
{
    err() << PicturesTool::tr(
        "Usage:\n"
        "  tabvale-pictures export ALIAS TABLE FIELD --name-by FIELD DIR "
        "[--overwrite|--keep-both]\n"
        "      writes every picture of FIELD as a file in DIR, named by the --name-by field.\n"
        "      A file that exists already is skipped and listed, unless --overwrite replaces it\n"
        "      or --keep-both writes the new one under a numbered name.\n"
        "  tabvale-pictures load ALIAS TABLE FIELD --name-by FIELD DIR [--dry-run]\n"
        "      loads the pictures of DIR into the records whose --name-by value names the file\n"
        "      (the extension left out), in one transaction. The dry run is printed first;\n"
        "      with --dry-run nothing else happens.\n"
        "  tabvale-pictures undo-load ALIAS TABLE [--keep-changed]\n"
        "      undoes the last load into TABLE. If records it filled were changed or deleted\n"
        "      since, nothing is undone unless --keep-changed keeps those as they are.\n"
        "Exit status: 0 done, 1 refused or failed, 2 wrong arguments, 3 an export left\n"
        "pictures out.\n");
    err().flush();
    return Usage;
}

// ALIAS TABLE FIELD --name-by FIELD DIR, with the options that may follow; false when the
// arguments are not of that shape.
struct FieldArguments
{
    QString alias, table, field, namingField, folder;
    QStringList options;
};

bool parse(QStringList args, const QStringList &allowedOptions, FieldArguments &a)
{
    for (const QString &option : allowedOptions) {
        if (args.removeAll(option) > 0)
            a.options << option;
    }
    const qsizetype nameBy = args.indexOf(QStringLiteral("--name-by"));
    if (args.size() != 6 || nameBy != 3)
        return false;
    a.alias = args[0];
    a.table = args[1];
    a.field = args[2];
    a.namingField = args[4];
    a.folder = args[5];
    return true;
}

QString recordLabel(const RecordNames::Named &r)
{
    return r.name.isEmpty() ? PicturesTool::tr("(no name), record %1").arg(r.rowid)
                            : PicturesTool::tr("%1 (record %2)").arg(r.name).arg(r.rowid);
}

void printList(const QString &title, const QStringList &lines)
{
    out() << title.arg(lines.size()) << '\n';
    for (const QString &line : lines)
        out() << "  " << line << '\n';
}

void printPlan(const LoadPlan &plan)
{
    QStringList matched;
    for (const LoadPlan::Match &m : plan.matched)
        matched << PicturesTool::tr("%1 -> %2%3")
                       .arg(m.file.name, recordLabel(m.record),
                           m.record.hasPicture ? PicturesTool::tr(", replaces its picture")
                                               : QString());
    printList(PicturesTool::tr("Files matched to a record (%1):"), matched);
    QStringList files;
    for (const FolderListing::File &f : plan.filesWithoutRecord)
        files << f.name;
    printList(PicturesTool::tr("Files without a record (%1):"), files);
    QStringList records;
    for (const RecordNames::Named &r : plan.recordsWithoutFile)
        records << recordLabel(r);
    printList(PicturesTool::tr("Records without a file (%1):"), records);
    QStringList ambiguous;
    for (const LoadPlan::Ambiguous &a : plan.ambiguous) {
        QStringList names;
        for (const FolderListing::File &f : a.files)
            names << f.name;
        ambiguous << PicturesTool::tr("%1: %2 records, files %3")
                         .arg(a.name)
                         .arg(a.records.size())
                         .arg(names.join(QStringLiteral(", ")));
    }
    printList(
        PicturesTool::tr("Names matching several records or files, not loaded (%1):"), ambiguous);
    if (!plan.notPictures.isEmpty()) {
        QStringList bad;
        for (const FolderListing::File &f : plan.notPictures)
            bad << f.name;
        printList(PicturesTool::tr("Matched files that are no pictures, not loaded (%1):"), bad);
    }
}

int exportPictures(const QStringList &args)
{
    FieldArguments a;
    if (!parse(args, {QStringLiteral("--overwrite"), QStringLiteral("--keep-both")}, a)
        || a.options.size() > 1)
        return usage();
    PictureExport::Existing policy = PictureExport::Existing::Skip;
    if (a.options.contains(u"--overwrite"))
        policy = PictureExport::Existing::Replace;
    else if (a.options.contains(u"--keep-both"))
        policy = PictureExport::Existing::KeepBoth;
    const PictureColumns columns = PictureColumns::resolve(a.alias, a.table, a.field, a.namingField);
    const PictureExport::Summary s = PictureExport::run(
        columns, a.folder, [policy](const QString &) { return policy; });
    out() << PicturesTool::tr(
        "Written: %1, existing files skipped: %2, unreadable: %3, records without a "
        "picture: %4.\n")
                 .arg(s.written)
                 .arg(s.skipped)
                 .arg(s.unreadable)
                 .arg(s.empty);
    for (const QString &f : s.skippedFiles)
        out() << PicturesTool::tr("Skipped, the file exists: %1\n").arg(f);
    for (const QString &r : s.unreadableRecords)
        out() << PicturesTool::tr("Unreadable, not written: %1\n").arg(r);
    return s.skipped + s.unreadable > 0 ? LeftOut : 0;
}

int loadPictures(const QStringList &args)
{
    FieldArguments a;
    if (!parse(args, {QStringLiteral("--dry-run")}, a))
        return usage();
    const PictureColumns columns = PictureColumns::resolve(a.alias, a.table, a.field, a.namingField);
    const LoadPlan plan = LoadPlan::make(columns, a.folder);
    printPlan(plan);
    if (a.options.contains(u"--dry-run"))
        return 0;
    const std::optional<PictureLoad::Result> r = PictureLoad::apply(plan);
    out() << PicturesTool::tr(
        "Loaded %1 pictures (%2 of them replaced one); undo-load undoes it.\n")
                 .arg(r->loaded)
                 .arg(r->replaced);
    return 0;
}

int undoLoad(const QStringList &args)
{
    QStringList rest = args;
    const bool keepChanged = rest.removeAll(QStringLiteral("--keep-changed")) > 0;
    if (rest.size() != 2)
        return usage();
    const auto db = Engine::database(rest[0]);
    const std::optional<LoadUndo::Result> r = LoadUndo::undo(*db, rest[1], keepChanged);
    if (!r) {
        err() << PicturesTool::tr("tabvale-pictures: there is no picture load into “%1” to undo.\n")
                     .arg(rest[1]);
        return Failed;
    }
    out() << PicturesTool::tr(
        "Restored %1 records; kept as they are now: %2 changed, %3 deleted.\n")
                 .arg(r->restored)
                 .arg(r->keptChanged)
                 .arg(r->gone);
    return 0;
}

int run(const QStringList &args)
{
    if (args.isEmpty())
        return usage();
    const QString command = args.first();
    if (command == u"export")
        return exportPictures(args.mid(1));
    if (command == u"load")
        return loadPictures(args.mid(1));
    if (command == u"undo-load")
        return undoLoad(args.mid(1));
    return usage();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    MessageLanguage::installForTool(app);
    try {
        const int code = run(app.arguments().mid(1));
        out().flush();
        CheckpointDeferred::waitForWorkers(); // a load's log is copied into its file before the end
        return code;
    } catch (const EngineError &e) {
        out().flush();
        err() << "tabvale-pictures: " << e.message() << '\n';
        return Failed;
    }
}
