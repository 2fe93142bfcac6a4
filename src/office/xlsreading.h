#pragma once

#include "office/workbookdata.h"

#include <QByteArray>

#include <optional>

namespace vex {

// Reads a binary workbook through FreeXL in this process. The library has
// read past its buffers on damaged files, so the program itself calls it
// only inside the helper executable (readXlsFile runs that); the helper and
// the fuzzer call it here.
WorkbookData readXlsFileInProcess(const QString &path);

// The helper's answer on its standard output: the sheets and their cells.
QByteArray serializeWorkbook(const WorkbookData &workbook);
// Nothing when the bytes are not such an answer.
std::optional<WorkbookData> deserializeWorkbook(const QByteArray &bytes);

// Where the helper is: beside the program, else where the build put it;
// tests put a stand-in in its place.
QString xlsHelperPath();
void setXlsHelperPath(const QString &path);

} // namespace vex
