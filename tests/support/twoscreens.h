#pragma once

// Runs a Qt Test class on the offscreen platform with two screens side by
// side: 1280 x 1024 at the origin and 1024 x 768 to its right.

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace vex::test {

inline int runWithTwoScreens(QObject &testObject, int argc, char **argv)
{
    // Relative to the working folder: the platform's arguments are split at
    // colons, and an absolute path on Windows has one after its drive.
    QTemporaryDir dir(QStringLiteral("screens-XXXXXX"));
    const QString path = QDir::current().relativeFilePath(dir.filePath(QStringLiteral("screens.json")));
    QFile file(path);
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly))
        return 1;
    file.write(R"({"screens": [
        {"name": "links", "x": 0, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
        {"name": "rechts", "x": 1280, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}
    ]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen:configfile=") + path.toLocal8Bit());
    QApplication app(argc, argv);
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&testObject, argc, argv);
}

} // namespace vex::test

#define VEX_TEST_MAIN_TWO_SCREENS(TestClass) \
    int main(int argc, char **argv) \
    { \
        TestClass test; \
        return vex::test::runWithTwoScreens(test, argc, argv); \
    }
