// The numbers standing for a server table's primary-key values, against a sorted set of keys
// playing the server's part: reads in key order in parts, keys added and deleted between reads,
// and the gap between two numbers running out.
#include "engine/EngineError.h"
#include "engine/PgKeyMap.h"
#include "tests/engine/MaintenanceCommands.h"
#include "tests/support/TestEnvironment.h"

#include <QRandomGenerator>
#include <QTest>
#include <set>

namespace {

using Tuple = PgKeyMap::Tuple;

Tuple tuple(int a, int b)
{
    // Zero-padded: the set orders them as numbers.
    return {QStringLiteral("%1").arg(a, 6, 10, QLatin1Char('0')),
        QStringLiteral("%1").arg(b, 6, 10, QLatin1Char('0'))};
}

// The server: its keys in order, read as a driver reads them.
class Server
{
public:
    std::set<Tuple> keys;

    // The keys after `after` up to `upTo`, at most limit (all when negative), given to the map.
    RecordList read(PgKeyMap &map, std::optional<RecordKey> after, std::optional<RecordKey> upTo,
        int limit) const
    {
        const std::optional<Tuple> from = after ? map.tupleOf(*after) : std::nullopt;
        const std::optional<Tuple> to = upTo ? map.tupleOf(*upTo) : std::nullopt;
        std::vector<Tuple> found;
        for (auto it = from ? keys.upper_bound(*from) : keys.begin(); it != keys.end(); ++it) {
            if ((to && *to < *it) || (limit >= 0 && int(found.size()) == limit))
                break;
            found.push_back(*it);
        }
        return map.takeOrdered(after, upTo, found, limit < 0 || int(found.size()) < limit);
    }

    // All keys, as a table reads them: a first part, then parts after the last key read.
    RecordList readAll(PgKeyMap &map, int first, int part) const
    {
        RecordList all = read(map, std::nullopt, std::nullopt, first);
        int last = all.count();
        while (last == first || last == part) {
            RecordList next = read(map, all.isEmpty() ? std::nullopt : std::optional(all.lastKey()),
                std::nullopt, part);
            last = next.count();
            all.append(std::move(next));
            first = -1;
        }
        return all;
    }

    // "" when the numbers stand for the server's keys in its order.
    QString mismatch(const PgKeyMap &map, const RecordList &list) const
    {
        if (list.count() != int(keys.size()))
            return QStringLiteral("%1 keys, the server has %2").arg(list.count()).arg(keys.size());
        auto it = keys.begin();
        for (int i = 0; i < list.count(); ++i, ++it) {
            if (i > 0 && list.keyAt(i) <= list.keyAt(i - 1))
                return QStringLiteral("not ascending at %1").arg(i);
            if (map.tupleOf(list.keyAt(i)) != *it || map.keyOf(*it) != list.keyAt(i))
                return QStringLiteral("position %1 stands for another key").arg(i);
        }
        return {};
    }
};

} // namespace

class PgKeyMapTest : public QObject
{
    Q_OBJECT
private slots:
    void theFirstReadSpacesTheKeysWidely();
    void keysFoundBetweenKnownOnesKeepTheServersOrder();
    void goneKeysAreRetiredAndAKeyStoredAgainGetsANewNumber();
    void aReadUpToAGoneKeyLeavesRoomForWhatFollowsIt();
    void aStoredKeyGoesRightAfterItsPredecessor();
    void randomChangesBetweenReadsKeepEveryNumberInOrder();
    void anExhaustedGapAsksToOpenTheTableAgain();
};

void PgKeyMapTest::theFirstReadSpacesTheKeysWidely()
{
    Server server;
    for (int i = 1; i <= 2500; ++i)
        server.keys.insert(tuple(i % 7, i));
    PgKeyMap map(QStringLiteral("t"), {QStringLiteral("a"), QStringLiteral("b")});
    const RecordList list = server.readAll(map, 1000, 700);
    QCOMPARE(server.mismatch(map, list), QString());
    QCOMPARE(list.keyAt(0), PgKeyMap::DefaultGap);
    QCOMPARE(list.keyAt(1) - list.keyAt(0), PgKeyMap::DefaultGap);
    QCOMPARE(list.lastKey(), 2500 * PgKeyMap::DefaultGap);
    QVERIFY(!map.keyOf(tuple(99, 99)));
    QVERIFY(!map.tupleOf(7));
}

