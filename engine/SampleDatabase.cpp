#include "engine/SampleDatabase.h"

#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/FieldType.h"
#include "engine/Transaction.h"
#include "picture/BmpCodec.h"
#include "picture/JpegCodec.h"
#include "picture/StoredPicture.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>

namespace {

// Seven-segment digits: the number is drawn without any font, so samples can be made on any
// thread and without a GUI application.
void drawDigits(QPainter &p, const QString &digits, QRectF box)
{
    static const int segments[10] = {0x3f, 0x06, 0x5b, 0x4f, 0x66, 0x6d, 0x7d, 0x07, 0x7f, 0x6f};
    const qreal w = box.width() / (digits.size() * 1.25);
    const qreal h = std::min(box.height(), w * 1.8);
    const qreal t = std::max<qreal>(1.5, w * 0.16);
    qreal x = box.left() + (box.width() - digits.size() * w * 1.25 + w * 0.25) / 2;
    const qreal y = box.top() + (box.height() - h) / 2;
    for (QChar c : digits) {
        const int s = segments[c.digitValue() % 10];
        const QRectF bars[7] = {{x, y, w, t}, {x + w - t, y, t, h / 2},
            {x + w - t, y + h / 2, t, h / 2}, {x, y + h - t, w, t}, {x, y + h / 2, t, h / 2},
            {x, y, t, h / 2}, {x, y + (h - t) / 2, w, t}};
        for (int i = 0; i < 7; ++i) {
            if (s & (1 << i))
                p.drawRect(bars[i]);
        }
        x += w * 1.25;
    }
}

QByteArray pictureValue(int number, QSize size, int code)
{
    return StoredPicture::encode(SampleDatabase::drawPicture(number, size), code);
}

struct Animal
{
    const char *name;
    const char *keeper;
    double weight;
    double price;
    const char *notes; // nullptr: no notes
};

const Animal animals[24] = {
    {"熊猫 Panda", "王芳", 105.5, 1200.00, "来自四川，喜欢竹子。Likes bamboo."},
    {"老虎 Tiger", "李强", 220.0, 980.50, "夜间活动。Most active at night."},
    {"狮子 Lion", "张伟", 190.2, 950.00, "Male, born in the park."},
    {"大象 Elephant", "刘洋", 5400.0, 3000.00, "每天喝水一百升。"},
    {"长颈鹿 Giraffe", "陈静", 800.0, 1500.75, nullptr},
    {"斑马 Zebra", "杨磊", 350.4, 640.00, "Stripes unique like fingerprints."},
    {"猴子 Monkey", "赵敏", 12.3, 120.00, "喜欢香蕉和苹果。"},
    {"企鹅 Penguin", "黄磊", 23.0, 310.20, "Needs cold water."},
    {"海豚 Dolphin", "周杰", 150.0, 2200.00, "会跳圈。Jumps through hoops."},
    {"鹦鹉 Parrot", "吴丽", 0.9, 85.00, "会说“你好”。Says hello."},
    {"孔雀 Peacock", "徐斌", 5.0, 150.00, "开屏时间：上午。"},
    {"骆驼 Camel", "孙婷", 600.0, 700.00, "Two humps."},
    {"袋鼠 Kangaroo", "胡军", 66.6, 450.00, "Imported 2019."},
    {"考拉 Koala", "朱琳", 9.1, 1800.00, "睡眠二十小时。Sleeps 20 hours."},
    {"狐狸 Fox", "高翔", 6.2, 90.00, "Red fox."},
    {"狼 Wolf", "林峰", 40.0, 200.00, "成群生活。"},
    {"熊 Bear", "何静", 300.0, 880.00, nullptr},
    {"鹿 Deer", "郭涛", 92.0, 260.00, "Antlers shed in spring."},
    {"兔子 Rabbit", "马丽", 2.4, 25.50, "白色，红眼睛。"},
    {"松鼠 Squirrel", "罗宇", 0.5, 18.00, "Stores nuts."},
    {"猫头鹰 Owl", "梁红", 1.6, 75.00, "夜行。Nocturnal."},
    {"鳄鱼 Crocodile", "宋雨", 450.0, 1300.00, "Do not feed by hand."},
    {"河马 Hippo", "郑凯", 1500.0, 2100.00, "每天泡水。"},
    {"犀牛 Rhino", "谢娜", 2300.0, 2600.00, "Endangered. 濒危。"},
};

// Small, medium and large pictures, so viewers and thumbnails see every case.
const QSize animalPictureSizes[12] = {{120, 90}, {160, 120}, {200, 150}, {180, 180}, {320, 240},
    {640, 480}, {1024, 768}, {90, 120}, {150, 200}, {800, 600}, {240, 320}, {100, 100}};

void insertRow(Database &db, const QString &table, const QVariantList &values)
{
    QStringList marks;
    for (qsizetype i = 0; i < values.size(); ++i)
        marks << QStringLiteral("?");
    Statement s = db.prepare(QStringLiteral("INSERT INTO %1 VALUES (%2)")
                                 .arg(Database::quote(table), marks.join(u", ")));
    for (qsizetype i = 0; i < values.size(); ++i)
        s.bind(int(i) + 1, values.at(i));
    s.step();
}

void fillAnimals(Database &db)
{
    db.exec(QStringLiteral(
        "CREATE TABLE \"Animals\" (\"No\" INTEGER, \"Name\" VARCHAR(40), \"Keeper\" VARCHAR(12), "
        "\"Weight\" FLOAT, \"Price\" MONEY, \"Arrived\" DATE, \"Vaccinated\" BOOLEAN, "
        "\"Notes\" MEMO, \"Photo\" GRAPHIC)"));
    const QDate firstArrival(2015, 3, 14);
    for (int i = 0; i < 24; ++i) {
        const Animal &a = animals[i];
        insertRow(db, QStringLiteral("Animals"),
            {QVariant::fromValue<qlonglong>(i + 1), QString::fromUtf8(a.name),
                QString::fromUtf8(a.keeper), a.weight, a.price,
                firstArrival.addDays(i * 97).toString(Qt::ISODate),
                QVariant::fromValue<qlonglong>(i % 3 == 0 ? 0 : 1),
                a.notes ? QVariant(QString::fromUtf8(a.notes)) : QVariant(),
                pictureValue(i + 1, animalPictureSizes[i % 12], ftGraphic)});
    }
}

void fillAlbums(Database &db)
{
    db.exec(QStringLiteral("CREATE TABLE \"Albums\" (\"Title\" VARCHAR(60), \"Summary\" MEMO, "
                           "\"Review\" MEMO, \"Cover\" GRAPHIC)"));
    const char *albums[][3] = {
        {"春天的故事 Spring Story", "十二首关于春天的歌。Twelve songs about spring.",
            "旋律优美，推荐。Lovely melodies."},
        {"Night Train", "Instrumental pieces recorded on a train journey.", "Calm and warm."},
        {"山水 Mountains and Rivers", "传统乐器演奏。Traditional instruments.", nullptr},
        {"City Lights", nullptr, "Bright, fast, a little loud."},
    };
    for (int i = 0; i < 4; ++i) {
        insertRow(db, QStringLiteral("Albums"),
            {QString::fromUtf8(albums[i][0]),
                albums[i][1] ? QVariant(QString::fromUtf8(albums[i][1])) : QVariant(),
                albums[i][2] ? QVariant(QString::fromUtf8(albums[i][2])) : QVariant(),
                pictureValue(31 + i, QSize(300 + 100 * i, 300), ftGraphic)});
    }
}

void fillPriceList(Database &db)
{
    db.exec(
        QStringLiteral("CREATE TABLE \"Price list\" (\"Item\" VARCHAR(30), \"Unit\" VARCHAR(8), "
                       "\"Price\" MONEY, \"Stock\" SMALLINT, \"Valid from\" DATE, "
                       "\"Opening\" TIME, \"Updated\" DATETIME, \"On sale\" LOGICAL)"));
    const char *items[][2] = {{"门票 Ticket", "张"}, {"儿童票 Child ticket", "张"},
        {"饲料 Animal feed", "袋 bag"}, {"地图 Map", "份"}, {"导游 Guided tour", "小时 h"},
        {"停车 Parking", "天 day"}, {"纪念品 Souvenir", "个"}, {"年卡 Annual pass", "张"}};
    const double prices[] = {80.0, 40.0, 10.0, 5.0, 150.0, 20.0, 35.5, 480.0};
    for (int i = 0; i < 8; ++i) {
        insertRow(db, QStringLiteral("Price list"),
            {QString::fromUtf8(items[i][0]), QString::fromUtf8(items[i][1]), prices[i],
                QVariant::fromValue<qlonglong>(100 + 37 * i),
                QDate(2024, 1 + i, 1).toString(Qt::ISODate),
                QStringLiteral("%1:30:00").arg(8 + i % 3, 2, 10, QLatin1Char('0')),
                QStringLiteral("2024-0%1-15T1%2:05:00").arg(1 + i).arg(i),
                QVariant::fromValue<qlonglong>(i % 2)});
    }
}

void fillScans(Database &db)
{
    db.exec(QStringLiteral(
        "CREATE TABLE \"Scans\" (\"Name\" VARCHAR(30), \"Raw\" BLOB, \"Typed\" TYPEDBINARY)"));
    const char *names[] = {"扫描一 Scan one", "Scan two", "扫描三 Scan three"};
    for (int i = 0; i < 3; ++i) {
        insertRow(db, QStringLiteral("Scans"),
            {QString::fromUtf8(names[i]), pictureValue(41 + i, QSize(160 + 80 * i, 120), ftBlob),
                pictureValue(51 + i, QSize(120, 160 + 80 * i), ftTypedBinary)});
    }
}

} // namespace

