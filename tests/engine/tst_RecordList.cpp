// The compact record list against a plain sorted array of keys, over random operations on lists
// with and without gaps, and what it costs in memory.
#include "engine/RecordList.h"
#include "tests/support/TestEnvironment.h"

#include <QRandomGenerator>
#include <QTest>
#include <algorithm>

namespace {

// How the keys of a generated table follow one another: the chance of a gap after a key, and
// how wide gaps are.
struct Shape
{
    double gapChance;
    int widestGap;
};

class Reference
{
public:
    std::vector<RecordKey> keys;

    int insert(RecordKey key)
    {
        const auto at = std::lower_bound(keys.begin(), keys.end(), key);
        const int position = int(at - keys.begin());
        if (at == keys.end() || *at != key)
            keys.insert(at, key);
        return position;
    }
    int positionOf(RecordKey key) const
    {
        const auto at = std::lower_bound(keys.begin(), keys.end(), key);
        return at != keys.end() && *at == key ? int(at - keys.begin()) : -1;
    }
    int lowerBound(RecordKey key) const
    {
        return int(std::lower_bound(keys.begin(), keys.end(), key) - keys.begin());
    }
};

RecordKey nextKey(RecordKey last, const Shape &shape, QRandomGenerator &random)
{
    const bool gap = random.generateDouble() < shape.gapChance;
    return last + 1 + (gap ? random.bounded(1, shape.widestGap + 1) : 0);
}

// Compares everything a table asks of its list; returns the first difference, or "".
QString difference(const RecordList &list, const Reference &reference, QRandomGenerator &random)
{
    if (list.count() != int(reference.keys.size()))
        return QStringLiteral("count %1, expected %2").arg(list.count()).arg(reference.keys.size());
    if (list.toVector() != reference.keys)
        return QStringLiteral("the keys differ");
    if (reference.keys.empty())
        return {};
    for (int i = 0; i < 50; ++i) {
        const int position = int(random.bounded(qint64(reference.keys.size())));
        if (list.keyAt(position) != reference.keys[size_t(position)])
            return QStringLiteral("keyAt(%1)").arg(position);
        const RecordKey probe = reference.keys.front() - 3
            + random.bounded(reference.keys.back() - reference.keys.front() + 7);
        if (list.positionOf(probe) != reference.positionOf(probe))
            return QStringLiteral("positionOf(%1)").arg(probe);
        if (list.lowerBound(probe) != reference.lowerBound(probe))
            return QStringLiteral("lowerBound(%1)").arg(probe);
    }
    if (list.lastKey() != reference.keys.back())
        return QStringLiteral("lastKey");
    return {};
}

} // namespace

class RecordListTest : public QObject
{
    Q_OBJECT
private slots:
    void randomOperationsAgreeWithAPlainSortedArray_data();
    void randomOperationsAgreeWithAPlainSortedArray();
    void aTableWithoutGapsCostsAFewBytesWhateverItsSize();
    void scatteredKeysCostNoMoreThanAPlainArray_data();
    void scatteredKeysCostNoMoreThanAPlainArray();
    void partsAppendedInOrderMakeTheWholeList();
};

void RecordListTest::randomOperationsAgreeWithAPlainSortedArray_data()
{
    QTest::addColumn<double>("gapChance");
    QTest::addColumn<int>("widestGap");
    QTest::addColumn<int>("records");
    QTest::addColumn<quint32>("seed");
    QTest::newRow("no gaps") << 0.0 << 1 << 5000 << 1u;
    QTest::newRow("gaps here and there") << 0.01 << 50 << 5000 << 2u;
    QTest::newRow("short runs between gaps") << 0.2 << 3 << 5000 << 3u;
    QTest::newRow("every key a gap away (scattered)") << 1.0 << 1000 << 5000 << 4u;
    QTest::newRow("every other key") << 1.0 << 1 << 5000 << 5u;
    QTest::newRow("an empty table filled by inserts") << 0.0 << 1 << 0 << 6u;
    QTest::newRow("runs and full blocks side by side") << 0.5 << 2 << 20000 << 7u;
}

