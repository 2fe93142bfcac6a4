#pragma once

#include "app/formmain.h"

#include <memory>

namespace vex {

class CredentialStore;
class RaceStation;

// The program's windows on a station, from start to end: the six windows in
// their fixed order, the settings the station starts with, and the question
// about the last session.
class Program
{
public:
    Program(RaceStation &station, const MainWindowServices &services);
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    TFormMain &mainWindow() { return *m_mainWindow; }

    // Shows the main window, then offers to take back the last session's
    // results when the backup holds some that were neither saved nor cleared
    // and can be read; one that can't is set aside and the operator told.
    void start();

private:
    // The upload password from the system's store, or asked for once.
    void fetchUploadPassword();

    RaceStation &m_station;
    std::unique_ptr<CredentialStore> m_credentials;
    std::unique_ptr<TFormMain> m_mainWindow;
};

} // namespace vex
