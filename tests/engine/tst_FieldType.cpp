// Which field a declared column type makes: the type table users see in every SQLite tool.
#include "engine/FieldType.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QTest>

class FieldTypeTest : public QObject
{
    Q_OBJECT
private slots:
    void declaredTypesMapToFieldCodes_data();
    void declaredTypesMapToFieldCodes();
};

void FieldTypeTest::declaredTypesMapToFieldCodes_data()
{
    QTest::addColumn<QString>("declared");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("size");
    // Strings: TEXT, as nearly every database declares them, is a string without a size limit.
    QTest::newRow("TEXT") << "TEXT" << int(ftString) << 0;
    QTest::newRow("text, lower case") << "text" << int(ftString) << 0;
    QTest::newRow("TINYTEXT") << "TINYTEXT" << int(ftString) << 0;
    QTest::newRow("VARCHAR(40)") << "VARCHAR(40)" << int(ftString) << 40;
    QTest::newRow("NVARCHAR(120)") << "NVARCHAR(120)" << int(ftString) << 120;
    QTest::newRow("CHARACTER(20)") << "CHARACTER(20)" << int(ftString) << 20;
    QTest::newRow("STRING") << "STRING" << int(ftString) << 0;
    QTest::newRow("no declared type") << "" << int(ftString) << 0;
    QTest::newRow("unknown name") << "WHATEVER" << int(ftString) << 0;
    // Memos: the long-text names, though they contain TEXT.
    QTest::newRow("MEMO") << "MEMO" << int(ftMemo) << 0;
    QTest::newRow("CLOB") << "CLOB" << int(ftMemo) << 0;
    QTest::newRow("LONGTEXT") << "LONGTEXT" << int(ftMemo) << 0;
    QTest::newRow("MEDIUMTEXT") << "MediumText" << int(ftMemo) << 0;
    QTest::newRow("NTEXT") << "NTEXT" << int(ftMemo) << 0;
    // Pictures.
    QTest::newRow("GRAPHIC") << "GRAPHIC" << int(ftGraphic) << 0;
    QTest::newRow("IMAGE") << "IMAGE" << int(ftGraphic) << 0;
    QTest::newRow("PICTURE") << "PICTURE" << int(ftGraphic) << 0;
    QTest::newRow("TYPEDBINARY") << "TYPEDBINARY" << int(ftTypedBinary) << 0;
    QTest::newRow("BLOB") << "BLOB" << int(ftBlob) << 0;
    QTest::newRow("LONGBLOB") << "LONGBLOB" << int(ftBlob) << 0;
    QTest::newRow("VARBINARY(16)") << "VARBINARY(16)" << int(ftBlob) << 0;
    // Numbers, dates and the rest, first match first.
    QTest::newRow("AUTOINC") << "AUTOINC" << int(ftAutoInc) << 0;
    QTest::newRow("SMALLINT") << "SMALLINT" << int(ftSmallint) << 0;
    QTest::newRow("INTEGER") << "INTEGER" << int(ftInteger) << 0;
    QTest::newRow("BIGINT") << "BIGINT" << int(ftInteger) << 0;
    QTest::newRow("BOOLEAN") << "BOOLEAN" << int(ftBoolean) << 0;
    QTest::newRow("LOGICAL") << "LOGICAL" << int(ftBoolean) << 0;
    QTest::newRow("MONEY") << "MONEY" << int(ftCurrency) << 0;
    QTest::newRow("CURRENCY") << "CURRENCY" << int(ftCurrency) << 0;
    QTest::newRow("NUMERIC(10,2)") << "NUMERIC(10,2)" << int(ftBCD) << 0;
    QTest::newRow("DECIMAL") << "DECIMAL" << int(ftBCD) << 0;
    QTest::newRow("REAL") << "REAL" << int(ftFloat) << 0;
    QTest::newRow("FLOAT") << "FLOAT" << int(ftFloat) << 0;
    QTest::newRow("DOUBLE PRECISION") << "DOUBLE PRECISION" << int(ftFloat) << 0;
    QTest::newRow("DATETIME") << "DATETIME" << int(ftDateTime) << 0;
    QTest::newRow("TIMESTAMP") << "TIMESTAMP" << int(ftDateTime) << 0;
    QTest::newRow("DATE") << "DATE" << int(ftDate) << 0;
    QTest::newRow("TIME") << "TIME" << int(ftTime) << 0;
}

void FieldTypeTest::declaredTypesMapToFieldCodes()
{
    QFETCH(QString, declared);
    QFETCH(int, code);
    QFETCH(int, size);
    int actualSize = -1;
    QCOMPARE(fieldTypeCodeFor(declared, &actualSize), code);
    QCOMPARE(actualSize, size);
}

TABVALE_TEST_MAIN(FieldTypeTest, QCoreApplication)
#include "tst_FieldType.moc"
