#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QSoundEffect;

namespace vex {

// Plays a wave file without waiting for it. A new sound cuts off one that is
// still playing, so quick starts never queue up.
class RunSoundPlayer
{
public:
    virtual ~RunSoundPlayer() = default;
    virtual void play(const QString &wavPath) = 0;
    // Readies a sound found at start-up without playing it, so the first run
    // start doesn't wait for the file.
    virtual void preload(const QString &wavPath) { Q_UNUSED(wavPath); }
};

// QSoundEffect keeps the decoded file in memory, so one effect per file is
// kept and a repeated start replays it without loading it again. Without an
// audio device the effects stay silent; nothing waits for the device.
class SoundEffectPlayer final : public QObject, public RunSoundPlayer
{
    Q_OBJECT
public:
    explicit SoundEffectPlayer(QObject *parent = nullptr);

    // An empty path or a missing file only stops the sound still playing.
    void play(const QString &wavPath) override;
    void preload(const QString &wavPath) override;
    void stop();

private:
    // The effect of an existing file, made and loaded on first use; null for
    // an empty path or a missing file.
    QSoundEffect *effectFor(const QString &wavPath);

    QHash<QString, QSoundEffect *> m_effects;
    QSoundEffect *m_current = nullptr;
};

// The run sound rule: played only when sounds are switched on (the setting
// Sound) and the file was found at start-up (its path isn't empty).
void PlayRunSound(RunSoundPlayer &player, bool soundOn, const QString &wavPath);

} // namespace vex