QImage SampleDatabase::drawPicture(int number, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    const QColor base = QColor::fromHsv((number * 47) % 360, 160, 235);
    const QColor accent = QColor::fromHsv((number * 47 + 180) % 360, 220, 150);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, size.width(), size.height());
    background.setColorAt(0, base.lighter(130));
    background.setColorAt(1, base.darker(120));
    p.fillRect(image.rect(), background);

    // A shape that changes with the number, so neighbouring records never look alike.
    p.setPen(QPen(accent.darker(150), std::max(1, size.width() / 80)));
    p.setBrush(accent);
    const QRectF frame = QRectF(image.rect())
                             .adjusted(size.width() * 0.08, size.height() * 0.08,
                                 -size.width() * 0.08, -size.height() * 0.08);
    switch (number % 4) {
    case 0:
        p.drawEllipse(frame);
        break;
    case 1:
        p.drawRoundedRect(frame, 12, 12);
        break;
    case 2: {
        QPainterPath triangle;
        triangle.moveTo(frame.center().x(), frame.top());
        triangle.lineTo(frame.bottomRight());
        triangle.lineTo(frame.bottomLeft());
        triangle.closeSubpath();
        p.drawPath(triangle);
        break;
    }
    default: {
        QPainterPath star;
        const QPointF c = frame.center();
        const qreal r = std::min(frame.width(), frame.height()) / 2;
        for (int i = 0; i < 10; ++i) {
            const qreal angle = M_PI / 2 + i * M_PI / 5;
            const qreal radius = i % 2 ? r * 0.45 : r;
            const QPointF point(c.x() + radius * std::cos(angle), c.y() - radius * std::sin(angle));
            if (i == 0)
                star.moveTo(point);
            else
                star.lineTo(point);
        }
        star.closeSubpath();
        p.drawPath(star);
    }
    }
    // Stripes count the number's last digit.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 120));
    for (int i = 0; i < number % 10; ++i)
        p.drawRect(QRectF(size.width() * (0.05 + i * 0.09), size.height() * 0.02,
            size.width() * 0.05, size.height() * 0.04));

    p.setBrush(Qt::white);
    const QRectF digits(frame.left() + frame.width() * 0.2, frame.top() + frame.height() * 0.3,
        frame.width() * 0.6, frame.height() * 0.45);
    drawDigits(p, QString::number(number), digits);
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(image.rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    // Written sizes help to check scaling by eye; fonts need a GUI application.
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()) && size.width() >= 150) {
        QFont font = p.font();
        font.setPixelSize(std::max(10, size.height() / 14));
        p.setFont(font);
        p.drawText(QRectF(0, size.height() * 0.82, size.width(), size.height() * 0.16),
            Qt::AlignCenter, QStringLiteral("%1 × %2").arg(size.width()).arg(size.height()));
    }
    return image;
}

