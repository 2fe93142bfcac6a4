#include "widgets/barrierpicture.h"

#include <QSignalSpy>
#include <QTest>

using namespace vex;

class TestBarrierPicture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void clickOnlyReports();
    void imagesTellStatesApart_data();
    void imagesTellStatesApart();
    void widgetShowsChosenImage();
};

void TestBarrierPicture::clickOnlyReports()
{
    TBarrierPicture picture;
    picture.show();
    QCOMPARE(picture.size(), QSize(32, 32));
    QCOMPARE(picture.cursor().shape(), Qt::PointingHandCursor);
    QSignalSpy clicked(&picture, &TBarrierPicture::clicked);

    QTest::mouseClick(&picture, Qt::LeftButton, {}, QPoint(16, 16));
    QCOMPARE(clicked.size(), 1);
    QCOMPARE(picture.imageIndex(), 0); // the window decides what a click means

    QTest::mouseClick(&picture, Qt::RightButton, {}, QPoint(16, 16));
    QCOMPARE(clicked.size(), 1);

    picture.setEnabled(false);
    QTest::mouseClick(&picture, Qt::LeftButton, {}, QPoint(16, 16));
    QCOMPARE(clicked.size(), 1);

    picture.setImageIndex(2);
    QCOMPARE(picture.imageIndex(), 2);
    picture.setImageIndex(3);
    QCOMPARE(picture.imageIndex(), 2);
    picture.setImageIndex(-1);
    QCOMPARE(picture.imageIndex(), 2);
}

void TestBarrierPicture::imagesTellStatesApart_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QPoint>("disc");     // a point of the coloured disc off the bar
    QTest::addColumn<QString>("colour");  // the dominant colour there
    QTest::addColumn<bool>("whiteCentre");

    QTest::newRow("locked") << 0 << QPoint(16, 6) << QStringLiteral("red") << true;
    QTest::newRow("free") << 1 << QPoint(6, 16) << QStringLiteral("green") << true;
    QTest::newRow("out of play") << 2 << QPoint(6, 16) << QStringLiteral("grey") << false;
}

void TestBarrierPicture::imagesTellStatesApart()
{
    QFETCH(int, index);
    QFETCH(QPoint, disc);
    QFETCH(QString, colour);
    QFETCH(bool, whiteCentre);

    const QList<QPixmap> list = TBarrierPicture::imageList();
    QCOMPARE(list.size(), 3);
    const QImage img = list.at(index).toImage();
    QCOMPARE(img.size(), QSize(32, 32));
    QCOMPARE(qAlpha(img.pixel(0, 0)), 0); // transparent surround

    const QColor c = img.pixelColor(disc);
    QCOMPARE(c.alpha(), 255);
    if (colour == QLatin1String("red"))
        QVERIFY(c.red() > 150 && c.green() < 60 && c.blue() < 60);
    else if (colour == QLatin1String("green"))
        QVERIFY(c.green() > 120 && c.red() < 60 && c.blue() < 60);
    else
        QVERIFY(qAbs(c.red() - c.green()) < 10 && qAbs(c.green() - c.blue()) < 10 && c.red() > 80 && c.red() < 200);

    const QColor centre = img.pixelColor(16, 16);
    QCOMPARE(centre == QColor(Qt::white), whiteCentre);
    if (!whiteCentre)
        QCOMPARE(centre, c);
}

void TestBarrierPicture::widgetShowsChosenImage()
{
    TBarrierPicture picture;
    for (int i = 0; i < TBarrierPicture::kImageCount; ++i) {
        picture.setImageIndex(i);
        QImage shot(32, 32, QImage::Format_ARGB32_Premultiplied);
        shot.fill(Qt::transparent);
        picture.render(&shot, {}, {}, QWidget::DrawChildren);
        QCOMPARE(shot, TBarrierPicture::image(i));
    }
}

QTEST_MAIN(TestBarrierPicture)
#include "test_barrierpicture.moc"
