#include <QTest>
class ExchangePartsTest : public QObject { Q_OBJECT };
QTEST_MAIN(ExchangePartsTest)
#include "tst_ExchangeParts.moc"