void SampleDatabase::build(const QString &path)
{
    if (QFileInfo::exists(path))
        return;
    const QString building = path + QStringLiteral(".building");
    QFile::remove(building);
    QFile::remove(building + QStringLiteral("-wal"));
    QFile::remove(building + QStringLiteral("-shm"));
    Database::create(building);
    {
        const auto db = Database::open(building);
        Transaction transaction(*db);
        // The ordinary table comes first: it is the one a first start shows.
        fillAnimals(*db);
        fillAlbums(*db);
        fillPriceList(*db);
        fillScans(*db);
        transaction.commit();
    } // closing the last connection folds the write-ahead log into the file
    if (!QFile::rename(building, path))
        throw EngineError(QCoreApplication::translate("SampleDatabase", "The sample database “%1” cannot be put in place.")
                              .arg(QDir::toNativeSeparators(path)));
}

void SampleDatabase::writePictures(const QString &folder)
{
    QDir().mkpath(folder);
    struct File
    {
        const char *name;
        QSize size;
        bool jpeg;
    };
    const File files[] = {
        {"Lotus 150x120.jpg", {150, 120}, true},
        {"Harbour 201x150.bmp", {201, 150}, false},
        {"Square 200x200.jpg", {200, 200}, true},
        {"Square 200x200.bmp", {200, 200}, false},
        {"Garden 400x300.BMP", {400, 300}, false},
        {"Tower 300x400.jpg", {300, 400}, true},
        {"花园 400x300.jpg", {400, 300}, true},
        {"Panorama 1024x768.jpg", {1024, 768}, true},
        {"Bridge 1024x768.bmp", {1024, 768}, false},
    };
    int number = 60;
    for (const File &f : files) {
        const QString path = folder + QLatin1Char('/') + QString::fromUtf8(f.name);
        ++number;
        if (QFileInfo::exists(path))
            continue;
        const QImage image = drawPicture(number, f.size);
        QSaveFile out(path);
        if (!out.open(QIODevice::WriteOnly)
            || out.write(f.jpeg ? JpegCodec::encode(image) : BmpCodec::encode(image)) < 0
            || !out.commit())
            throw EngineError(QCoreApplication::translate("SampleDatabase", "The sample picture “%1” cannot be written.")
                                  .arg(QDir::toNativeSeparators(path)));
    }
    // A file that claims to be a JPEG but is not: the program must say so, not fail.
    const QString broken = folder + QStringLiteral("/Not a picture.jpg");
    if (!QFileInfo::exists(broken)) {
        QFile out(broken);
        if (out.open(QIODevice::WriteOnly))
            out.write("This is a text file with a picture's name.\n");
    }
}
