#include "publish/credentialstore.h"

namespace vex {

namespace {

// No store on this system: the password is asked for once each run.
class NoCredentialStore final : public CredentialStore
{
public:
    void read(const QString &, std::function<void(std::optional<QString>)> done) override { done(std::nullopt); }
    void write(const QString &, const QString &, std::function<void(bool)> done) override { done(false); }
};

} // namespace

std::unique_ptr<CredentialStore> systemCredentialStore()
{
    return std::make_unique<NoCredentialStore>();
}

} // namespace vex
