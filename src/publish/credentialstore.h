#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace vex {

// Where the upload password is kept between runs: the system's own store
// (the Credential Manager on Windows, the Secret Service on Linux), never the
// settings. Answers come on the caller's thread, perhaps later.
class CredentialStore
{
public:
    virtual ~CredentialStore() = default;
    // done: the password, or nothing when none is kept or the store can't
    // be reached.
    virtual void read(const QString &key, std::function<void(std::optional<QString>)> done) = 0;
    // done: whether it is kept now.
    virtual void write(const QString &key, const QString &password, std::function<void(bool)> done) = 0;
};

// This system's store; one that keeps nothing where there is none.
std::unique_ptr<CredentialStore> systemCredentialStore();

// The name a password is kept under: one per server and user.
QString credentialKey(const QString &address, const QString &user);

} // namespace vex