void PgKeyMapTest::keysFoundBetweenKnownOnesKeepTheServersOrder()
{
    Server server;
    for (int i = 10; i <= 100; i += 10)
        server.keys.insert(tuple(i, 0));
    PgKeyMap map(QStringLiteral("t"), {});
    const RecordList before = server.readAll(map, 1000, 1000);
    // Another user adds keys before the first, between two (several), and after the last.
    for (const Tuple &added :
        {tuple(1, 0), tuple(20, 1), tuple(20, 2), tuple(25, 0), tuple(100, 5), tuple(200, 0)})
        server.keys.insert(added);
    const RecordList after = server.readAll(map, 4, 3); // parts end inside the new runs
    QCOMPARE(server.mismatch(map, after), QString());
    for (int i = 0; i < before.count(); ++i)
        QVERIFY(after.positionOf(before.keyAt(i)) >= 0); // the known keys kept their numbers
    QVERIFY(after.keyAt(0) > 0);
}

void PgKeyMapTest::goneKeysAreRetiredAndAKeyStoredAgainGetsANewNumber()
{
    Server server;
    for (int i = 1; i <= 20; ++i)
        server.keys.insert(tuple(i, 0));
    PgKeyMap map(QStringLiteral("t"), {});
    const RecordList before = server.readAll(map, 1000, 1000);
    const RecordKey middle = before.keyAt(9);
    const RecordKey last = before.lastKey();
    server.keys.erase(tuple(10, 0));
    server.keys.erase(tuple(20, 0));
    server.keys.erase(tuple(19, 0));
    QCOMPARE(server.mismatch(map, server.readAll(map, 5, 5)), QString());
    QVERIFY(!map.isLive(middle));
    QVERIFY(!map.isLive(last));
    QVERIFY(!map.keyOf(tuple(10, 0)));
    QCOMPARE(map.tupleOf(middle).value_or(Tuple()),
        tuple(10, 0)); // still a bound a read may start after

    server.keys.insert(tuple(10, 0));
    const RecordList again = server.readAll(map, 1000, 1000);
    QCOMPARE(server.mismatch(map, again), QString());
    const RecordKey renewed = again.keyAt(9);
    QVERIFY(renewed != middle);
    QVERIFY(renewed > before.keyAt(8) && renewed < before.keyAt(10));
    // A record deleted here is retired at once.
    map.retire(renewed);
    QVERIFY(!map.isLive(renewed));
    QVERIFY(!map.keyOf(tuple(10, 0)));
}

void PgKeyMapTest::aReadUpToAGoneKeyLeavesRoomForWhatFollowsIt()
{
    // A refresh reads through the current record, then on from it; the current record was
    // deleted meanwhile and keys were added on both sides of it.
    Server server;
    for (int i = 10; i <= 50; i += 10)
        server.keys.insert(tuple(i, 0));
    PgKeyMap map(QStringLiteral("t"), {});
    const RecordList before = server.readAll(map, 1000, 1000);
    const RecordKey current = before.keyAt(2); // (30, 0)
    server.keys.erase(tuple(30, 0));
    server.keys.insert(tuple(29, 0));
    server.keys.insert(tuple(31, 0));
    RecordList list = server.read(map, std::nullopt, current, -1);
    QCOMPARE(list.count(), 3);
    QVERIFY(list.lastKey() < current);
    list.append(server.read(map, current, std::nullopt, 1000));
    QCOMPARE(server.mismatch(map, list), QString());
}