void RecordListTest::randomOperationsAgreeWithAPlainSortedArray()
{
    QFETCH(double, gapChance);
    QFETCH(int, widestGap);
    QFETCH(int, records);
    QFETCH(quint32, seed);
    const Shape shape {gapChance, widestGap};
    QRandomGenerator random(seed);
    RecordList list;
    Reference reference;
    RecordKey last = 100;
    for (int i = 0; i < records; ++i) {
        last = nextKey(last, shape, random);
        list.append(last);
        reference.keys.push_back(last);
    }
    QCOMPARE(difference(list, reference, random), QString());

    // Deletions anywhere, new records at the end, keys typed into an integer key field anywhere
    // (some of them already taken), and parts of a list appended.
    for (int step = 0; step < 3000; ++step) {
        const int op = int(random.bounded(10));
        QString what;
        if (op < 3 && !reference.keys.empty()) {
            const int position = int(random.bounded(qint64(reference.keys.size())));
            what = QStringLiteral("erase(%1)").arg(position);
            list.erase(position);
            reference.keys.erase(reference.keys.begin() + position);
        } else if (op < 4 && !reference.keys.empty()) {
            const RecordKey key
                = reference.keys[size_t(random.bounded(qint64(reference.keys.size())))]
                + random.bounded(-1, 2);
            what = QStringLiteral("remove(%1)").arg(key);
            const bool present = reference.positionOf(key) >= 0;
            QCOMPARE(list.remove(key), present);
            if (present)
                reference.keys.erase(reference.keys.begin() + reference.positionOf(key));
        } else if (op < 7) {
            const RecordKey low = reference.keys.empty() ? 0 : reference.keys.front() - 5;
            const RecordKey high = reference.keys.empty() ? 50 : reference.keys.back() + 5;
            const RecordKey key = low + random.bounded(high - low + 1);
            what = QStringLiteral("insert(%1)").arg(key);
            QCOMPARE(list.insert(key), reference.insert(key));
        } else if (op < 9) {
            last = nextKey(reference.keys.empty() ? last : reference.keys.back(), shape, random);
            what = QStringLiteral("append(%1)").arg(last);
            list.append(last);
            reference.keys.push_back(last);
        } else {
            RecordList tail;
            RecordKey key = reference.keys.empty() ? last : reference.keys.back();
            const int n = int(random.bounded(1, 3000));
            for (int i = 0; i < n; ++i) {
                key = nextKey(key, shape, random);
                tail.append(key);
                reference.keys.push_back(key);
            }
            what = QStringLiteral("append a part of %1 keys").arg(n);
            list.append(std::move(tail));
            QVERIFY(tail.isEmpty());
        }
        // The whole list is compared now and then; counts and look-ups after every step.
        const QString wrong = step % 50 == 0 ? difference(list, reference, random)
            : list.count() != int(reference.keys.size())
            ? QStringLiteral("count %1, expected %2").arg(list.count()).arg(reference.keys.size())
            : QString();
        QVERIFY2(wrong.isEmpty(),
            qPrintable(QStringLiteral("after %1 (step %2): %3").arg(what).arg(step).arg(wrong)));
    }
    QCOMPARE(difference(list, reference, random), QString());
    // A copy is independent of its original.
    const RecordList copy = list;
    if (!reference.keys.empty())
        list.erase(0);
    QCOMPARE(copy.toVector(), reference.keys);
}

void RecordListTest::aTableWithoutGapsCostsAFewBytesWhateverItsSize()
{
    RecordList list;
    for (RecordKey key = 1; key <= 10'000'000; ++key)
        list.append(key);
    QCOMPARE(list.count(), 10'000'000);
    QCOMPARE(list.keyAt(9'999'999), RecordKey(10'000'000));
    QVERIFY2(list.bytes() < 1024, qPrintable(QString::number(list.bytes())));
    // A few deletions and an insert far out cost a few segments more, not a copy of the list.
    for (int position : {5'000'000, 17, 9'000'000, 2})
        list.erase(position);
    list.insert(20'000'000);
    QCOMPARE(list.count(), 10'000'000 - 4 + 1);
    QCOMPARE(list.positionOf(5'000'004), 5'000'000);
    QVERIFY2(list.bytes() < 4096, qPrintable(QString::number(list.bytes())));
}

void RecordListTest::scatteredKeysCostNoMoreThanAPlainArray_data()
{
    QTest::addColumn<double>("gapChance");
    QTest::addColumn<int>("widestGap");
    QTest::newRow("every key a gap away") << 1.0 << 100000;
    QTest::newRow("runs of two") << 0.5 << 1;
    QTest::newRow("runs of about seven") << 0.14 << 5;
    QTest::newRow("runs of about twenty") << 0.05 << 5;
}

void RecordListTest::scatteredKeysCostNoMoreThanAPlainArray()
{
    QFETCH(double, gapChance);
    QFETCH(int, widestGap);
    QRandomGenerator random(11);
    RecordList list;
    RecordKey key = 0;
    constexpr int Records = 200000;
    for (int i = 0; i < Records; ++i) {
        key = nextKey(key, {gapChance, widestGap}, random);
        list.append(key);
    }
    const double perKey = double(list.bytes()) / Records;
    QVERIFY2(perKey <= 8.5, qPrintable(QStringLiteral("%1 bytes a key").arg(perKey)));
}

void RecordListTest::partsAppendedInOrderMakeTheWholeList()
{
    // What the loader hands over: parts of a list, each after the one before; runs that meet at
    // a seam become one.
    RecordList whole;
    RecordList expected;
    for (RecordKey from : {1, 101, 201}) {
        RecordList part;
        for (RecordKey key = from; key < from + 100; ++key) {
            part.append(key);
            expected.append(key);
        }
        whole.append(std::move(part));
    }
    QCOMPARE(whole.toVector(), expected.toVector());
    QVERIFY2(whole.bytes() < 256, qPrintable(QString::number(whole.bytes())));
    QCOMPARE(whole.positionOf(201), 200);
}

TABVALE_TEST_MAIN(RecordListTest, QCoreApplication)
#include "tst_RecordList.moc"
