// Binary workbooks are read by a helper process: a fault of the file parser
// on a damaged file ends the helper, not the program, and a file that makes
// it run away is stopped by its limits.
#include "office/automation.h"
#include "office/xlsreading.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

constexpr int kHelperMilliseconds = 20000;
#ifdef Q_OS_WIN
const QString kHelperName = u"vexilor-xls.exe"_s;
#else
const QString kHelperName = u"vexilor-xls"_s;
#endif

[[noreturn]] void damaged(const QString &path)
{
    throw AutomationError(u"Die Arbeitsmappe „%1“ ist beschädigt und kann nicht gelesen werden."_s.arg(
        QFileInfo(path).fileName()));
}

QString &chosenHelper()
{
    static QString path;
    return path;
}

// The windows keep painting while the helper reads; the operator's input
// waits until the workbook is in.
bool waitKeepingWindowsPainted(QProcess &helper)
{
    if (!QCoreApplication::instance())
        return helper.waitForFinished(kHelperMilliseconds);
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&helper, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    timeout.start(kHelperMilliseconds);
    if (helper.state() != QProcess::NotRunning)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return helper.state() == QProcess::NotRunning;
}

} // namespace

void setXlsHelperPath(const QString &path)
{
    chosenHelper() = path;
}

QString xlsHelperPath()
{
    if (!chosenHelper().isEmpty())
        return chosenHelper();
    if (QCoreApplication::instance()) {
        const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(kHelperName);
        if (QFileInfo(beside).isExecutable())
            return beside;
    }
    return QStringLiteral(VEX_XLS_HELPER);
}

WorkbookData readXlsFile(const QString &path)
{
    QProcess helper;
    helper.setProgram(xlsHelperPath());
    helper.setArguments({QFileInfo(path).absoluteFilePath()});
    helper.setStandardInputFile(QProcess::nullDevice());
    helper.setStandardErrorFile(QProcess::nullDevice());
    helper.start();
    if (!helper.waitForStarted())
        throw AutomationError(u"Das Hilfsprogramm zum Lesen von Excel-Arbeitsmappen (%1) fehlt oder startet nicht."_s
                                  .arg(kHelperName));
    if (!waitKeepingWindowsPainted(helper)) {
        helper.kill();
        helper.waitForFinished();
        damaged(path);
    }
    const QByteArray output = helper.readAllStandardOutput();
    if (helper.exitStatus() != QProcess::NormalExit)
        damaged(path);
    // 1: the helper refused the file and says why.
    if (helper.exitCode() == 1 && !output.isEmpty() && output.size() < 4096)
        throw AutomationError(QString::fromUtf8(output));
    if (helper.exitCode() != 0)
        damaged(path);
    std::optional<WorkbookData> workbook = deserializeWorkbook(output);
    if (!workbook)
        damaged(path);
    return std::move(*workbook);
}

} // namespace vex
