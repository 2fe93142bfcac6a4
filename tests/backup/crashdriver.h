#pragma once

// The program driven by lines on stdin, for the kill test. Every command is
// acknowledged on stdout only after it returned:
//
//   load<TAB>path                                          -> ok<TAB>n
//   enter<TAB>class<TAB>number<TAB>run<TAB>ms<TAB>penalty  -> ok<TAB>n
//   undo, redo                                             -> ok<TAB>n
//   dump                                                   -> dump<TAB>base64 of the protocol
//
// After start-up, where the question about the last session is answered
// "Ja", a driver prints ready<TAB>1 (it was asked) or ready<TAB>0. Around
// every backup write it puts 'w' and 'W' on stderr, so the test knows a kill
// fell into a write.
//
// vex_crashdriver FOLDER runs the race station alone, started as the program
// starts; vex_crashdriver_window FOLDER the whole program as
// main() builds it, on the offscreen platform.

#include "backup/filereplacer.h"
#include "timing/tickclock.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace vex {

class RaceFiles;

namespace crashdriver {

class Ticks final : public TickSource
{
public:
    quint32 now() const override { return value; }
    quint32 value = 1000;
};

class ReportingReplacer final : public FileReplacer
{
public:
    bool replace(const QString &path, QByteArrayView bytes) override;

private:
    DurableFileReplacer m_real;
};

// Says ready, then reads commands until stdin ends. open loads a protocol
// as the program's open command does.
int run(bool asked, RaceFiles &files, Ticks &ticks, const std::function<void(const QString &)> &open);

} // namespace crashdriver
} // namespace vex