void PgKeyMapTest::aStoredKeyGoesRightAfterItsPredecessor()
{
    Server server;
    server.keys = {tuple(1, 0), tuple(3, 0)};
    PgKeyMap map(QStringLiteral("t"), {});
    const RecordList list = server.readAll(map, 1000, 1000);
    const RecordKey between = map.place(list.keyAt(0), tuple(2, 0));
    QCOMPARE(between, list.keyAt(0) + (list.keyAt(1) - list.keyAt(0)) / 2);
    QCOMPARE(map.place(list.keyAt(0), tuple(2, 0)), between); // known: the same number
    const RecordKey first = map.place(std::nullopt, tuple(0, 0));
    QVERIFY(first > 0 && first < list.keyAt(0));
    QCOMPARE(map.place(list.lastKey(), tuple(4, 0)), list.lastKey() + PgKeyMap::DefaultGap);
    server.keys.insert({tuple(0, 0), tuple(2, 0), tuple(4, 0)});
    QCOMPARE(server.mismatch(map, server.readAll(map, 2, 2)), QString());
}

void PgKeyMapTest::randomChangesBetweenReadsKeepEveryNumberInOrder()
{
    QRandomGenerator random(11);
    Server server;
    for (int i = 0; i < 300; ++i)
        server.keys.insert(tuple(int(random.bounded(1000)), int(random.bounded(10))));
    PgKeyMap map(QStringLiteral("t"), {}, 1 << 20);
    std::map<Tuple, RecordKey> seen;
    std::set<RecordKey> given;
    for (int round = 0; round < 60; ++round) {
        const RecordList list
            = server.readAll(map, 1 + int(random.bounded(50)), 1 + int(random.bounded(80)));
        QVERIFY2(server.mismatch(map, list).isEmpty(), qPrintable(server.mismatch(map, list)));
        for (int i = 0; i < list.count(); ++i) {
            const Tuple t = *map.tupleOf(list.keyAt(i));
            const auto known = seen.find(t);
            if (known != seen.end() && known->second == list.keyAt(i))
                continue; // a key still stored keeps its number
            QVERIFY2(given.insert(list.keyAt(i)).second, "a number given twice");
            seen[t] = list.keyAt(i);
        }
        // Another user adds and deletes keys anywhere, runs into one place among them.
        for (int i = int(random.bounded(30)); i > 0; --i) {
            auto it = server.keys.begin();
            std::advance(it, random.bounded(int(server.keys.size())));
            server.keys.erase(it);
        }
        const int place = int(random.bounded(1000));
        for (int i = int(random.bounded(40)); i > 0; --i)
            server.keys.insert(random.bounded(3) == 0
                    ? tuple(place, 100 + i)
                    : tuple(int(random.bounded(1000)), int(random.bounded(10))));
    }
}

void PgKeyMapTest::anExhaustedGapAsksToOpenTheTableAgain()
{
    Server server;
    server.keys = {tuple(1, 0), tuple(2, 0)};
    PgKeyMap map(QStringLiteral("Order Details"), {}, 8);
    const RecordList list = server.readAll(map, 1000, 1000);
    QCOMPARE(list.keyAt(1) - list.keyAt(0), RecordKey(8));
    // Each stored key halves what is left between the last one and the second known one.
    RecordKey previous = list.keyAt(0);
    int stored = 0;
    const QString refused = engineMessageOf([&] {
        for (int i = 1; i < 10; ++i) {
            previous = map.place(previous, tuple(1, i));
            ++stored;
        }
    });
    QCOMPARE(stored, 3); // 12, 14, 15: nothing is left between 15 and 16
    QVERIFY2(refused.contains(u"“Order Details”") && refused.contains(u"open it again"),
        qPrintable(refused));
    QVERIFY(!map.keyOf(tuple(1, 4)));

    // The same in a read: more new keys between two known ones than numbers between them.
    PgKeyMap small(QStringLiteral("t"), {}, 8);
    server.keys = {tuple(1, 0), tuple(2, 0)};
    server.readAll(small, 1000, 1000);
    for (int i = 1; i <= 8; ++i)
        server.keys.insert(tuple(1, i));
    QVERIFY(engineMessageOf([&] { server.readAll(small, 1000, 1000); }).contains(u"open it again"));
    // A new map (the table opened again) numbers them all.
    PgKeyMap reopened(QStringLiteral("t"), {}, 8);
    QCOMPARE(server.mismatch(reopened, server.readAll(reopened, 1000, 1000)), QString());
}

TABVALE_TEST_MAIN(PgKeyMapTest, QCoreApplication)
#include "tst_PgKeyMap.moc"
