#include "publish/credentialstore.h"

#include <qt6keychain/keychain.h>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// The Secret Service (GNOME Keyring, KWallet) through QtKeychain. Without a
// running service the jobs fail, and the password is asked for instead; it
// never falls back to a file of its own.
class KeychainStore final : public CredentialStore
{
public:
    void read(const QString &key, std::function<void(std::optional<QString>)> done) override
    {
        auto *job = new QKeychain::ReadPasswordJob(u"Vexilor"_s);
        job->setAutoDelete(true);
        job->setInsecureFallback(false);
        job->setKey(key);
        QObject::connect(job, &QKeychain::Job::finished, job, [done = std::move(done)](QKeychain::Job *j) {
            const auto *read = static_cast<QKeychain::ReadPasswordJob *>(j);
            if (j->error() == QKeychain::NoError)
                done(read->textData());
            else
                done(std::nullopt);
        });
        job->start();
    }

    void write(const QString &key, const QString &password, std::function<void(bool)> done) override
    {
        auto *job = new QKeychain::WritePasswordJob(u"Vexilor"_s);
        job->setAutoDelete(true);
        job->setInsecureFallback(false);
        job->setKey(key);
        job->setTextData(password);
        QObject::connect(job, &QKeychain::Job::finished, job, [done = std::move(done)](QKeychain::Job *j) {
            done(j->error() == QKeychain::NoError);
        });
        job->start();
    }
};

} // namespace

std::unique_ptr<CredentialStore> systemCredentialStore()
{
    return std::make_unique<KeychainStore>();
}

} // namespace vex
