// The limit lines' file "GeneralSettings.cfg": its bytes, its defaults and
// what a damaged file does; and the percent placement of the lines.

#include "LimitSettings.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

QByteArray Hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// The file for 6.5, 12.25, 2 and 4 ms, spelled out by hand.
const char* const kFileHex = "01000000"
                             "0000000000001a40"  // 6.5
                             "0000000000802840"  // 12.25
                             "0000000000000040"  // 2.0
                             "0000000000001040"; // 4.0

QByteArray ToQByteArray(const std::vector<uint8_t>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class TestLimitSettings : public QObject {
    Q_OBJECT

private slots:
    void defaultsAreSixTwelveTwoFour()
    {
        const CLimitSettings limits;
        QCOMPARE(limits.GetPosition(0), 6.0);
        QCOMPARE(limits.GetPosition(1), 12.0);
        QCOMPARE(limits.GetPosition(2), 2.0);
        QCOMPARE(limits.GetPosition(3), 4.0);
        QCOMPARE(limits.GetPosition(4), 0.0);
        QCOMPARE(limits.GetPosition(-1), 0.0);
    }

    void writesTheArchiveBytes()
    {
        CLimitSettings limits;
        limits.SetPosition(0, 6.5);
        limits.SetPosition(1, 12.25);
        const QByteArray bytes = ToQByteArray(limits.ToBytes());
        QCOMPARE(bytes.size(), qsizetype(CLimitSettings::kFileSize));
        QCOMPARE(bytes.toHex(), Hex(kFileHex).toHex());
    }

    void savedFileLoadsBack()
    {
        QTemporaryDir dir;
        // The Config folder of a fresh instrument may not exist yet.
        const QString path = dir.filePath("Config/GeneralSettings.cfg");
        CLimitSettings limits;
        limits.SetPosition(0, 6.5);
        limits.SetPosition(1, 12.25);
        std::string msg;
        QCOMPARE(limits.SaveToFile(path.toStdString(), msg), 1);

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().toHex(), Hex(kFileHex).toHex());

        CLimitSettings loaded;
        QCOMPARE(loaded.LoadFromFile(path.toStdString(), msg), 1);
        QCOMPARE(loaded.GetPositions(), limits.GetPositions());
    }

    void theLeadingValueIsNotChecked()
    {
        QByteArray bytes = Hex(kFileHex);
        bytes[0] = 7;
        CLimitSettings limits;
        std::string msg;
        QCOMPARE(limits.FromBytes(std::span(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())), msg), 1);
        QCOMPARE(limits.GetPosition(1), 12.25);
    }

    void damagedFileChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("present");
        const QByteArray good = Hex(kFileHex);
        QByteArray nan = good;
        const double notANumber = std::numeric_limits<double>::quiet_NaN();
        memcpy(nan.data() + 12, &notANumber, sizeof notANumber);
        QByteArray infinite = good;
        const double inf = std::numeric_limits<double>::infinity();
        memcpy(infinite.data() + 28, &inf, sizeof inf);

        QTest::newRow("no file") << QByteArray() << false;
        QTest::newRow("empty file") << QByteArray() << true;
        QTest::newRow("only the leading value") << good.left(4) << true;
        QTest::newRow("one byte short") << good.left(35) << true;
        QTest::newRow("one byte too many") << good + QByteArray(1, '\0') << true;
        QTest::newRow("a position that is not a number") << nan << true;
        QTest::newRow("an infinite position") << infinite << true;
    }

    void damagedFileChangesNothing()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, present);
        QTemporaryDir dir;
        const QString path = dir.filePath("GeneralSettings.cfg");
        if (present)
            WriteFile(path, bytes);

        CLimitSettings defaults;
        std::string msg;
        QCOMPARE(defaults.LoadFromFile(path.toStdString(), msg), 0);
        QVERIFY(!msg.empty());
        QCOMPARE(defaults.GetPositions(), CLimitSettings::kDefaults);

        CLimitSettings moved;
        moved.SetPosition(2, 9.0);
        QCOMPARE(moved.LoadFromFile(path.toStdString(), msg), 0);
        QCOMPARE(moved.GetPosition(2), 9.0);
    }

    void saveFailsWithAReason()
    {
        QTemporaryDir dir;
        const QString blocker = dir.filePath("not-a-folder");
        WriteFile(blocker, "x");
        std::string msg;
        QCOMPARE(CLimitSettings().SaveToFile((blocker + "/GeneralSettings.cfg").toStdString(), msg), 0);
        QVERIFY(!msg.empty());
    }

    void percentOfTheVisibleSpan_data()
    {
        QTest::addColumn<double>("position");
        QTest::addColumn<double>("xMin");
        QTest::addColumn<double>("span");
        QTest::addColumn<double>("percent");
        QTest::newRow("from zero") << 6.0 << 0.0 << 25.0 << 24.0;
        QTest::newRow("from a zoomed minimum") << 6.0 << 2.0 << 10.0 << 40.0;
        QTest::newRow("left of the view is negative") << 2.0 << 4.0 << 8.0 << -25.0;
        QTest::newRow("right of the view is over 100") << 12.0 << 0.0 << 10.0 << 120.0;
        QTest::newRow("the wide default range") << 6.0 << 0.0 << 10000000.0 << 0.00006;
    }

    void percentOfTheVisibleSpan()
    {
        QFETCH(double, position);
        QFETCH(double, xMin);
        QFETCH(double, span);
        QFETCH(double, percent);
        QCOMPARE(CLimitSettings::ToPercent(position, xMin, span), percent);
        QCOMPARE(CLimitSettings::FromPercent(percent, xMin, span), position);
    }

    void noSpanHasNoPercentScale()
    {
        QCOMPARE(CLimitSettings::ToPercent(6.0, 2.0, 0.0), 0.0);
        QCOMPARE(CLimitSettings::FromPercent(50.0, 2.0, 0.0), 2.0);
        QCOMPARE(CLimitSettings::ToPercent(6.0, 2.0, -5.0), 0.0);
    }

    void shownOnlyInsideTheVisibleRange_data()
    {
        QTest::addColumn<double>("position");
        QTest::addColumn<bool>("shown");
        QTest::newRow("inside") << 6.0 << true;
        QTest::newRow("on the minimum") << 5.0 << true;
        QTest::newRow("on the maximum") << 13.0 << true;
        QTest::newRow("left of it") << 4.999 << false;
        QTest::newRow("right of it") << 13.001 << false;
    }

    void shownOnlyInsideTheVisibleRange()
    {
        QFETCH(double, position);
        QFETCH(bool, shown);
        QCOMPARE(CLimitSettings::IsInRange(position, 5.0, 13.0), shown);
    }
};

QTEST_APPLESS_MAIN(TestLimitSettings)
#include "tst_limitsettings.moc"
